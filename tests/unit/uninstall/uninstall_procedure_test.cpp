#include "uninstall/uninstall_procedure.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/fake/fake_console_and_shell.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "shared/registry_strings.h"

namespace vh {
namespace {

const std::string root = "C:\\Tessarimondale\\Varnholde";
const std::string start_menu = "C:\\ProgramData\\Start Menu\\Programs";
const std::string shell_folders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string run_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string cmd = "C:\\Windows\\system32\\cmd.exe";

// Keeps what the window would show, and every text Label2 received.
class RecordingView : public UninstallView {
public:
    void set_question_buttons_visible(bool visible) override { question_buttons = visible; }
    void set_message(const std::string& text) override {
        message = text;
        messages.push_back(text);
    }
    void set_message_size(float points) override { message_size = points; }
    void set_progress_visible(bool visible) override { progress_visible = visible; }
    float progress() override { return value; }
    void set_progress(float v) override {
        value = v;
        values.push_back(v);
    }
    void show_exit_button() override { exit_button = true; }

    bool question_buttons = true;
    std::string message = "Вопрос";
    std::vector<std::string> messages;
    float message_size = 12;
    bool progress_visible = false;
    float value = 0;
    std::vector<float> values;
    bool exit_button = false;
};

// The batch file for the uninstaller and the batch file as they appear in
// it: it deletes the uninstaller whatever its attributes, and while it
// cannot, tries again after a second, counting the tries once nothing
// holds the file against writing apart from those while something does;
// then it deletes itself.
std::string batch_lines(const std::string& program, const std::string& batch,
                        const std::string& once_free = "600",
                        const std::string& while_held = "86400") {
    return "set vh_free=0\r\n"
           "set vh_held=0\r\n"
           ":no_ex\r\n"
           "del /f /a " + program + "\r\n"
           "if not exist " + program + " goto done\r\n"
           "set vh_open=\r\n"
           ">>" + program + " set vh_open=1\r\n"
           "if defined vh_open set /a vh_free+=1\r\n"
           "if not defined vh_open set /a vh_held+=1\r\n"
           "if %vh_free% geq " + once_free + " goto done\r\n"
           "if %vh_held% geq " + while_held + " goto done\r\n"
           "\"%SystemRoot%\\System32\\ping.exe\" -n 2 127.0.0.1 >nul\r\n"
           "goto no_ex\r\n"
           ":done\r\n"
           "del " + batch + "\r\n";
}

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"Varnholde.exe", "Uninstall.exe", "us_param.par", "ReadMe.txt", "KSR_Icon.ico"})
            fs.put_file(root + "\\" + name, name);
        for (int i = 1; i <= 6; ++i)
            fs.put_file(root + "\\Skins\\skin_ " + std::to_string(i) + ".jpg", "jpeg");
        fs.put_file(root + "\\Alliases\\Exe_files\\notepad", "notepad.exe\r\n");
        fs.put_file(root + "\\Alliases\\Dirs\\docs", "C:\\Docs\r\n");
        fs.put_file(root + "\\Alliases\\Dirs\\music", "C:\\Music\r\n");
        for (const char* name : {"Varnholde.lnk", "ReadMe.lnk", "Удаление Varnholde.lnk"})
            fs.put_file(start_menu + "\\Varnholde\\" + name, "lnk");
        fs.put_file(start_menu + "\\Other.lnk", "lnk");
        fs.set_in_use(root + "\\Uninstall.exe", true);  // it is running
        savestring(registry, hkey_local_machine, shell_folders, "Common Programs", start_menu);
        savestring(registry, hkey_local_machine, run_key, "Varnholde", root + "\\Varnholde.exe");
        system.console = &console;
        system.shell = &shell;
    }

    // A new installed product, for each case of a table.
    void start_afresh() {
        fs = FakeFileSystem();
        view = RecordingView();
        registry = FakeRegistry();
        processes = FakeProcessStarter();
        SetUp();
    }

    UninstallOutcome run() { return run_uninstall(system, view); }

    bool gone(const std::string& path) const { return !fs.exists(path); }

    void expect_stopped_naming(const std::string& what) {
        EXPECT_TRUE(view.exit_button);
        EXPECT_FALSE(view.progress_visible);
        EXPECT_EQ(view.message.rfind("Удаление прервано: ", 0), 0u) << view.message;
        EXPECT_NE(view.message.find(what), std::string::npos) << view.message;
        EXPECT_TRUE(gone(system.own_directory + "\\Del_Unin.bat") ||
                    fs.content(system.own_directory + "\\Del_Unin.bat") == "old");
        EXPECT_TRUE(processes.started.empty());
    }

    FakeFileSystem fs;
    FakeRegistry registry;
    FakeProcessStarter processes;
    FakeRunningConsole console;
    FakeShellFolders shell;
    UninstallSystem system{fs, registry, processes, root, "Uninstall.exe", cmd};
    RecordingView view;
};

