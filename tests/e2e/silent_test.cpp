// Setup.exe and Uninstall.exe as deployment tools run them: silent, with a
// log, judged by their exit code. A silent run must leave the machine as a
// clicked one does and never show a window.
#include <cstdio>
#include <map>
#include <thread>

#include "tests/e2e/install_fixture.h"

namespace vh::e2e {
namespace {

const std::string apps_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnholde";
const std::string log_dir = "C:\\vh журналы";
const std::string setup_log = log_dir + "\\установка.log";
const std::string uninstall_log = log_dir + "\\удаление.log";
const std::string bom = "\xEF\xBB\xBF";

// How a run ended, and the titles of any window it showed on the way.
struct RunOutcome {
    std::optional<DWORD> exit_code;
    std::vector<std::string> windows_shown;
};

// Starts a command line and watches the process's top-level windows until
// it ends.
RunOutcome run_watched(const std::string& command_line, const std::string& working_dir) {
    Program program = Program::run(command_line, working_dir);
    RunOutcome run;
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    while (program.running() && std::chrono::steady_clock::now() < deadline) {
        for (HWND w : top_windows(program.id()))
            if (visible(w)) run.windows_shown.push_back("\"" + text_of(w) + "\" " + class_of(w));
        std::this_thread::sleep_for(10ms);
    }
    program.wait_exit(1s);
    run.exit_code = program.exit_code();
    return run;
}

// Every value of the Apps & features entry in both registry views, as text.
std::map<std::string, std::string> apps_entry() {
    std::map<std::string, std::string> values;
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, to_utf16(apps_key).c_str(), 0, KEY_READ | view,
                          &key) != ERROR_SUCCESS)
            continue;
        wchar_t name[256];
        BYTE data[4096];
        for (DWORD i = 0;; ++i) {
            DWORD name_size = 256, data_size = sizeof data, type = 0;
            if (RegEnumValueW(key, i, name, &name_size, nullptr, &type, data, &data_size) !=
                ERROR_SUCCESS)
                break;
            const std::string value = (view == KEY_WOW64_32KEY ? "32:" : "64:") + to_utf8(name);
            values[value] = type == REG_DWORD
                                ? std::to_string(*reinterpret_cast<DWORD*>(data))
                                : to_utf8(std::wstring(reinterpret_cast<wchar_t*>(data),
                                                       data_size / sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
    return values;
}

void delete_apps_entry() {
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, to_utf16(apps_key).c_str(), view, 0);
}

// Files and folders below a folder, files with their bytes.
void collect(const std::string& path, std::map<std::string, std::string>& out) {
    for (const std::string& name : files_in(path))
        out[path + "\\" + name] = read_file(path + "\\" + name).value_or("?");
    for (const std::string& name : folders_in(path)) {
        out[path + "\\" + name + "\\"] = "";
        collect(path + "\\" + name, out);
    }
}

class SilentDeployment : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        delete_apps_entry();
        remove_tree(log_dir);
        make_dirs(log_dir);
    }
    void TearDown() override {
        InstallTest::TearDown();
        delete_apps_entry();
        remove_tree(log_dir);
    }

    std::string setup_command(const std::string& switches) const {
        return "\"" + product::package_copy + "\\Setup.exe\" " + switches;
    }

    // What an installation leaves: the tree, the Start-menu folder, the Run
    // value and the Apps & features entry.
    std::map<std::string, std::string> machine() const {
        std::map<std::string, std::string> state;
        collect(product::parent_dir, state);
        collect(start_menu_folder(), state);
        state["Run"] = registry_string(HKEY_LOCAL_MACHINE, product::run_key, product::run_value)
                           .value_or("(none)");
        for (const auto& [name, value] : apps_entry()) state["Apps & features " + name] = value;
        return state;
    }

    // "Далее>>" to the success text, then "Выход!".
    void install_by_clicking() {
        ASSERT_NO_FATAL_FAILURE(start_setup());
        HWND next = wait_for_child(setup_window, "Далее>>");
        ASSERT_NE(next, nullptr);
        click(next);
        ASSERT_NE(wait_for_child(setup_window, "Установка Varnholde 1.3 успешно завершена!", 120s),
                  nullptr);
        click(wait_for_child(setup_window, "Выход!"));
        ASSERT_TRUE(setup.wait_exit(10s));
    }

