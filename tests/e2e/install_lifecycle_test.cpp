// The whole life of the product on one machine: install from a copy of the
// package, use the installed console, uninstall from the Start menu; and a
// broken package that must change nothing.
#include <set>

#include "platform/win32/win_file_rights.h"
#include "tests/e2e/install_fixture.h"

namespace vh::e2e {
namespace {

const std::string success_text = "Установка Varnholde 1.3 успешно завершена!";
const std::string broken_package_text =
    "Нарушена целостность пакета установки, продолжение установки невозможно!";

struct InstalledFile {
    const char* package_name;
    const char* installed_name;
};

// Every package file with its place after installation: skins under the
// product's Skins folder, the rest under the product folder.
const InstalledFile program_files[] = {
    {"Ivel.bmp", "KSR_Icon.ico"},           {"Func.bin", "ReadMe.txt"},
    {"Pos_set_par.ksr", "us_param.par"},    {"Principal._x_", "Varnholde.exe"},
    {"Principial_un._x_", "Uninstall.exe"},
};
const InstalledFile skins[] = {
    {"data1.ksr", "skin_ 1.jpg"}, {"data2.ksr", "skin_ 2.jpg"}, {"data3.ksr", "skin_ 3.jpg"},
    {"data4.ksr", "skin_ 4.jpg"}, {"data5.ksr", "skin_ 5.jpg"}, {"data6.ksr", "skin_ 6.jpg"},
};
struct Shortcut {
    const char* package_name;
    const char* target;
};
const Shortcut shortcuts[] = {
    {"Varnholde", "C:\\Tessarimondale\\Varnholde\\Varnholde.exe"},
    {"ReadMe", "C:\\Tessarimondale\\Varnholde\\ReadMe.txt"},
    {"Удаление Varnholde", "C:\\Tessarimondale\\Varnholde\\Uninstall.exe"},
};

using Names = std::vector<std::string>;

// The rights the installer gives, read back as Windows stores them: SYSTEM
// and Administrators full control, Administrators the owner, users read
// and run; users also write the settings file, and add, change and delete
// the files of the alias folders; nothing inherited from C:\.
const std::string closed_folder = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
const std::string alias_folder =
    "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1201bf;;;BU)(A;OICIIO;0x1301bf;;;BU)";
const std::string closed_file = "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)";
const std::string settings_rights = "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1201bf;;;BU)";

// The rights of a file or folder as Windows reads them back, where the file
// system keeps them: Wine neither keeps nor applies what
// SetNamedSecurityInfoW sets on a file, and reads back its own.
void expect_rights(const std::string& path, const std::string& sddl) {
    static const bool kept = keeps_security_descriptors("C:\\vh_rights_probe.txt");
    const auto text = security_descriptor_text_of(path);
    ASSERT_TRUE(text.has_value()) << path;
    if (kept) {
        EXPECT_EQ(*text, sddl) << path;
    }
}

// The file's identity on its volume, which a file written over in place
// keeps and a file replaced by another does not.
std::optional<std::uint64_t> file_id(const std::string& path) {
    HANDLE file = CreateFileW(to_utf16(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool got = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!got) return std::nullopt;
    return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

std::optional<DWORD> registry_dword(const std::string& key, const std::string& value) {
    DWORD data = 0, size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, to_utf16(key).c_str(), to_utf16(value).c_str(),
                     RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

bool registry_key_exists(const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, to_utf16(key).c_str(), 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

// The program that a command line starts: its first, quoted argument.
std::string program_of(const std::string& command) {
    if (command.size() < 2 || command.front() != '"') return command;
    return command.substr(1, command.find('"', 1) - 1);
}

void expect_same_bytes(const std::string& original, const std::string& copy) {
    const auto expected = read_file(original);
    ASSERT_TRUE(expected.has_value()) << original;
    EXPECT_EQ(read_file(copy), expected) << copy << " differs from " << original;
}

// The texts of a window's labels, for a failure message.
std::string texts_of(HWND window) {
    std::string texts;
    for (HWND label : children(window, "Static"))
        if (visible(label) && !text_of(label).empty()) texts += "\"" + text_of(label) + "\" ";
    return texts;
}

bool visible_exit_button(HWND setup_window) {
    for (const char* caption : {"Выход!", "Выход."})
        if (HWND b = child_with_text(setup_window, caption); b && visible(b)) return true;
    return false;
}

HWND visible_top_window(DWORD process_id, const char* klass, const std::string& title,
                        Duration timeout) {
    return wait_for_window(
        process_id,
        [&](HWND w) {
            return visible(w) && (!klass || class_of(w) == klass) &&
                   (title.empty() || text_of(w) == title);
        },
        timeout);
}

HWND wait_for_new_window_of_class(const std::set<HWND>& before, const char* klass) {
    HWND found = nullptr;
    wait_until(
        [&] {
            for (HWND w : visible_windows_of_class(klass))
                if (!before.count(w)) return (found = w) != nullptr;
            return false;
        },
        15s);
    return found;
}

class InstallLifecycle : public InstallTest {
protected:
    // Setup from the package copy, through "Далее>>" to its success text.
    void install();
    void check_installed_tree();
    // The entry of Apps & features, read back value by value.
    void check_apps_and_features_entry();
    // The owner and rights of the tree, read back with GetNamedSecurityInfoW.
    void check_rights();
    // The installed console: an alias, a colour and a skin, the hot key and
    // the icon's menu, then a second start that finds the settings kept.
    void use_console();
    void uninstall(const ShortcutTarget& uninstaller);

    std::string package(const std::string& name) const {
        return product::package_copy + "\\" + name;
    }
};

void InstallLifecycle::install() {
    ASSERT_NO_FATAL_FAILURE(start_setup());
    EXPECT_NE(wait_for_child(setup_window, "Установка Varnholde 1.3"), nullptr);
    EXPECT_NE(wait_for_child(setup_window,
                             "Удалите предыдущую версию программы, если таковая есть и нажмите "
                             "кнопку далее."),
              nullptr);
    HWND next = wait_for_child(setup_window, "Далее>>");
    ASSERT_NE(next, nullptr);
    EXPECT_NE(child_with_text(setup_window, "Выход."), nullptr);
    screenshot("install_1_setup_ready");

    click(next);
    // The copying takes a while; a broken package or a failed step ends it
    // early, with the error window or an exit button shown again.
    ASSERT_TRUE(wait_until([&] { return !visible(next); }, 10s)) << "\"Далее>>\" did nothing";
    HWND done = nullptr;
    wait_until(
        [&] {
            done = child_with_text(setup_window, success_text);
            return done || !setup.running() || !IsWindowEnabled(setup_window) ||
                   visible_exit_button(setup_window);
        },
        120s);
    ASSERT_NE(done, nullptr) << "no success text; the window shows: " << texts_of(setup_window);
    HWND exit = child_with_text(setup_window, "Выход!");
    ASSERT_NE(exit, nullptr);
    EXPECT_TRUE(visible(exit));
    EXPECT_FALSE(visible(next));
    screenshot("install_2_setup_done");
    click(exit);
    EXPECT_TRUE(setup.wait_exit(10s)) << "\"Выход!\" did not end Setup";
}

void InstallLifecycle::check_installed_tree() {
    EXPECT_EQ(folders_in(product::parent_dir), Names{"Varnholde"});
    EXPECT_EQ(folders_in(product::dir), (Names{"Alliases", "Skins"}));
    EXPECT_EQ(files_in(product::dir), (Names{"KSR_Icon.ico", "ReadMe.txt", "Uninstall.exe",
                                             "Varnholde.exe", "us_param.par"}));
    EXPECT_EQ(folders_in(product::dir + "\\Alliases"), (Names{"Dirs", "Exe_files"}));
    EXPECT_EQ(files_in(product::dir + "\\Alliases"), Names{});
    EXPECT_EQ(files_in(product::dir + "\\Alliases\\Dirs"), Names{});
    EXPECT_EQ(files_in(product::dir + "\\Alliases\\Exe_files"), Names{});
    EXPECT_EQ(folders_in(product::dir + "\\Skins"), Names{});

    Names skin_names;
    for (const InstalledFile& f : program_files)
        expect_same_bytes(package(f.package_name), product::dir + "\\" + f.installed_name);
    for (const InstalledFile& f : skins) {
        skin_names.push_back(f.installed_name);
        expect_same_bytes(package(std::string("Data\\") + f.package_name),
                          product::dir + "\\Skins\\" + f.installed_name);
    }
    EXPECT_EQ(files_in(product::dir + "\\Skins"), skin_names);

    EXPECT_EQ(files_in(start_menu_folder()),
              (Names{"ReadMe.lnk", "Varnholde.lnk", "Удаление Varnholde.lnk"}));
    for (const Shortcut& s : shortcuts) {
        const std::string lnk = start_menu_folder() + "\\" + s.package_name + ".lnk";
        expect_same_bytes(package(std::string("Datalnk\\") + s.package_name), lnk);
        const auto resolved = resolve_shortcut(lnk);
        ASSERT_TRUE(resolved.has_value()) << "the shell cannot read " << lnk;
        EXPECT_EQ(resolved->path, s.target) << lnk;
        EXPECT_EQ(resolved->working_dir, product::dir) << lnk;
    }

    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::run_key, product::run_value),
              product::console_exe);
    check_apps_and_features_entry();
    check_rights();
}

void InstallLifecycle::check_apps_and_features_entry() {
    const std::string& key = product::uninstall_key;
    const std::pair<const char*, std::string> texts[] = {
        {"DisplayName", "Varnholde"},
        {"DisplayVersion", "1.3.0"},
        {"Publisher", "Tessarimondale"},
        {"DisplayIcon", product::console_exe},
        {"InstallLocation", product::dir},
        {"UninstallString", "\"" + product::dir + "\\Uninstall.exe\""},
        {"QuietUninstallString", "\"" + product::dir + "\\Uninstall.exe\" /S"},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, key, name), text) << name;
    EXPECT_EQ(registry_dword(key, "NoModify"), 1u);
    EXPECT_EQ(registry_dword(key, "NoRepair"), 1u);
    // In KB of what was installed, of which the console is a part.
    const auto console_bytes = read_file(product::console_exe).value_or("").size();
    EXPECT_GE(registry_dword(key, "EstimatedSize").value_or(0), console_bytes / 1024 + 1);
}

void InstallLifecycle::check_rights() {
    const std::pair<std::string, std::string> expected[] = {
        {product::parent_dir, closed_folder},
        {product::dir + "\\Alliases\\Exe_files", alias_folder},
        {product::settings, settings_rights},
        {product::dir + "\\Uninstall.exe", closed_file},
    };
    for (const auto& [path, sddl] : expected) expect_rights(path, sddl);
}

void InstallLifecycle::use_console() {
    EXPECT_EQ(read_file(product::settings),
              product::dir + "\\Skins\\skin_ 1.jpg 1   200\r\n");
    const auto installed_settings = file_id(product::settings);
    ASSERT_TRUE(installed_settings.has_value());
    ASSERT_NO_FATAL_FAILURE(start_console());
    enter("allias np notepad.exe");
    EXPECT_EQ(read_file(product::dir + "\\Alliases\\Exe_files\\np"),
              std::string("notepad.exe\r\n"));
    const auto before = visible_windows_of_class("Notepad");
    enter("np");
    EXPECT_EQ(last_history_line(), "np");
    HWND notepad = wait_for_new_window_of_class({before.begin(), before.end()}, "Notepad");
    EXPECT_NE(notepad, nullptr) << "the alias did not start Notepad";
    close_windows_of_class("Notepad");

    enter("con_fontcolor 2");
    enter("con_skin 3");
    EXPECT_EQ(last_history_line(), "con_skin 3");
    screenshot("install_3_console");

    // The hot key, then the icon's menu: "Консоль" (its first item, chosen
    // with Home: the console polls the arrow keys wherever they are pressed,
    // and Down would also recall a history line) hides the band and shows it
    // again.
    EXPECT_TRUE(toggle_with_f12(band, false)) << "F12 did not hide the band";
    EXPECT_TRUE(toggle_with_f12(band, true)) << "F12 did not show the band";
    std::optional<POINT> icon;
    ASSERT_TRUE(wait_until([&] { return (icon = find_console_tray_icon()).has_value(); }))
        << "no icon in the notification area";
    for (const bool shown_after : {false, true}) {
        right_click_at(*icon);
        ASSERT_NE(wait_for_menu(console.id()), nullptr) << "the icon's menu did not open";
        press_key(VK_HOME);
        press_key(VK_RETURN);
        EXPECT_TRUE(wait_until([&] { return visible(band) == shown_after; }))
            << "Консоль did not " << (shown_after ? "show" : "hide") << " the band";
    }
    enter("exit");
    EXPECT_TRUE(console.wait_exit(10s)) << "\"exit\" did not end the console";
    const std::string changed = product::dir + "\\Skins\\skin_ 3.jpg 2   200\r\n";
    EXPECT_EQ(read_file(product::settings), changed);

    // The second start reads the settings the first one wrote.
    ASSERT_NO_FATAL_FAILURE(start_console());
    enter("con_skin");
    EXPECT_EQ(last_history_line(), "con_skin 3");
    enter("con_fontcolor");
    EXPECT_EQ(last_history_line(), "con_fontcolor 2");
    enter("exit");
    EXPECT_TRUE(console.wait_exit(10s));
    EXPECT_EQ(read_file(product::settings), changed);
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::run_key, product::run_value),
              product::console_exe);
    // Written over in place: the settings file is still the installer's,
    // with the rights it was given, and nothing was added beside it.
    EXPECT_EQ(file_id(product::settings), installed_settings);
    expect_rights(product::settings, settings_rights);
    EXPECT_EQ(files_in(product::dir), (Names{"KSR_Icon.ico", "ReadMe.txt", "Uninstall.exe",
                                             "Varnholde.exe", "us_param.par"}));
}

void InstallLifecycle::uninstall(const ShortcutTarget& uninstaller) {
    Program program = Program::start(uninstaller.path, "", uninstaller.working_dir);
    HWND form = visible_top_window(program.id(), "VarnholdeUninstall", "Varnholde Uninstall", 15s);
    ASSERT_NE(form, nullptr) << "the uninstaller window did not appear";
    EXPECT_NE(wait_for_child(form, "Вы действительно хотите удалить Varnholde 1.3 с вашего "
                                   "компьютера?"),
              nullptr);
    EXPECT_NE(child_with_text(form, "Нет"), nullptr);
    HWND yes = child_with_text(form, "Да");
    ASSERT_NE(yes, nullptr);
    screenshot("install_4_uninstall_asking");

    click(yes);
    // "Нет" becomes "Выход" when the run ends, finished or stopped.
    HWND exit = wait_for_child(form, "Выход", 60s);
    ASSERT_NE(exit, nullptr) << "the uninstaller did not finish";
    EXPECT_NE(child_with_text(form, "Удаление Varnholde 1.3 успешно завершено."), nullptr)
        << "the window shows: " << texts_of(form);
    screenshot("install_5_uninstall_done");
    // While the uninstaller runs, its batch waits to delete it.
    EXPECT_TRUE(file_exists(product::dir + "\\Uninstall.exe"));
    EXPECT_TRUE(file_exists(product::dir + "\\Del_Unin.bat"));

    click(exit);
    EXPECT_TRUE(program.wait_exit(10s)) << "\"Выход\" did not end the uninstaller";
    const bool only_empty_dir_left = wait_until(
        [&] {
            return folders_in(product::parent_dir) == Names{"Varnholde"} &&
                   files_in(product::parent_dir).empty() && files_in(product::dir).empty() &&
                   folders_in(product::dir).empty();
        },
        10s);
    EXPECT_TRUE(only_empty_dir_left) << "left in the product folder: "
                                     << files_in(product::dir).size() << " files, "
                                     << folders_in(product::dir).size() << " folders";
    EXPECT_FALSE(file_exists(start_menu_folder()));
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::run_key, product::run_value),
              std::nullopt);
    EXPECT_FALSE(registry_key_exists(product::uninstall_key)) << "Apps & features still lists it";
}