TEST_F(UninstallTest, FullTreeIsRemovedStageByStage) {
    ASSERT_EQ(run(), UninstallOutcome::completed);

    const std::string del = "Удаление: ";
    const std::vector<std::string> expected = {
        "",
        del + root + "\\Alliases\\Dirs\\docs",
        del + root + "\\Alliases\\Dirs\\music",
        del + root + "\\Alliases\\Dirs",
        del + root + "\\Alliases\\Exe_files\\notepad",
        del + root + "\\Alliases\\Exe_files",
        del + root + "\\Alliases",
        del + root + "\\Skins\\skin_ 1.jpg", del + root + "\\Skins\\skin_ 2.jpg",
        del + root + "\\Skins\\skin_ 3.jpg", del + root + "\\Skins\\skin_ 4.jpg",
        del + root + "\\Skins\\skin_ 5.jpg", del + root + "\\Skins\\skin_ 6.jpg",
        del + root + "\\Skins",
        del + root + "\\KSR_Icon.ico", del + root + "\\ReadMe.txt",
        del + root + "\\us_param.par", del + root + "\\Varnholde.exe",
        // the Start-menu files are deleted without a text
        "Удаление Varnholde 1.3 успешно завершено.",
    };
    EXPECT_EQ(view.messages, expected);

    // Only the uninstaller and its batch file stay; the Run value is gone.
    std::vector<std::string> left;
    for (const auto& [path, description] : fs.snapshot())
        if (path.rfind("C:\\Tessarimondale", 0) == 0) left.push_back(path);
    EXPECT_EQ(left, (std::vector<std::string>{"C:\\Tessarimondale\\",
                                              root + "\\", root + "\\Del_Unin.bat",
                                              root + "\\Uninstall.exe"}));
    EXPECT_TRUE(gone(start_menu + "\\Varnholde"));
    EXPECT_FALSE(gone(start_menu + "\\Other.lnk"));
    EXPECT_FALSE(registry.value(hkey_local_machine, run_key, "Varnholde").has_value());
    EXPECT_TRUE(registry.key_exists(hkey_local_machine, run_key));

    EXPECT_FALSE(view.question_buttons);
    EXPECT_FALSE(view.progress_visible);
    EXPECT_EQ(view.message_size, 12);
    EXPECT_TRUE(view.exit_button);
}

TEST_F(UninstallTest, ProgressRisesBySingleStepsOfSixteenPointSix) {
    run();
    EXPECT_EQ(view.values, (std::vector<float>{16.6f, 33.2f, 49.8f, 66.4f, 83.0f, 100.0f}));
}

TEST_F(UninstallTest, BatchFileDeletesTheUninstallerThenItselfAndRunsHiddenInItsDirectory) {
    fs.put_file(root + "\\Del_Unin.bat", "old content that is longer than the new one");
    ASSERT_EQ(run(), UninstallOutcome::completed);
    EXPECT_EQ(fs.content(root + "\\Del_Unin.bat"),
              batch_lines("\"Uninstall.exe\"", "\"C:\\Tessarimondale\\Varnholde\\Del_Unin.bat\""));
    ASSERT_EQ(processes.started.size(), 1u);
    const auto& start = processes.started[0];
    EXPECT_EQ(start.command_line, "\"" + cmd + "\" /d /c \"" + root + "\\Del_Unin.bat\"");
    EXPECT_EQ(start.show, WindowShow::hidden);
    EXPECT_EQ(start.working_dir, root);  // lines 2 and 3 name the file without a directory
}

