// The uninstaller on an installed tree: it asks first, removes the product
// stage by stage, says where it stopped, and deletes itself after it ends.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "platform/text_codec.h"
#include "tests/e2e/driver.h"
#include "uninstall/uninstall_procedure.h"


namespace vh::e2e {
namespace {

const std::string root = "C:\\Tessarimondale";
const std::string dir = root + "\\Varnholde";
const std::string uninstaller = dir + "\\Uninstall.exe";
const std::string batch = dir + "\\Del_Unin.bat";
const std::string decoy_dir = "C:\\vh_decoy";
const std::string run_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string completed = "Удаление Varnholde 1.3 успешно завершено.";
const std::string shell_folders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string start_menu_folder() {
    return registry_string(HKEY_LOCAL_MACHINE, shell_folders, "Common Programs").value_or("") +
           "\\Varnholde";
}

// Every file and directory below a folder, with the files' contents.
void collect(const std::string& path, std::map<std::string, std::string>& out) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(to_utf16(path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = to_utf8(found.cFileName);
        if (name == "." || name == "..") continue;
        const std::string full = path + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[full + "\\"] = "";
            collect(full, out);
        } else {
            out[full] = read_file(full).value_or("?");
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::map<std::string, std::string> snapshot() {
    std::map<std::string, std::string> all;
    collect(root, all);
    collect(start_menu_folder(), all);
    collect(decoy_dir, all);
    return all;
}

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A batch of an earlier test still waiting for its uninstaller
        // would delete this test's, or hold the batch file it writes.
        end_processes_named(L"cmd.exe");
        remove_tree(root);
        remove_tree(start_menu_folder());
        remove_tree(decoy_dir);
        for (const char* sub : {"\\Skins", "\\Alliases\\Exe_files", "\\Alliases\\Dirs"})
            make_dirs(dir + sub);
        ASSERT_TRUE(copy_file(bin_dir() + "\\uninstall\\Uninstall.exe", uninstaller));
        write_file(dir + "\\Varnholde.exe", "console");
        write_file(dir + "\\us_param.par", "settings");
        write_file(dir + "\\ReadMe.txt", "readme");
        write_file(dir + "\\KSR_Icon.ico", "icon");
        for (int n = 1; n <= 6; ++n)
            write_file(dir + "\\Skins\\skin_ " + std::to_string(n) + ".jpg", "jpeg");
        write_file(dir + "\\Alliases\\Exe_files\\np", "notepad.exe\r\n");
        write_file(dir + "\\Alliases\\Dirs\\w", "C:\\Work\r\n");
        make_dirs(start_menu_folder());
        for (const char* link : {"\\Varnholde.lnk", "\\ReadMe.lnk", "\\Удаление Varnholde.lnk"})
            write_file(start_menu_folder() + link, "shortcut");
        make_dirs(decoy_dir);
        write_file(decoy_dir + "\\Uninstall.exe", "not ours");
        set_registry_string(HKEY_LOCAL_MACHINE, run_key, "Varnholde",
                            "C:\\Tessarimondale\\Varnholde\\Varnholde.exe");
    }
    void TearDown() override { program.kill(); }

    // Started from another directory that holds a file of the same name, so
    // that a batch acting on its current directory would hit the decoy.
    void start() {
        program = Program::start(uninstaller, {}, decoy_dir);
        window = wait_for_window(program.id(), [](HWND w) {
            return text_of(w) == "Varnholde Uninstall" && visible(w);
        });
        ASSERT_NE(window, nullptr) << "the uninstaller's window did not appear";
    }
    HWND button(const std::string& text) const { return child_with_text(window, text); }
    bool shows(const std::string& text) const { return child_with_text(window, text) != nullptr; }
    std::string message() const {
        // Label2: the panel's static that is not one of the title's copies.
        for (HWND c : children(window, "Static"))
            if (text_of(c) != "Удаление Varnholde 1.3" && !text_of(c).empty()) return text_of(c);
        return {};
    }

    Program program;
    HWND window = nullptr;
};

TEST_F(UninstallTest, NoLeavesEverythingAndYesRemovesTheProductThenItself) {
    const auto before = snapshot();
    start();
    EXPECT_TRUE(shows("Вы действительно хотите удалить Varnholde 1.3 с вашего компьютера?"));
    EXPECT_TRUE(shows("Удаление Varnholde 1.3"));
    screenshot("uninstall_asking");
    ASSERT_NE(button("Нет"), nullptr);
    click(button("Нет"));
    ASSERT_TRUE(program.wait_exit(10s));
    EXPECT_EQ(snapshot(), before) << "Нет changed something";

    start();
    ASSERT_NE(button("Да"), nullptr);
    click(button("Да"));
    // "Нет" becomes "Выход" when the run ends, finished or stopped.
    ASSERT_TRUE(wait_until([&] { return button("Выход") != nullptr; }, 20s)) << message();
    EXPECT_EQ(message(), completed);
    screenshot("uninstall_done");
    for (const std::string& gone :
         {dir + "\\Alliases", dir + "\\Skins", dir + "\\Varnholde.exe", dir + "\\us_param.par",
          dir + "\\ReadMe.txt", dir + "\\KSR_Icon.ico", start_menu_folder()})
        EXPECT_FALSE(file_exists(gone)) << gone;
    // Wine, unlike Windows, lets the batch delete the running uninstaller at
    // once, so its file may already be gone here; the batch's lines are
    // checked by the unit tests.

    ASSERT_NE(button("Выход"), nullptr);
    click(button("Выход"));
    ASSERT_TRUE(program.wait_exit(10s));
    EXPECT_TRUE(wait_until([] { return !file_exists(uninstaller) && !file_exists(batch); }, 10s))
        << "the uninstaller or its batch file stayed";
    EXPECT_TRUE(file_exists(dir));
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, run_key, "Varnholde"), std::nullopt)
        << "the Run value still starts the removed console";
    EXPECT_EQ(read_file(decoy_dir + "\\Uninstall.exe"), std::string("not ours"));
    std::map<std::string, std::string> left;
    collect(root, left);
    EXPECT_EQ(left.size(), 1u) << "only the empty installation directory stays";
}

