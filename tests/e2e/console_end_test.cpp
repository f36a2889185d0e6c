// The console ended from outside, as installers end it: Windows' own way
// (WM_QUERYENDSESSION, then WM_ENDSESSION with ENDSESSION_CLOSEAPP, which
// the Restart Manager sends), and the close event that an installer of any
// session sets. Either way it ends as "Выход" does, so that its program
// file can be replaced; and it is registered to be started again after an
// update closed it.
#include <thread>

#include "platform/win32/win_console_sessions.h"
#include "platform/win32/win_session_task.h"
#include "tests/e2e/console_fixture.h"
#include "tests/e2e/key_probe.h"

namespace vh::e2e {
namespace {

// Opening the program file for writing and deleting, sharing nothing,
// succeeds once no process runs it.
bool replaceable(const std::string& path) {
    HANDLE file = CreateFileW(to_utf16(path).c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

enum class Way { end_session, close_event };

void ask_to_end(Way way, HWND band, DWORD process_id) {
    if (way == Way::end_session) {
        DWORD_PTR agrees = 0;
        ASSERT_TRUE(SendMessageTimeoutW(band, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                        SMTO_ABORTIFHUNG, 5000, &agrees));
        EXPECT_EQ(agrees, static_cast<DWORD_PTR>(TRUE)) << "the console refused to end";
        // The console ends while handling it: the call may report failure.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(band, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                            5000, &ignored);
        return;
    }
    const std::wstring name = L"Global\\VarnholdeConsoleClose-" + std::to_wstring(process_id);
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    ASSERT_NE(event, nullptr) << "the console has no close event";
    EXPECT_TRUE(SetEvent(event));
    CloseHandle(event);
}

TEST_F(ConsoleTest, EndedByWindowsOrByAnInstallersRequestItWritesItsSettingsAndEnds) {
    for (const Way way : {Way::end_session, Way::close_event}) {
        SCOPED_TRACE(way == Way::end_session ? "WM_ENDSESSION with ENDSESSION_CLOSEAPP"
                                             : "its close event");
        ASSERT_TRUE(write_file(settings_file, example_settings));
        ASSERT_NO_FATAL_FAILURE(start_console());
        ASSERT_TRUE(wait_until([] { return find_console_tray_icon().has_value(); }))
            << "no icon";
        enter("con_fontcolor 5");

        ASSERT_NO_FATAL_FAILURE(ask_to_end(way, band, console.id()));
        ASSERT_TRUE(console.wait_exit(10s)) << "the console unloaded but did not end";
        std::string expected = example_settings;
        expected[46] = '5';
        EXPECT_EQ(read_file(settings_file), expected);
        EXPECT_FALSE(wait_until([] { return find_console_tray_icon().has_value(); }, 1s))
            << "the icon stayed in the notification area";
        EXPECT_TRUE(replaceable(install_dir + "\\Varnholde.exe"));
    }
}

// An installer's request while the icon's menu is open, whose loop holds
// the window's thread: the console still ends within the installer's 5 s
// wait, writing its settings, whether F12 is its hot key or its hook's
// (another program holding F12, as Windows does).
TEST_F(ConsoleTest, ACloseRequestEndsTheConsoleWhileItsMenuIsOpen) {
    for (const bool hooked : {false, true}) {
        SCOPED_TRACE(hooked ? "F12 through the hook" : "F12 as the console's hot key");
        std::optional<KeyProbe> probe;
        if (hooked) probe.emplace(true);
        ASSERT_TRUE(!probe || probe->holds_f12());
        ASSERT_TRUE(write_file(settings_file, example_settings));
        ASSERT_NO_FATAL_FAILURE(start_console());
        std::optional<POINT> icon;
        ASSERT_TRUE(wait_until([&] { return (icon = find_console_tray_icon()).has_value(); }))
            << "no icon";
        enter("con_fontcolor 5");
        right_click_at(*icon);
        ASSERT_NE(wait_for_menu(console.id()), nullptr) << "the icon's menu did not open";

        ASSERT_NO_FATAL_FAILURE(ask_to_end(Way::close_event, band, console.id()));
        ASSERT_TRUE(console.wait_exit(5s)) << "the console did not end within the wait";
        std::string expected = example_settings;
        expected[46] = '5';
        EXPECT_EQ(read_file(settings_file), expected);
        EXPECT_FALSE(wait_until([] { return find_console_tray_icon().has_value(); }, 1s))
            << "the icon stayed in the notification area";
    }
}

// The installers' way to the consoles of every session, on the one Wine
// has: a console asked through its event ends and is seen to end, a
// program without one cannot be asked, and the console is started again
// in the session as its user. Which processes hold the files only Windows'
// Restart Manager tells; Wine's lists none.
TEST_F(ConsoleTest, TheSessionsRoadAsksAConsoleByItsEventAndStartsItInItsSession) {
    ASSERT_TRUE(write_file(settings_file, example_settings));
    ASSERT_NO_FATAL_FAILURE(start_console());
    enter("con_fontcolor 3");
    WinConsoleSessions sessions;
    const HoldingProcess holder{console.id(), sessions.own_session()};
    Program other = Program::start_suspended(install_dir + "\\Varnholde.exe");
    EXPECT_FALSE(sessions.ask_to_close({other.id(), holder.session}))
        << "a program that listens for no request was asked";
    other.kill();

    ASSERT_TRUE(sessions.ask_to_close(holder));
    EXPECT_TRUE(sessions.wait_until_ended({holder}, 10000));
    EXPECT_TRUE(console.wait_exit(1s));
    std::string expected = example_settings;
    expected[46] = '3';
    EXPECT_EQ(read_file(settings_file), expected);

    if (!sessions.start_in_session(install_dir + "\\Varnholde.exe", install_dir, holder.session))
        GTEST_SKIP() << "no user token for the session (Setup is not LocalSystem): error "
                     << GetLastError();
    // It is started on the session's interactive desktop, winsta0\\default,
    // as Windows names it for every session. The tests' Wine desktop is
    // named "shell", so there the new console runs but gets no window: it is
    // found by its process, and ended through its request where it listens.
    std::vector<DWORD> again;
    EXPECT_TRUE(wait_until([&] { return !(again = processes_named(L"Varnholde.exe")).empty(); },
                           10s))
        << "the console did not start again";
    for (const DWORD id : again) {
        const HoldingProcess started{id, holder.session};
        if (wait_until([&] { return sessions.ask_to_close(started); }, 5s)) {
            EXPECT_TRUE(sessions.wait_until_ended({started}, 10000));
        } else if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }
}

// The console's process, started suspended so that another process can
// make its close event first; ended with the test.
struct SuspendedConsole {
    PROCESS_INFORMATION process{};
    explicit SuspendedConsole(const std::string& exe) {
        const std::wstring file = to_utf16(exe);
        std::wstring line = L"\"" + file + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(file.c_str(), line.data(), nullptr, nullptr, FALSE,
                            CREATE_SUSPENDED, nullptr, nullptr, &startup, &process))
            process = {};
    }
    ~SuspendedConsole() {
        if (!process.hProcess) return;
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    bool ended_within(DWORD milliseconds) const {
        return WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0;
    }
};

// Process ids are predictable: another user may create a console's close
// event before the console does. The console does not listen on it:
// setting it ends nothing. An installer does not set it either, as it is
// not the console's user's (Wine gives an event made without a security
// descriptor no owner, as good as another user's), and once its maker lets
// it go no event is left; the console still ends through its window.
TEST_F(ConsoleTest, AnEventMadeFirstByAnotherProcessIsNotListenedTo) {
    ASSERT_TRUE(write_file(settings_file, example_settings));
    const SuspendedConsole started(install_dir + "\\Varnholde.exe");
    ASSERT_NE(started.process.hProcess, nullptr);
    const DWORD id = started.process.dwProcessId;
    const std::wstring name = L"Global\\VarnholdeConsoleClose-" + std::to_wstring(id);
    HANDLE squatted = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(squatted, nullptr);
    ResumeThread(started.process.hThread);
    band = wait_for_window(id, [](HWND w) {
        return class_of(w) == "VarnholdeConsole" && visible(w);
    });
    ASSERT_NE(band, nullptr) << "the console band did not appear";

    SetEvent(squatted);
    EXPECT_FALSE(started.ended_within(3000)) << "the console ended on another's event";
    WinConsoleSessions sessions;
    const HoldingProcess holder{id, sessions.own_session()};
    EXPECT_FALSE(sessions.ask_to_close(holder)) << "the installer set another's event";
    CloseHandle(squatted);
    EXPECT_FALSE(sessions.ask_to_close(holder))
        << "a close event outlived the process that made it";

    PostMessageW(band, WM_CLOSE, 0, 0);
    EXPECT_TRUE(started.ended_within(10000)) << "the console did not end through its window";
}

// An administrator's way into a session: a one-time task of the Task
// Scheduler, registered for the session's user with their interactive
// token, run and deleted. Under Wine it is tried for what Wine has; where
// its scheduler takes no task or runs none, the test says so and stops.
TEST_F(ConsoleTest, TheSchedulersTaskStartsTheConsoleAsTheSessionsUserAndIsDeleted) {
    ASSERT_TRUE(write_file(settings_file, example_settings));
    WinConsoleSessions sessions;
    const std::uint32_t session = sessions.own_session();
    const std::optional<std::wstring> user = session_user(session);
    ASSERT_TRUE(user.has_value()) << "no user named for the session";
    if (!scheduler_reaches_session(session))
        GTEST_SKIP() << "the Task Scheduler cannot be reached (Wine 8: ITaskService::Connect "
                        "answers SCHED_E_SERVICE_NOT_RUNNING, even with its service started)";
    const bool started =
        run_once_in_session(session, install_dir + "\\Varnholde.exe", install_dir);
    std::vector<DWORD> consoles;
    const bool runs = wait_until(
        [&] { return !(consoles = processes_named(L"Varnholde.exe")).empty(); }, 10s);
    for (const DWORD id : consoles)
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    const std::string tasks = "C:\\windows\\system32\\Tasks";
    EXPECT_FALSE(file_exists(tasks + "\\Varnholde console " +
                             std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(session)))
        << "the task was left registered";
    if (!started) GTEST_SKIP() << "the Task Scheduler registered no task or ran none";
    EXPECT_TRUE(runs) << "the task reported a start but no console runs";
}

// Restarted by Windows only after an update's installer closed it: no
// arguments (it starts as at log-on), and neither a crash, a hang nor a
// reboot starts it (RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT).
TEST_F(ConsoleTest, ItRegistersForARestartWithoutArgumentsAfterAnUpdateOnly) {
    ASSERT_TRUE(write_file(settings_file, example_settings));
    ASSERT_NO_FATAL_FAILURE(start_console());
    HANDLE process =
        OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, console.id());
    ASSERT_NE(process, nullptr);
    wchar_t command_line[RESTART_MAX_CMD_LINE] = L"not read";
    DWORD size = RESTART_MAX_CMD_LINE, flags = 0;
    const HRESULT read = GetApplicationRestartSettings(process, command_line, &size, &flags);
    CloseHandle(process);
    // Wine 8 and 10 keep no registration: their GetApplicationRestartSettings
    // answers E_NOTIMPL for every process.
    if (read == E_NOTIMPL) GTEST_SKIP() << "this Windows keeps no restart registrations";
    ASSERT_EQ(read, S_OK);
    EXPECT_EQ(std::wstring(command_line), L"");
    EXPECT_EQ(flags, static_cast<DWORD>(RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT));
}

}  // namespace
}  // namespace vh::e2e