    std::string log_text(const std::string& path) const {
        const std::optional<std::string> text = read_file(path);
        EXPECT_TRUE(text.has_value()) << "no log at " << path;
        if (!text) return {};
        EXPECT_EQ(text->substr(0, 3), bom) << path << " does not start with a byte-order mark";
        EXPECT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text->data(),
                                      static_cast<int>(text->size()), nullptr, 0),
                  0)
            << path << " is not UTF-8";
        return *text;
    }
};

std::string log_switch(const std::string& path) {
    return "/LOG=\"" + path + "\"";
}

bool has_line_ending(const std::string& log, const std::string& text) {
    return log.find("  " + text + "\r\n") != std::string::npos;
}

TEST_F(SilentDeployment, SilentInstallLeavesWhatAClickedOneLeavesWithoutAWindowAndLogsEachStep) {
    ASSERT_NO_FATAL_FAILURE(install_by_clicking());
    const auto clicked = machine();
    ASSERT_TRUE(file_exists(product::console_exe));
    close_windows_of_class("VarnholdeConsole");
    remove_tree(product::parent_dir);
    remove_tree(start_menu_folder());
    delete_registry_value(HKEY_LOCAL_MACHINE, product::run_key, product::run_value);
    delete_apps_entry();

    const RunOutcome run = run_watched(setup_command("/VerySilent \"/LOG=" + setup_log + "\""),
                                product::package_copy);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_EQ(run.windows_shown, std::vector<std::string>{});
    EXPECT_EQ(machine(), clicked);
    EXPECT_NE(apps_entry().size(), 0u) << "no Apps & features entry";

    const std::string log = log_text(setup_log);
    for (const std::string& step :
         {"Запуск: Setup.exe /VerySilent \"/LOG=" + setup_log + "\"",
          std::string("   Проверка целостности пакета установки."),
          "Создание папки: " + product::dir + "\\Alliases\\Exe_files\\",
          "Копирование :" + product::console_exe,
          std::string("Установка Varnholde 1.3 успешно завершена!"),
          std::string("Код завершения: 0")})
        EXPECT_TRUE(has_line_ending(log, step)) << "no line \"" << step << "\" in\n" << log;
    EXPECT_EQ(log.find("ОШИБКА"), std::string::npos) << log;
}

// A deployment tool upgrades while the user's console runs: the silent
// Setup closes it (it writes the settings it shows), replaces its program
// and starts it again, and the log says both.
TEST_F(SilentDeployment, ASilentUpgradeClosesTheRunningConsoleAndStartsItAgain) {
    ASSERT_NO_FATAL_FAILURE(install_by_clicking());
    ASSERT_NO_FATAL_FAILURE(start_console());
    enter("con_fontcolor 4");
    const DWORD first = console.id();

    const RunOutcome run =
        run_watched(setup_command("/S " + log_switch(setup_log)), product::package_copy);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_EQ(run.windows_shown, std::vector<std::string>{});
    EXPECT_TRUE(console.wait_exit(10s)) << "the console did not end";
    EXPECT_EQ(read_file(product::settings), product::dir + "\\Skins\\skin_ 1.jpg 4   200\r\n");
    std::vector<HWND> again;
    EXPECT_TRUE(wait_until([&] { return !(again = top_windows(0, "VarnholdeConsole")).empty(); },
                           15s))
        << "no console runs after Setup";
    for (HWND band : again) {
        DWORD id = 0;
        GetWindowThreadProcessId(band, &id);
        EXPECT_NE(id, first);
    }

    const std::string log = log_text(setup_log);
    std::printf("The silent upgrade's log:\n%s\n", log.c_str());
    for (const std::string& step :
         {std::string("Закрытие консоли Varnholde"), "Копирование :" + product::console_exe,
          std::string("Установка Varnholde 1.3 успешно завершена!"),
          std::string("Запуск консоли Varnholde"), std::string("Код завершения: 0")})
        EXPECT_TRUE(has_line_ending(log, step)) << "no line \"" << step << "\" in\n" << log;
    // The shell may start the console late, windowless still: none may
    // outlive the test and hold the program file the next one installs.
    close_windows_of_class("VarnholdeConsole");
    end_processes_named(L"Varnholde.exe");
}