// Apps & features starts the uninstaller by its UninstallString, from a
// directory of its own.
TEST_F(InstallLifecycle, InstallUseAndUninstallLeaveOnlyTheEmptyFolder) {
    ASSERT_NO_FATAL_FAILURE(install());
    ASSERT_NO_FATAL_FAILURE(check_installed_tree());
    ASSERT_NO_FATAL_FAILURE(use_console());
    const auto command =
        registry_string(HKEY_LOCAL_MACHINE, product::uninstall_key, "UninstallString");
    ASSERT_TRUE(command.has_value());
    uninstall(ShortcutTarget{program_of(*command), "C:\\"});
}

// On 64-bit Windows the 32-bit Setup and Uninstall read "Common Programs"
// in the registry's 32-bit view (Wow6432Node), as every 32-bit program
// does, and Windows keeps the same folder there as in the 64-bit view. Here
// the 32-bit view gets a folder of its own, so that the two can be told
// apart: the shortcuts go there and the uninstaller removes them from there.
class Wow64Lifecycle : public InstallLifecycle {
protected:
    void SetUp() override {
        if (!under_wow64()) GTEST_SKIP() << "not a 32-bit program on 64-bit Windows";
        common_programs_64 = registry_string(HKEY_LOCAL_MACHINE, product::shell_folders,
                                             "Common Programs", KEY_WOW64_64KEY)
                                 .value_or("");
        original_32 = registry_string(HKEY_LOCAL_MACHINE, product::shell_folders,
                                      "Common Programs", KEY_WOW64_32KEY);
        ASSERT_FALSE(common_programs_64.empty());
        ASSERT_TRUE(original_32.has_value());
        make_dirs(programs_32);
        ASSERT_TRUE(set_registry_string(HKEY_LOCAL_MACHINE, product::shell_folders,
                                        "Common Programs", programs_32, KEY_WOW64_32KEY));
        InstallLifecycle::SetUp();  // takes "Common Programs" as this program sees it
    }
    void TearDown() override {
        if (!original_32) return;  // skipped, or nothing changed yet
        InstallLifecycle::TearDown();
        set_registry_string(HKEY_LOCAL_MACHINE, product::shell_folders, "Common Programs",
                            *original_32, KEY_WOW64_32KEY);
        remove_tree(programs_32);
    }