TEST_F(UninstallTest, ExistingBatchFileElsewhereIsEmptiedAndRewritten) {
    system.own_directory = "C:\\Temp";
    fs.put_file("C:\\Temp\\Uninstall.exe", "exe");
    fs.put_file("C:\\Temp\\Del_Unin.bat", std::string(500, 'x'));
    ASSERT_EQ(run(), UninstallOutcome::completed);
    EXPECT_EQ(fs.content("C:\\Temp\\Del_Unin.bat"),
              batch_lines("\"Uninstall.exe\"", "\"C:\\Temp\\Del_Unin.bat\""));
    EXPECT_EQ(processes.started.at(0).working_dir, "C:\\Temp");
    EXPECT_FALSE(gone(root + "\\Uninstall.exe"));  // a decoy of the same name

    // Blanks, '&' and '%' are part of a name, not of the batch's syntax.
    const std::string odd = "C:\\100% & more\\Un inst";
    system.own_directory = odd;
    system.own_file_name = "Un%PATH%do.exe";
    fs.put_file(odd + "\\Un%PATH%do.exe", "exe");
    ASSERT_EQ(run(), UninstallOutcome::completed);
    EXPECT_EQ(fs.content(odd + "\\Del_Unin.bat"),
              batch_lines("\"Un%%PATH%%do.exe\"", "\"C:\\100%% & more\\Un inst\\Del_Unin.bat\""));
}

// The command interpreter reads the batch in code page 866, whatever the
// system's own code pages are; a name it cannot hold is not written at all.
TEST_F(UninstallTest, BatchIsWrittenInCodePage866OrNotAtAll) {
    system.own_directory = "C:\\Программы";
    system.own_file_name = "Удалить.exe";
    fs.put_file("C:\\Программы\\Удалить.exe", "exe");
    ASSERT_EQ(run(), UninstallOutcome::completed);
    EXPECT_EQ(fs.content("C:\\Программы\\Del_Unin.bat"),
              batch_lines("\"\x93\xA4\xA0\xAB\xA8\xE2\xEC.exe\"",
                          "\"C:\\\x8F\xE0\xAE\xA3\xE0\xA0\xAC\xAC\xEB\\Del_Unin.bat\""));

    system.own_directory = "C:\\文件";
    fs.put_file("C:\\文件\\Удалить.exe", "exe");
    ASSERT_EQ(run(), UninstallOutcome::stopped);
    EXPECT_FALSE(fs.exists("C:\\文件\\Del_Unin.bat"));
    EXPECT_NE(view.message.find("866"), std::string::npos) << view.message;
    EXPECT_EQ(processes.started.size(), 1u);  // only the first run's batch
}

TEST_F(UninstallTest, ReadOnlyUninstallerIsMadeWritableBeforeTheBatchStarts) {
    fs.set_attributes(root + "\\Uninstall.exe", attr::read_only | attr::archive);
    std::uint32_t seen_at_start = 0;
    processes.decide = [&](const std::string&) {
        fs.get_attributes(root + "\\Uninstall.exe", seen_at_start);
        return StartResult::ok;
    };
    ASSERT_EQ(run(), UninstallOutcome::completed);
    EXPECT_EQ(seen_at_start, attr::archive);
}

TEST_F(UninstallTest, EmptyStageRemovesItsDirectoryAndAdvances) {
    for (int i = 1; i <= 6; ++i) fs.delete_file(root + "\\Skins\\skin_ " + std::to_string(i) + ".jpg");
    ASSERT_EQ(run(), UninstallOutcome::completed);
    EXPECT_TRUE(gone(root + "\\Skins"));
    for (const auto& text : view.messages) EXPECT_EQ(text.find("Skins\\"), std::string::npos);
    EXPECT_EQ(view.values.size(), 6u);
}