TEST_F(SilentDeployment, ABrokenPackageOrAnUnknownSwitchChangesNothing) {
    ASSERT_TRUE(DeleteFileW(to_utf16(product::package_copy + "\\Data\\data3.ksr").c_str()));
    const auto before = machine();
    const RunOutcome broken = run_watched(setup_command("/s " + log_switch(setup_log)),
                                          product::package_copy);
    EXPECT_EQ(broken.exit_code, 1u);
    EXPECT_EQ(broken.windows_shown, std::vector<std::string>{});
    EXPECT_EQ(machine(), before);
    EXPECT_TRUE(has_line_ending(log_text(setup_log),
                                "ОШИБКА: Нарушена целостность пакета установки, продолжение "
                                "установки невозможно!"))
        << log_text(setup_log);

    // Refused before anything is read, even with a good package.
    ASSERT_TRUE(copy_file(bin_dir() + "\\package\\Data\\data3.ksr",
                          product::package_copy + "\\Data\\data3.ksr"));
    const RunOutcome refused = run_watched(setup_command("/S /NORESTART " + log_switch(setup_log)),
                                    product::package_copy);
    EXPECT_EQ(refused.exit_code, 4u);
    EXPECT_EQ(refused.windows_shown, std::vector<std::string>{});
    EXPECT_EQ(machine(), before);
    EXPECT_TRUE(has_line_ending(log_text(setup_log), "Код завершения: 4"));
    EXPECT_NE(log_text(setup_log).find("Неизвестный ключ командной строки: /NORESTART"),
              std::string::npos)
        << log_text(setup_log);
}

// A program file that cannot be replaced (held as a running program holds
// its own file) is found before anything is written: the installation
// there stays as it was.
TEST_F(SilentDeployment, ACheckBeforeWritingGivesTwoAndChangesNothing) {
    ASSERT_EQ(run_watched(setup_command("/S"), product::package_copy).exit_code, 0u);
    ASSERT_TRUE(write_file(product::settings, "settings of the user"));
    HANDLE held = CreateFileW(to_utf16(product::console_exe).c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const auto before = machine();
    const RunOutcome run = run_watched(setup_command("/S " + log_switch(setup_log)),
                                       product::package_copy);
    CloseHandle(held);
    EXPECT_EQ(run.exit_code, 2u);
    EXPECT_EQ(run.windows_shown, std::vector<std::string>{});
    EXPECT_EQ(machine(), before);
    const std::string log = log_text(setup_log);
    EXPECT_NE(log.find("  ОШИБКА: Не удалось скопировать Principal._x_ в " + product::console_exe),
              std::string::npos)
        << log;
    EXPECT_TRUE(has_line_ending(log, "Код завершения: 2")) << log;
}

// A file where the Start-menu folder must go: the programs are copied, then
// the first shortcut cannot be.
TEST_F(SilentDeployment, AFailurePartWayGivesThreeAndTheLogNamesTheStepAndWindowsCode) {
    ASSERT_TRUE(write_file(start_menu_folder(), "not a folder"));
    const RunOutcome run = run_watched(setup_command("/S " + log_switch(setup_log)),
                                       product::package_copy);
    EXPECT_EQ(run.exit_code, 3u);
    EXPECT_EQ(run.windows_shown, std::vector<std::string>{});
    EXPECT_TRUE(file_exists(product::console_exe)) << "it did not fail part way";
    const std::string log = log_text(setup_log);
    const std::string shortcut = start_menu_folder() + "\\Varnholde.lnk";
    const std::string failure = "ОШИБКА: Не удалось скопировать Datalnk\\Varnholde в " + shortcut;
    const std::size_t step = log.find("  Копирование :" + shortcut + "\r\n");
    const std::size_t failed = log.find("  " + failure + " (");
    EXPECT_NE(step, std::string::npos) << log;
    ASSERT_NE(failed, std::string::npos) << log;
    EXPECT_LT(step, failed);
    EXPECT_NE(log.find("Установка прервана. [код ошибки Windows ", failed), std::string::npos)
        << log;
    EXPECT_TRUE(has_line_ending(log, "Код завершения: 3")) << log;
    std::printf("[ log      ] %s\n", log.c_str());
    remove_tree(start_menu_folder());
}

TEST_F(SilentDeployment, SilentUninstallLeavesOnlyTheEmptyFolderAndSaysSo) {
    ASSERT_EQ(run_watched(setup_command("/S"), product::package_copy).exit_code, 0u);
    const auto installed = machine();
    const std::string uninstaller = product::dir + "\\Uninstall.exe";

    const RunOutcome refused = run_watched(
        "\"" + uninstaller + "\" /S /Q " + log_switch(uninstall_log), product::package_copy);
    EXPECT_EQ(refused.exit_code, 4u);
    EXPECT_EQ(refused.windows_shown, std::vector<std::string>{});
    EXPECT_EQ(machine(), installed);
    EXPECT_TRUE(has_line_ending(log_text(uninstall_log), "Код завершения: 4"));

    // Run as the Apps & features entry has it (in the programs' own view).
    const std::optional<std::string> quiet =
        registry_string(HKEY_LOCAL_MACHINE, apps_key, "QuietUninstallString");
    ASSERT_TRUE(quiet.has_value()) << "the entry has no QuietUninstallString";
    EXPECT_EQ(*quiet, "\"" + uninstaller + "\" /S");
    const RunOutcome run = run_watched(*quiet, product::package_copy);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_EQ(run.windows_shown, std::vector<std::string>{});
    EXPECT_TRUE(wait_until([&] { return !file_exists(uninstaller); }, 20s))
        << "the batch file did not delete the uninstaller";
    EXPECT_TRUE(wait_until([&] { return !file_exists(product::dir + "\\Del_Unin.bat"); }, 10s));
    EXPECT_EQ(files_in(product::dir), std::vector<std::string>{});
    EXPECT_EQ(folders_in(product::dir), std::vector<std::string>{});
    EXPECT_FALSE(file_exists(start_menu_folder()));
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::run_key, product::run_value),
              std::nullopt);
    EXPECT_EQ(apps_entry(), (std::map<std::string, std::string>{}));

    // Again, with a log that names each removal.
    ASSERT_EQ(run_watched(setup_command("/S"), product::package_copy).exit_code, 0u);
    EXPECT_EQ(run_watched("\"" + uninstaller + "\" /silent " + log_switch(uninstall_log),
                          product::package_copy)
                  .exit_code,
              0u);
    const std::string log = log_text(uninstall_log);
    for (const std::string& step :
         {"Удаление: " + product::dir + "\\Alliases\\Dirs", "Удаление: " + product::console_exe,
          std::string("Удаление Varnholde 1.3 успешно завершено."),
          std::string("Код завершения: 0")})
        EXPECT_TRUE(has_line_ending(log, step)) << "no line \"" << step << "\" in\n" << log;
    EXPECT_EQ(log.find("/Q"), std::string::npos) << "each run writes its own log:\n" << log;
    EXPECT_TRUE(wait_until([&] { return !file_exists(uninstaller); }, 20s));
}

