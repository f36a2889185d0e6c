// Setup run again over an installation in use, and the uninstaller on a
// machine where another program holds the console's program file: a
// repair keeps the user's settings and aliases and brings the console
// back; a held program stops either before anything changes.
#include <thread>

#include "tests/e2e/install_fixture.h"

namespace vh::e2e {
namespace {

const std::string success_text = "Установка Varnholde 1.3 успешно завершена!";
const std::string other_user = "консоль Varnholde запущена другим пользователем";

struct InstalledFile {
    std::string package_name, installed_path;
};

std::vector<InstalledFile> installed_files() {
    const std::string dir = product::dir + "\\";
    std::vector<InstalledFile> files = {
        {"Ivel.bmp", dir + "KSR_Icon.ico"},
        {"Func.bin", dir + "ReadMe.txt"},
        {"Principal._x_", dir + "Varnholde.exe"},
        {"Principial_un._x_", dir + "Uninstall.exe"},
    };
    for (char n = '1'; n <= '6'; ++n)
        files.push_back({std::string("Data\\data") + n + ".ksr",
                         dir + "Skins\\skin_ " + n + ".jpg"});
    return files;
}

// Every file and folder under a folder, with its bytes.
using Snapshot = std::vector<std::pair<std::string, std::string>>;
Snapshot tree_snapshot(const std::string& folder, Snapshot out = {}) {
    out.push_back({folder + "\\", ""});
    for (const std::string& name : files_in(folder))
        out.push_back({folder + "\\" + name, read_file(folder + "\\" + name).value_or("?")});
    for (const std::string& name : folders_in(folder))
        out = tree_snapshot(folder + "\\" + name, std::move(out));
    return out;
}

std::vector<HWND> console_windows() {
    return top_windows(0, "VarnholdeConsole");
}

class InstallOverRunning : public InstallTest {
protected:
    // Setup from the package copy, through "Далее>>" until it has ended in
    // success or in a failure; gives the status text it ended with.
    std::string run_setup(const std::string& shot);
    std::string uninstall_and_read_message(const std::string& shot);
};

std::string InstallOverRunning::run_setup(const std::string& shot) {
    start_setup();
    if (!setup_window) return "";
    HWND next = wait_for_child(setup_window, "Далее>>");
    if (!next) return "";
    click(next);
    std::string status;
    wait_until(
        [&] {
            for (HWND label : children(setup_window, "Static")) {
                const std::string text = text_of(label);
                if (visible(label) && (text == success_text || text.find("прервана") != std::string::npos))
                    return !(status = text).empty();
            }
            return !setup.running();
        },
        120s);
    screenshot(shot);
    // A failure names a whole path and takes several lines: none may lie
    // under the exit button.
    if (status.find("прервана") != std::string::npos) {
        HWND failure = child_with_text(setup_window, status);
        HWND exit_button = child_with_text(setup_window, "Выход.");
        EXPECT_TRUE(failure && exit_button && visible(exit_button));
        if (failure && exit_button) {
            EXPECT_LE(screen_rect(failure).bottom, screen_rect(exit_button).top)
                << "the failure text runs under the exit button";
        }
    }
    for (const char* caption : {"Выход!", "Выход."})
        if (HWND exit = child_with_text(setup_window, caption); exit && visible(exit)) click(exit);
    EXPECT_TRUE(setup.wait_exit(10s));
    return status;
}

std::string InstallOverRunning::uninstall_and_read_message(const std::string& shot) {
    Program program = Program::start(product::dir + "\\Uninstall.exe", "", product::dir);
    HWND form = wait_for_window(
        program.id(), [](HWND w) { return visible(w) && class_of(w) == "VarnholdeUninstall"; },
        15s);
    if (!form) return "";
    HWND yes = wait_for_child(form, "Да");
    if (!yes) return "";
    click(yes);
    if (!wait_for_child(form, "Выход", 60s)) return "";
    std::string message;
    for (HWND label : children(form, "Static"))
        if (visible(label) && text_of(label).rfind("Удаление", 0) == 0) message = text_of(label);
    screenshot(shot);
    click(child_with_text(form, "Выход"));
    EXPECT_TRUE(program.wait_exit(10s));
    return message;
}

// A repair over the console in use: the console ends the normal way (its
// unload writes the colour and skin it shows), every program is replaced,
// the settings and the alias stay, and the console runs again with one
// icon.
TEST_F(InstallOverRunning, SetupOverARunningConsoleKeepsSettingsAndAliasesAndStartsItAgain) {
    ASSERT_EQ(run_setup("over_running_1_first_install"), success_text);
    ASSERT_NO_FATAL_FAILURE(start_console());
    enter("allias np notepad.exe");
    enter("con_fontcolor 4");
    enter("con_skin 5");
    EXPECT_EQ(last_history_line(), "con_skin 5");
    ASSERT_TRUE(wait_until([] { return tray_icon_pixels() > 0; }, 10s)) << "no icon";
    const int one_icon = tray_icon_pixels();
    // Setup replaces what the package holds, whatever is there now.
    for (const InstalledFile& f : installed_files())
        if (f.package_name.rfind("Principal", 0) != 0) {
            ASSERT_TRUE(write_file(f.installed_path, "old"));
        }

    EXPECT_EQ(run_setup("over_running_2_repaired"), success_text);
    EXPECT_TRUE(console.wait_exit(10s)) << "the console did not end";
    for (const InstalledFile& f : installed_files())
        EXPECT_EQ(read_file(f.installed_path), read_file(product::package_copy + "\\" + f.package_name))
            << f.installed_path;
    EXPECT_EQ(read_file(product::settings), product::dir + "\\Skins\\skin_ 5.jpg 4   200\r\n");
    EXPECT_EQ(read_file(product::dir + "\\Alliases\\Exe_files\\np"), std::string("notepad.exe\r\n"));
    EXPECT_EQ(files_in(start_menu_folder()),
              (std::vector<std::string>{"ReadMe.lnk", "Varnholde.lnk", "Удаление Varnholde.lnk"}));

    // A console runs again, one only, with one icon, and shows the settings.
    ASSERT_TRUE(wait_until([] { return !console_windows().empty(); }, 15s))
        << "no console runs after Setup";
    std::this_thread::sleep_for(1s);  // a second one would have shown by now
    ASSERT_EQ(console_windows().size(), 1u);
    band = console_windows().front();
    ASSERT_TRUE(wait_until([&] { return visible(band); }, 10s));
    ASSERT_TRUE(wait_until([] { return tray_icon_pixels() > 0; }, 10s)) << "no icon";
    EXPECT_LT(tray_icon_pixels(), one_icon * 3 / 2) << "a second icon";
    screenshot("over_running_3_console_again");
    const auto edits = children(band, "Edit");
    ASSERT_EQ(edits.size(), 1u);
    input = edits[0];
    bring_to_front(band);
    type_text("con_fontcolor");
    press_key(VK_RETURN);
    EXPECT_TRUE(wait_until([&] { return last_history_line() == "con_fontcolor 4"; }, 5s))
        << last_history_line();
}

// The console's program held by a process of its own (as by a console of
// another user session): Setup stops naming it and changes nothing, the
// uninstaller stops with its reason and deletes nothing.
TEST_F(InstallOverRunning, AHeldProgramStopsSetupAndTheUninstallerBeforeAnyChange) {
    ASSERT_EQ(run_setup("over_running_4_first_install"), success_text);
    ASSERT_TRUE(write_file(product::dir + "\\Alliases\\Dirs\\docs", "C:\\Docs\r\n"));
    ASSERT_TRUE(write_file(product::dir + "\\Skins\\skin_ 1.jpg", "old"));
    Program holder = Program::start_suspended(product::console_exe);
    ASSERT_TRUE(holder.running());
    const auto before = tree_snapshot(product::parent_dir);
    const auto links_before = tree_snapshot(start_menu_folder());

    EXPECT_EQ(run_setup("over_running_5_setup_refused"),
              "Не удалось скопировать Principal._x_ в " + product::console_exe + " (" +
                  other_user + "). Установка прервана.");
    EXPECT_EQ(tree_snapshot(product::parent_dir), before);
    EXPECT_EQ(tree_snapshot(start_menu_folder()), links_before);

    EXPECT_EQ(uninstall_and_read_message("over_running_6_uninstall_refused"),
              "Удаление прервано: не удалось удалить файл " + product::console_exe + " (" +
                  other_user + ").");
    EXPECT_EQ(tree_snapshot(product::parent_dir), before);
    EXPECT_EQ(tree_snapshot(start_menu_folder()), links_before);
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::run_key, product::run_value),
              product::console_exe);
    holder.kill();
}

}  // namespace
}  // namespace vh::e2e