    const std::string programs_32 = "C:\\vh_wow64_programs";
    std::string common_programs_64;
    std::optional<std::string> original_32;
};

TEST_F(Wow64Lifecycle, SetupAndUninstallUseTheStartMenuFolderOfThe32BitView) {
    ASSERT_EQ(start_menu_folder(), programs_32 + "\\Varnholde");
    ASSERT_NO_FATAL_FAILURE(install());
    ASSERT_NO_FATAL_FAILURE(check_installed_tree());  // shortcuts, Run value
    EXPECT_FALSE(file_exists(common_programs_64 + "\\Varnholde"));
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::run_key, product::run_value,
                              KEY_WOW64_32KEY),
              product::console_exe);
    // Apps & features lists 32-bit programs from the 32-bit view too.
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::uninstall_key, "DisplayName",
                              KEY_WOW64_32KEY),
              "Varnholde");
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::uninstall_key, "DisplayName",
                              KEY_WOW64_64KEY),
              std::nullopt);
    const auto uninstaller =
        resolve_shortcut(start_menu_folder() + "\\Удаление Varnholde.lnk");
    ASSERT_TRUE(uninstaller.has_value());
    uninstall(*uninstaller);  // checks that the folder under programs_32 is gone
}

// A package without the uninstaller: the error window, and no trace of an
// installation anywhere.
TEST_F(InstallTest, BrokenPackageShowsTheErrorAndChangesNothing) {
    ASSERT_TRUE(DeleteFileW(to_utf16(product::package_copy + "\\Principial_un._x_").c_str()));
    const auto run_value_before = registry_string(HKEY_LOCAL_MACHINE, product::run_key,
                                                   product::run_value);
    ASSERT_NO_FATAL_FAILURE(start_setup());
    HWND next = wait_for_child(setup_window, "Далее>>");
    ASSERT_NE(next, nullptr);
    click(next);

    HWND dialog = visible_top_window(setup.id(), nullptr, "Ошибка", 30s);
    ASSERT_NE(dialog, nullptr) << "no error window";
    EXPECT_NE(wait_for_child(dialog, broken_package_text), nullptr)
        << "the error window's message is missing";
    HWND leave = child_with_text(dialog, "Выход из установки!");
    ASSERT_NE(leave, nullptr);
    EXPECT_FALSE(IsWindowEnabled(setup_window)) << "the main window stays usable";
    screenshot("install_6_error_dialog");

    EXPECT_FALSE(file_exists(product::parent_dir));
    EXPECT_FALSE(file_exists(start_menu_folder()));
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::run_key, product::run_value),
              run_value_before);
    EXPECT_FALSE(registry_key_exists(product::uninstall_key));
    click(leave);
    EXPECT_TRUE(setup.wait_exit(10s)) << "\"Выход из установки!\" did not end Setup";
    EXPECT_FALSE(file_exists(product::parent_dir));
}

}  // namespace
}  // namespace vh::e2e