// A package copied from a CD, or marked read-only by an unzipper: every file
// Setup puts in place carries normal attributes, so that the uninstaller
// removes them all, shortcuts included.
TEST_F(SilentDeployment, AReadOnlyPackageInstallsAndUninstallsWithNothingLeft) {
    for (const std::string& folder :
         {product::package_copy, product::package_copy + "\\Data", product::package_copy + "\\Datalnk"})
        for (const std::string& name : files_in(folder))
            ASSERT_TRUE(SetFileAttributesW(to_utf16(folder + "\\" + name).c_str(),
                                           FILE_ATTRIBUTE_READONLY))
                << name;
    ASSERT_EQ(run_watched(setup_command("/S"), product::package_copy).exit_code, 0u);
    for (const std::string& file : {product::console_exe, product::settings,
                                    start_menu_folder() + "\\ReadMe.lnk"})
        EXPECT_FALSE(GetFileAttributesW(to_utf16(file).c_str()) & FILE_ATTRIBUTE_READONLY) << file;
    const std::string uninstaller = product::dir + "\\Uninstall.exe";
    EXPECT_EQ(run_watched("\"" + uninstaller + "\" /S", product::package_copy).exit_code, 0u);
    EXPECT_TRUE(wait_until([&] { return !file_exists(uninstaller); }, 20s))
        << "the batch file did not delete the uninstaller";
    EXPECT_EQ(files_in(product::dir), std::vector<std::string>{});
    EXPECT_EQ(folders_in(product::dir), std::vector<std::string>{});
    EXPECT_FALSE(file_exists(start_menu_folder()));
    for (const std::string& folder :
         {product::package_copy, product::package_copy + "\\Data", product::package_copy + "\\Datalnk"})
        for (const std::string& name : files_in(folder))
            SetFileAttributesW(to_utf16(folder + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace vh::e2e