// A file of the tree that cannot be deleted (read-only, or held by another
// user's console or any other program) stops the procedure before anything
// is deleted; the shortcuts are looked at only in their own stage, so one
// there stops it at that file. The window says which file it was and why.
TEST_F(UninstallTest, AFileThatCannotBeDeletedStopsTheRemovalBeforeAnythingIsGone) {
    struct Case {
        std::string refused, deleted_before;  // none: nothing at all deleted
        std::string reason;
        size_t progress_steps;
    };
    const std::string other_user = " (консоль Varnholde запущена другим пользователем)";
    const std::string in_use = " (файл занят другой программой)";
    const std::string read_only = " (нет доступа";
    const std::string nothing = "";
    const Case cases[] = {
        {root + "\\Alliases\\Dirs\\music", nothing, read_only, 0},
        {root + "\\Alliases\\Exe_files\\notepad", nothing, read_only, 0},
        {root + "\\Skins\\skin_ 3.jpg", nothing, in_use, 0},
        {root + "\\ReadMe.txt", nothing, read_only, 0},
        {root + "\\Varnholde.exe", nothing, other_user, 0},
        {root + "\\us_param.par", nothing, in_use, 0},
        {start_menu + "\\Varnholde\\Varnholde.lnk", nothing, read_only, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        fs = FakeFileSystem();
        view = RecordingView();
        SetUp();
        if (c.reason == read_only) fs.set_attributes(c.refused, attr::read_only);
        else fs.set_in_use(c.refused, true);
        const auto before = fs.snapshot();
        EXPECT_EQ(run(), c.deleted_before.empty() ? UninstallOutcome::refused
                                                  : UninstallOutcome::stopped);
        EXPECT_FALSE(gone(c.refused));
        if (c.deleted_before.empty()) {
            EXPECT_EQ(fs.snapshot(), before);
            EXPECT_TRUE(registry.value(hkey_local_machine, run_key, "Varnholde").has_value());
        } else {
            EXPECT_TRUE(gone(c.deleted_before));
        }
        EXPECT_EQ(view.values.size(), c.progress_steps);
        expect_stopped_naming("файл " + c.refused + c.reason);
    }
}

// In the folders that only administrators write, a hidden file is left and
// stops the removal of its folder; the alias folders, which every user may
// write, go whole.
TEST_F(UninstallTest, HiddenFileIsLeftAndStopsTheRemovalOfItsDirectory) {
    fs.put_file(root + "\\Skins\\secret", "x", attr::hidden);
    fs.put_file(root + "\\Alliases\\Exe_files\\secret", "x", attr::hidden);
    EXPECT_EQ(run(), UninstallOutcome::stopped);
    EXPECT_FALSE(gone(root + "\\Skins\\secret"));
    EXPECT_TRUE(gone(root + "\\Alliases\\Exe_files"));
    EXPECT_TRUE(gone(root + "\\Skins\\skin_ 1.jpg"));
    expect_stopped_naming("папку " + root + "\\Skins (в папке остались");
}

TEST_F(UninstallTest, SubdirectoryIsNotListedAndStopsTheRemoval) {
    for (const std::string& dir : {root + "\\Skins", start_menu + "\\Varnholde"}) {
        SCOPED_TRACE(dir);
        fs = FakeFileSystem();
        view = RecordingView();
        SetUp();
        fs.put_directory(dir + "\\extra\\");
        EXPECT_EQ(run(), UninstallOutcome::stopped);
        EXPECT_TRUE(fs.is_directory(dir + "\\extra"));
        expect_stopped_naming("папку " + dir);
        EXPECT_FALSE(gone(root + "\\Uninstall.exe"));
    }
}

TEST_F(UninstallTest, UninstallerInAnotherLetterCaseIsNotSkipped) {
    fs.set_in_use(root + "\\Uninstall.exe", false);
    fs.delete_file(root + "\\Uninstall.exe");
    fs.put_file(root + "\\uninstall.exe", "exe");
    fs.set_in_use(root + "\\uninstall.exe", true);
    system.own_file_name = "uninstall.exe";
    const auto before = fs.snapshot();
    EXPECT_EQ(run(), UninstallOutcome::refused);
    EXPECT_EQ(fs.snapshot(), before);
    expect_stopped_naming(root + "\\uninstall.exe (файл занят другой программой)");
}

// Without "Common Programs" the shell names the folder; without that too,
// the installer used "\Varnholde" on the current drive, which may hold the
// user's own files: only the three shortcuts go, and the folder only when
// they were all it held.
TEST_F(UninstallTest, EmptyCommonProgramsAsksTheShellThenSparesAFolderOfTheUsers) {
    struct Case {
        const char* name;
        std::string shell_programs;
        std::vector<std::string> users_files;  // beside the shortcuts in D:\Varnholde
        bool folder_removed;
    };
    const Case cases[] = {
        {"the shell knows the folder", start_menu, {}, false},
        {"only the shortcuts", "", {}, true},
        {"a file of the user's", "", {"letter.txt"}, false},
        {"a file named like ours but another", "", {"Varnholde.lnk.bak"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs = FakeFileSystem();
        view = RecordingView();
        shell = FakeShellFolders();
        SetUp();
        savestring(registry, hkey_local_machine, shell_folders, "Common Programs", "");
        shell.programs = c.shell_programs;
        fs.add_drive('D');
        fs.set_current_drive('D');
        for (const char* link : {"Varnholde.lnk", "ReadMe.lnk", "Удаление Varnholde.lnk"})
            fs.put_file(std::string("D:\\Varnholde\\") + link, "lnk");
        for (const std::string& name : c.users_files) fs.put_file("D:\\Varnholde\\" + name, "user");
        fs.put_file("C:\\Varnholde\\Varnholde.lnk", "lnk");

        ASSERT_EQ(run(), UninstallOutcome::completed);
        EXPECT_EQ(shell.queries, 1);
        EXPECT_FALSE(gone("C:\\Varnholde\\Varnholde.lnk"));
        if (!c.shell_programs.empty()) {
            EXPECT_TRUE(gone(start_menu + "\\Varnholde"));
            EXPECT_FALSE(gone("D:\\Varnholde\\Varnholde.lnk"));
            continue;
        }
        EXPECT_FALSE(gone(start_menu + "\\Varnholde\\Varnholde.lnk"));
        for (const char* link : {"Varnholde.lnk", "ReadMe.lnk", "Удаление Varnholde.lnk"})
            EXPECT_TRUE(gone(std::string("D:\\Varnholde\\") + link)) << link;
        for (const std::string& name : c.users_files)
            EXPECT_EQ(fs.content("D:\\Varnholde\\" + name), "user");
        EXPECT_EQ(gone("D:\\Varnholde"), c.folder_removed);
    }
}

TEST_F(UninstallTest, ARunningConsoleIsClosedBeforeAnythingIsDeleted) {
    const std::string exe = root + "\\Varnholde.exe", settings = root + "\\us_param.par";
    fs.set_in_use(exe, true);
    console.running = true;
    bool aliases_there_at_close = false;
    console.on_close = [&] {  // its unload: the settings written, its file let go
        aliases_there_at_close = fs.exists(root + "\\Alliases\\Dirs\\docs");
        fs.put_file(settings, "written at unload");
        fs.set_in_use(exe, false);
    };
    ASSERT_EQ(run(), UninstallOutcome::completed);
    EXPECT_EQ(console.close_requests, 1);
    EXPECT_TRUE(aliases_there_at_close);
    EXPECT_EQ(view.messages.at(1), "Закрытие консоли Varnholde");
    EXPECT_TRUE(gone(exe));
    EXPECT_TRUE(gone(settings));

    // One that does not end within its time: nothing at all is deleted.
    fs = FakeFileSystem();
    view = RecordingView();
    console = FakeRunningConsole();
    processes = FakeProcessStarter();
    SetUp();
    fs.set_in_use(exe, true);
    console.running = true;
    console.hangs = true;
    const auto before = fs.snapshot();
    EXPECT_EQ(run(), UninstallOutcome::refused);
    EXPECT_EQ(console.waited_ms, console_close_timeout_ms);
    EXPECT_EQ(fs.snapshot(), before);
    EXPECT_TRUE(view.values.empty());
    expect_stopped_naming("консоль Varnholde не закрылась");
    EXPECT_TRUE(registry.value(hkey_local_machine, run_key, "Varnholde").has_value());
}

// The quiet uninstall of a deployment tool runs as LocalSystem in session
// 0: the console of the user in session 1 is found by its program file,
// asked to end, and the tree goes. When another console (session 2) does
// not end, nothing is deleted, and the one that ended runs again.
TEST_F(UninstallTest, ConsolesOfOtherSessionsAreClosedFirstAndARefusalStartsThemAgain) {
    for (const bool second_hangs : {false, true}) {
        SCOPED_TRACE(second_hangs ? "one does not end" : "both end");
        start_afresh();
        const std::string exe = root + "\\Varnholde.exe";
        fs.set_in_use(exe, true);
        FakeConsoleSessions sessions;
        sessions.session = 0;
        // The console is removed, so it need not come back: a session into
        // which there is no way does not keep its console from closing.
        sessions.without_way = {2};
        for (const std::uint32_t session : {1u, 2u}) {
            FakeConsoleSessions::Process p;
            p.process = {session + 40, session};
            p.holds = exe;
            p.hangs = second_hangs && session == 2;
            p.on_close = [this, exe] {
                fs.put_file(root + "\\us_param.par", "written at unload");
                fs.set_in_use(exe, false);
            };
            sessions.processes.push_back(p);
        }
        // The uninstaller holds its own file; it is never taken for a console.
        FakeConsoleSessions::Process self;
        self.process = {99, 0};
        self.holds = root + "\\Uninstall.exe";
        sessions.processes.push_back(self);
        system.sessions = &sessions;
        const auto before = fs.snapshot();
        if (!second_hangs) {
            ASSERT_EQ(run(), UninstallOutcome::completed);
            EXPECT_TRUE(gone(exe));
            EXPECT_TRUE(sessions.started.empty());
        } else {
            ASSERT_EQ(run(), UninstallOutcome::refused);
            expect_stopped_naming("консоль Varnholde не закрылась");
            auto after = fs.snapshot();
            after[root + "\\us_param.par"] = before.at(root + "\\us_param.par");
            EXPECT_EQ(after, before);
            ASSERT_EQ(sessions.started.size(), 1u);
            EXPECT_EQ(sessions.started[0].session, 1u);
        }
        EXPECT_EQ(sessions.asked, (std::vector<std::uint32_t>{41, 42}));
        EXPECT_TRUE(sessions.sessions_checked.empty());
        EXPECT_EQ(view.messages.at(1), "Закрытие консоли Varnholde в сеансе 1");
        system.sessions = nullptr;
    }
}

// The Run value goes only when it starts the installed console; a value
// that cannot be removed stops the procedure before the Start-menu folder.
TEST_F(UninstallTest, TheRunValueGoesOnlyWhenItStartsTheInstalledConsole) {
    struct Case {
        const char* name;
        std::optional<FakeRegistry::Value> value;  // nullopt: none
        bool read_only;
        bool kept;
        UninstallOutcome outcome;
    };
    const std::string ours = root + "\\Varnholde.exe";
    const Case cases[] = {
        {"the console's path", FakeRegistry::Value{reg_sz, ours + '\0'}, false, false,
         UninstallOutcome::completed},
        {"in other letter case", FakeRegistry::Value{reg_sz, "c:\\TESSARIMONDALE\\varnholde\\"
                                                             "Varnholde.EXE" + std::string(1, '\0')},
         false, false, UninstallOutcome::completed},
        {"another program", FakeRegistry::Value{reg_sz, "D:\\Tools\\Varnholde.exe" +
                                                            std::string(1, '\0')},
         false, true, UninstallOutcome::completed},
        {"with arguments", FakeRegistry::Value{reg_sz, ours + " /hide" + '\0'}, false, true,
         UninstallOutcome::completed},
        {"not a string", FakeRegistry::Value{reg_expand_sz, ours + '\0'}, false, true,
         UninstallOutcome::completed},
        {"no value", std::nullopt, false, false, UninstallOutcome::completed},
        {"no right to delete it", FakeRegistry::Value{reg_sz, ours + '\0'}, true, true,
         UninstallOutcome::stopped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start_afresh();
        RegKey key = 0;
        registry.open_key(hkey_local_machine, run_key, key);
        registry.delete_value(key, "Varnholde");
        registry.close_key(key);
        if (c.value) registry.put_value(hkey_local_machine, run_key, "Varnholde", c.value->type,
                                        c.value->bytes);
        registry.set_read_only(c.read_only);
        EXPECT_EQ(run(), c.outcome);
        EXPECT_EQ(registry.value(hkey_local_machine, run_key, "Varnholde").has_value(), c.kept);
        EXPECT_TRUE(gone(root + "\\Varnholde.exe"));
        if (c.outcome == UninstallOutcome::stopped) {
            expect_stopped_naming("параметр автозапуска Varnholde");
            EXPECT_FALSE(gone(start_menu + "\\Varnholde"));
        }
    }
}

// The Apps & features entry goes once the tree is gone, and only when it
// starts this uninstaller; one that cannot be removed stops the run before
// the Start-menu folder, which is then still there to start it again.
TEST_F(UninstallTest, TheAppsAndFeaturesEntryGoesOnlyWhenItStartsThisUninstaller) {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnholde";
    struct Case {
        const char* name;
        std::optional<std::string> command;  // UninstallString; none: no entry
        bool with_subkey;    // another program added a key below it
        bool skin_read_only; // a stage stops before the tree is gone
        bool kept;
        UninstallOutcome outcome;
    };
    const std::string ours = "\"" + root + "\\Uninstall.exe\"";
    const Case cases[] = {
        {"quoted path of this uninstaller", ours, false, false, false, UninstallOutcome::completed},
        {"unquoted, other letter case", "c:\\tessarimondale\\VARNHOLDE\\uninstall.EXE", false,
         false, false, UninstallOutcome::completed},
        {"another uninstaller", "\"D:\\Other\\Uninstall.exe\"", false, false, true,
         UninstallOutcome::completed},
        {"cannot be deleted", ours, true, false, true, UninstallOutcome::stopped},
        {"the tree is not gone", ours, false, true, true, UninstallOutcome::refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start_afresh();
        if (c.command) {
            registry.put_value(hkey_local_machine, key, "UninstallString", reg_sz, *c.command + '\0');
            registry.put_value(hkey_local_machine, key, "DisplayName", reg_sz, std::string("Varnholde") + '\0');
        }
        if (c.with_subkey) registry.put_value(hkey_local_machine, key + "\\Extra", "x", reg_sz, "");
        if (c.skin_read_only) fs.set_attributes(root + "\\Skins\\skin_ 2.jpg", attr::read_only);
        EXPECT_EQ(run(), c.outcome);
        EXPECT_EQ(registry.key_exists(hkey_local_machine, key), c.kept);
        if (c.with_subkey) {
            expect_stopped_naming("раздел HKEY_LOCAL_MACHINE\\" + key);
            EXPECT_FALSE(registry.value(hkey_local_machine, run_key, "Varnholde").has_value());
            EXPECT_FALSE(gone(start_menu + "\\Varnholde"));
        }
    }
}

TEST_F(UninstallTest, SecondRunFinishesWhatAStoppedRunBegan) {
    fs.put_file(root + "\\Skins\\thumbs.db", "x", attr::hidden);
    ASSERT_EQ(run(), UninstallOutcome::stopped);
    ASSERT_TRUE(gone(root + "\\Alliases"));

    fs.set_attributes(root + "\\Skins\\thumbs.db", attr::archive);
    view = RecordingView();
    ASSERT_EQ(run(), UninstallOutcome::completed);
    EXPECT_TRUE(gone(root + "\\Skins"));
    EXPECT_TRUE(gone(root + "\\Varnholde.exe"));
    EXPECT_TRUE(gone(start_menu + "\\Varnholde"));
    EXPECT_EQ(view.values, (std::vector<float>{16.6f, 33.2f, 49.8f, 66.4f, 83.0f, 100.0f}));
    EXPECT_EQ(processes.started.size(), 1u);
}

TEST_F(UninstallTest, NothingLeftToRemoveStillCompletes) {
    fs = FakeFileSystem();
    fs.put_file(root + "\\Uninstall.exe", "exe");
    ASSERT_EQ(run(), UninstallOutcome::completed);
    EXPECT_EQ(view.messages, (std::vector<std::string>{"", "Удаление Varnholde 1.3 успешно завершено."}));
    EXPECT_EQ(view.values.back(), 100.0f);
}

TEST_F(UninstallTest, FailuresOfTheBatchStepStopWithItsName) {
    // An uninstaller started from another directory keeps its batch file
    // there, out of reach of stage 5.
    const std::string elsewhere = "C:\\Elsewhere";
    system.own_directory = elsewhere;
    fs.put_file(elsewhere + "\\Uninstall.exe", "exe");
    fs.put_file(elsewhere + "\\Del_Unin.bat", "old", attr::read_only);
    EXPECT_EQ(run(), UninstallOutcome::stopped);
    expect_stopped_naming("записать файл " + elsewhere + "\\Del_Unin.bat");
    EXPECT_EQ(fs.content(elsewhere + "\\Del_Unin.bat"), "old");

    fs.set_attributes(elsewhere + "\\Del_Unin.bat", attr::archive);
    view = RecordingView();
    processes.decide = [](const std::string&) { return StartResult::failed; };
    EXPECT_EQ(run(), UninstallOutcome::stopped);
    EXPECT_TRUE(view.exit_button);
    EXPECT_NE(view.message.find("запустить " + elsewhere + "\\Del_Unin.bat"), std::string::npos);
    EXPECT_EQ(fs.content(elsewhere + "\\Del_Unin.bat")->substr(0, 12), "set vh_free=");
}

}  // namespace
}  // namespace vh