// The uninstaller's file is held while the user reads the completion text
// for well over a minute (as its running image holds it on Windows; Wine
// would let the batch delete a running program's file at once): the batch
// keeps trying, waiting a second in ping between tries rather than
// spinning, and deletes the file and then itself once it is free. A file
// made hidden, system and read-only meanwhile is deleted all the same (on
// Windows "del" without /a would skip it while "if exist" saw it, and the
// batch would never end; Wine's "del" takes hidden files regardless).
TEST_F(UninstallTest, TheBatchOutwaitsALongOpenWindowAndDeletesAHiddenReadOnlyUninstaller) {
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "made hidden, system and read-only" : "held for 80 seconds");
        if (hidden) SetUp();
        start();
        // Opened without sharing deletion before the batch can start.
        HANDLE held = CreateFileW(to_utf16(uninstaller).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        click(button("Да"));
        ASSERT_TRUE(wait_until([&] { return shows(completed); }, 20s)) << message();
        if (hidden) {
            ASSERT_TRUE(SetFileAttributesW(
                to_utf16(uninstaller).c_str(),
                FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
        } else {
            // Well past the sixty tries after which the batch used to give up.
            int looks = 0, pausing = 0;
            for (const auto start = std::chrono::steady_clock::now();
                 std::chrono::steady_clock::now() - start < 80s; ++looks) {
                std::this_thread::sleep_for(500ms);
                if (!processes_named(L"ping.exe").empty()) ++pausing;
                ASSERT_TRUE(file_exists(batch)) << "the batch gave up after " << looks / 2 << " s";
            }
            EXPECT_EQ(processes_named(L"cmd.exe").size(), 1u) << "no interpreter runs the batch";
            EXPECT_GE(pausing, looks / 2) << "the batch was seen pausing at " << pausing << " of "
                                          << looks << " looks";
        }
        click(button("Выход"));
        ASSERT_TRUE(program.wait_exit(10s));
        CloseHandle(held);
        EXPECT_TRUE(wait_until([] { return !file_exists(batch); }, 10s)) << "the batch stayed";
        EXPECT_FALSE(file_exists(uninstaller));
        EXPECT_TRUE(wait_until([] { return processes_named(L"cmd.exe").empty(); }, 5s))
            << "the command interpreter still runs";
        SetFileAttributesW(to_utf16(uninstaller).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// The batch gives up on a file it can never delete, by two bounds: once
// nothing holds the file against writing (the uninstaller has ended) and
// it still cannot be deleted, soon; while something holds it so (the
// uninstaller's running image), only much later. Its bounds are made
// seconds here. A file open without sharing deletion stands for the file
// an access rule keeps; one open without sharing writing either, for the
// running uninstaller.
TEST_F(UninstallTest, TheBatchGivesUpOnAFileItCannotDeleteWithinItsBounds) {
    const BatchTries tries{2, 8};
    const std::optional<std::string> text =
        utf8_to_cp866(batch_file_text(dir, "Uninstall.exe", tries));
    ASSERT_TRUE(text.has_value());
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "held as a running program" : "kept from deletion only");
        ASSERT_TRUE(write_file(batch, *text));
        const DWORD sharing = running ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
        HANDLE held = CreateFileW(to_utf16(uninstaller).c_str(), GENERIC_READ, sharing, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const auto begun = std::chrono::steady_clock::now();
        Program interpreter = Program::run("cmd.exe /d /c \"" + batch + "\"", dir);
        const bool ended = interpreter.wait_exit(30s);
        const auto took = std::chrono::steady_clock::now() - begun;
        CloseHandle(held);
        ASSERT_TRUE(ended) << "the batch did not give up";
        EXPECT_FALSE(file_exists(batch));
        EXPECT_TRUE(file_exists(uninstaller)) << "the file was deleted";
        if (running) {
            EXPECT_GE(took, 5s) << "gave up by the bound for an ended uninstaller";
        } else {
            EXPECT_LT(took, 5s) << "waited as for a running uninstaller";
        }
    }
    // Unchanged by the batch's tries to open it.
    EXPECT_EQ(read_file(uninstaller), read_file(bin_dir() + "\\uninstall\\Uninstall.exe"));
}

TEST_F(UninstallTest, AReadOnlySkinStopsTheRunBeforeAnyDeletionAndASecondRunFinishes) {
    const std::string stuck = dir + "\\Skins\\skin_ 3.jpg";
    SetFileAttributesW(to_utf16(stuck).c_str(), FILE_ATTRIBUTE_READONLY);
    start();
    click(button("Да"));
    ASSERT_TRUE(wait_until([&] { return button("Выход") != nullptr; }, 20s)) << message();
    EXPECT_NE(message().find("skin_ 3.jpg"), std::string::npos) << message();
    screenshot("uninstall_stopped");
    // Every file is checked before the first goes: nothing is deleted.
    EXPECT_TRUE(file_exists(dir + "\\Alliases"));
    EXPECT_TRUE(file_exists(dir + "\\Skins\\skin_ 1.jpg"));
    EXPECT_TRUE(file_exists(dir + "\\Skins\\skin_ 2.jpg"));
    EXPECT_TRUE(file_exists(stuck));
    EXPECT_TRUE(file_exists(dir + "\\Skins\\skin_ 4.jpg"));
    EXPECT_TRUE(file_exists(dir + "\\Varnholde.exe"));
    EXPECT_TRUE(file_exists(start_menu_folder()));
    EXPECT_FALSE(file_exists(batch));
    click(button("Выход"));
    ASSERT_TRUE(program.wait_exit(10s));

    SetFileAttributesW(to_utf16(stuck).c_str(), FILE_ATTRIBUTE_NORMAL);
    start();
    click(button("Да"));
    // "Нет" becomes "Выход" when the run ends, finished or stopped.
    ASSERT_TRUE(wait_until([&] { return button("Выход") != nullptr; }, 20s)) << message();
    EXPECT_EQ(message(), completed);
    EXPECT_FALSE(file_exists(dir + "\\Skins"));
    EXPECT_FALSE(file_exists(dir + "\\Varnholde.exe"));
    EXPECT_FALSE(file_exists(start_menu_folder()));
    click(button("Выход"));
    ASSERT_TRUE(program.wait_exit(10s));
    EXPECT_TRUE(wait_until([] { return !file_exists(uninstaller); }, 10s));
}

// The console runs while the uninstaller starts: it is closed the normal
// way first, so its settings are written and its file can be deleted.
TEST_F(UninstallTest, ARunningConsoleIsClosedFirstAndWritesItsSettings) {
    ASSERT_TRUE(copy_file(bin_dir() + "\\console\\Varnholde.exe", dir + "\\Varnholde.exe"));
    const std::string settings = dir + "\\Skins\\skin_ 1.jpg 1   200\r\n";
    ASSERT_TRUE(write_file(dir + "\\us_param.par", settings));
    Program console = Program::start(dir + "\\Varnholde.exe", {}, dir);
    HWND band = wait_for_window(console.id(), [](HWND w) {
        return class_of(w) == "VarnholdeConsole" && visible(w);
    });
    ASSERT_NE(band, nullptr) << "the console did not start";
    HWND input = children(band, "Edit").at(0);
    bring_to_front(band);
    type_text("con_fontcolor 5");
    press_key(VK_RETURN);
    ASSERT_TRUE(wait_until([&] { return text_of(input).empty(); }, 3s));

    // A read-only file of the installation directory stops the run after
    // the console has ended, before anything is deleted.
    const std::string stuck = dir + "\\ReadMe.txt";
    SetFileAttributesW(to_utf16(stuck).c_str(), FILE_ATTRIBUTE_READONLY);
    start();
    click(button("Да"));
    ASSERT_TRUE(wait_until([&] { return button("Выход") != nullptr; }, 20s)) << message();
    EXPECT_NE(message().find("ReadMe.txt"), std::string::npos) << message();
    EXPECT_TRUE(console.wait_exit(1s)) << "the console still runs";
    std::string written = settings;
    written[46] = '5';
    EXPECT_EQ(read_file(dir + "\\us_param.par"), written) << "the console's unload did not run";
    EXPECT_TRUE(file_exists(dir + "\\Alliases\\Exe_files\\np"));  // nothing deleted yet
    click(button("Выход"));
    ASSERT_TRUE(program.wait_exit(10s));

    SetFileAttributesW(to_utf16(stuck).c_str(), FILE_ATTRIBUTE_NORMAL);
    start();
    click(button("Да"));
    ASSERT_TRUE(wait_until([&] { return shows("Удаление Varnholde 1.3 успешно завершено."); }, 20s))
        << message();
    EXPECT_FALSE(file_exists(dir + "\\Varnholde.exe"));
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, run_key, "Varnholde"), std::nullopt);
    click(button("Выход"));
    ASSERT_TRUE(program.wait_exit(10s));
}

// Neither the registry nor the shell names the Start menu's Programs
// folder (its value is gone and the folder with it), so the shortcuts are
// in "\Varnholde" on the current drive, beside a file of the user's.
TEST_F(UninstallTest, AUsersFileInVarnholdeAtTheRootSurvivesTheUninstall) {
    const std::string programs =
        registry_string(HKEY_LOCAL_MACHINE, shell_folders, "Common Programs").value_or("");
    ASSERT_FALSE(programs.empty());
    const std::string moved = programs + ".vh_moved";
    const std::string root_menu = "C:\\Varnholde";
    struct Restore {  // puts the Start menu back whatever happens
        std::string programs, moved;
        ~Restore() {
            MoveFileW(to_utf16(moved).c_str(), to_utf16(programs).c_str());
            set_registry_string(HKEY_LOCAL_MACHINE, shell_folders, "Common Programs", programs);
        }
    } restore{programs, moved};
    remove_tree(root_menu);
    make_dirs(root_menu);
    for (const char* link : {"\\Varnholde.lnk", "\\ReadMe.lnk", "\\Удаление Varnholde.lnk"})
        write_file(root_menu + link, "shortcut");
    write_file(root_menu + "\\letter.txt", "the user's");
    ASSERT_TRUE(MoveFileW(to_utf16(programs).c_str(), to_utf16(moved).c_str()));
    delete_registry_value(HKEY_LOCAL_MACHINE, shell_folders, "Common Programs");

    start();
    click(button("Да"));
    ASSERT_TRUE(wait_until([&] { return shows("Удаление Varnholde 1.3 успешно завершено."); }, 20s))
        << message();
    for (const char* link : {"\\Varnholde.lnk", "\\ReadMe.lnk", "\\Удаление Varnholde.lnk"})
        EXPECT_FALSE(file_exists(root_menu + link)) << link;
    EXPECT_EQ(read_file(root_menu + "\\letter.txt"), std::string("the user's"));
    EXPECT_FALSE(file_exists(dir + "\\Varnholde.exe"));
    click(button("Выход"));
    ASSERT_TRUE(program.wait_exit(10s));
    remove_tree(root_menu);
}

}  // namespace
}  // namespace vh::e2e
