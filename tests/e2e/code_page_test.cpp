// The product on a Windows of any ANSI code page: the test command runs this
// in the Russian locale (1251), in English (1252) and in Japanese (932). What
// the user reads, read here as a screen reader does through the W functions,
// is the Russian text; Cyrillic typed into the console reaches alias names
// and folder targets intact; the stored files hold the same bytes as on a
// Russian Windows, and are kept for the test command to compare.
#include <cstdlib>
#include <string>

#include "tests/e2e/install_fixture.h"

namespace vh::e2e {
namespace {

using Names = std::vector<std::string>;

const std::string program_aliases = product::dir + "\\Alliases\\Exe_files";
const std::string folder_aliases = product::dir + "\\Alliases\\Dirs";
const std::string cyrillic_folder = "C:\\Папка";

// Each text must be the text of one of the window's controls.
void expect_texts(HWND window, const Names& texts) {
    wait_until([&] {
        for (const std::string& text : texts)
            if (!child_with_text(window, text)) return false;
        return true;
    });
    std::string shown;
    for (HWND control : children(window)) shown += " \"" + text_of(control) + "\"";
    for (const std::string& text : texts)
        EXPECT_NE(child_with_text(window, text), nullptr)
            << "no control reads \"" << text << "\"; they read" << shown;
}

HWND about_box_of(const Program& console) {
    return wait_for_window(console.id(), [](HWND w) {
        return class_of(w) == "#32770" && visible(w);
    });
}

// The test command names the ANSI code page that its locale should give.
TEST(CodePage, IsTheOneTheRunAsksFor) {
    const char* expected = std::getenv("VH_ANSI_CODE_PAGE");
    if (!expected) GTEST_SKIP() << "VH_ANSI_CODE_PAGE is not set";
    EXPECT_EQ(GetACP(), std::stoul(expected));
}

class AnyCodePage : public InstallTest {
protected:
    void TearDown() override {
        InstallTest::TearDown();
        remove_tree(cyrillic_folder);
    }

    void install();
    void aliases();
    // Opens the icon's menu, checks its items and picks the one at `downs`
    // presses of Down (Up for a negative count).
    void pick_from_menu(const POINT& icon, int downs);
    void about_box(const POINT& icon);
    void uninstall();
};

void AnyCodePage::install() {
    ASSERT_NO_FATAL_FAILURE(start_setup());  // finds the window by its title
    expect_texts(setup_window, {"Установка Varnholde 1.3", "Далее>>", "Выход."});
    HWND next = wait_for_child(setup_window, "Далее>>");
    ASSERT_NE(next, nullptr);
    click(next);
    // A package that Setup takes for broken disables the window under its
    // error window.
    HWND done = nullptr;
    wait_until(
        [&] {
            done = child_with_text(setup_window, "Установка Varnholde 1.3 успешно завершена!");
            return done || !IsWindowEnabled(setup_window) || !setup.running();
        },
        120s);
    ASSERT_NE(done, nullptr) << "the package did not install";
    HWND exit = child_with_text(setup_window, "Выход!");
    ASSERT_NE(exit, nullptr);
    click(exit);
    EXPECT_TRUE(setup.wait_exit(10s));
    EXPECT_EQ(files_in(start_menu_folder()),
              (Names{"ReadMe.lnk", "Varnholde.lnk", "Удаление Varnholde.lnk"}));
}

void AnyCodePage::aliases() {
    // A Cyrillic program alias: its file has the Cyrillic name and the
    // target's bytes; typing the name starts the program.
    enter("allias док notepad.exe");
    EXPECT_EQ(last_history_line(), "allias док notepad.exe");
    EXPECT_EQ(files_in(program_aliases), Names{"док"});
    EXPECT_EQ(read_file(program_aliases + "\\док"), std::string("notepad.exe\r\n"));
    auto before = visible_top_windows();
    enter("док");
    EXPECT_EQ(last_history_line(), "док");
    HWND notepad = wait_for_new_window(before, "Notepad");
    EXPECT_NE(notepad, nullptr) << "the alias did not start Notepad";
    if (notepad) end_process_of(notepad);

    // A Cyrillic folder alias with a Cyrillic target, stored in Windows-1251:
    // Explorer opens that folder.
    make_dirs(cyrillic_folder);
    enter("dir_allias папка " + cyrillic_folder);
    EXPECT_EQ(files_in(folder_aliases), Names{"папка"});
    EXPECT_EQ(read_file(folder_aliases + "\\папка"), std::string("C:\\\xCF\xE0\xEF\xEA\xE0\r\n"));
    before = visible_top_windows();
    enter("папка");
    EXPECT_EQ(last_history_line(), "папка");
    HWND explorer = wait_for_new_window(before, "Папка");
    EXPECT_NE(explorer, nullptr) << "Explorer did not open " << cyrillic_folder;
    if (explorer) end_process_of(explorer);
    keep_for_comparison(program_aliases + "\\док", "alias_program");
    keep_for_comparison(folder_aliases + "\\папка", "alias_folder");
}

void AnyCodePage::pick_from_menu(const POINT& icon, int downs) {
    right_click_at(icon);
    HWND menu = wait_for_menu(console.id());
    ASSERT_NE(menu, nullptr) << "the icon's menu did not open";
    EXPECT_EQ(menu_items(menu), (Names{"Консоль\tF12", "", "О программе", "", "Выход"}));
    screenshot("code_page_menu");
    for (int i = 0; i < (downs < 0 ? -downs : downs); ++i) press_key(downs < 0 ? VK_UP : VK_DOWN);
    press_key(VK_RETURN);
}

void AnyCodePage::about_box(const POINT& icon) {
    ASSERT_NO_FATAL_FAILURE(pick_from_menu(icon, 2));  // "О программе"
    HWND about = about_box_of(console);
    ASSERT_NE(about, nullptr) << "\"О программе\" did not open the About box";
    expect_texts(about, {"Varnholde", "Version 1.3.0",
                         "Вся инфа по использованию консоли в ReadMe файле", "ReadMe", "Понял!",
                         "Команда Tessarimondale, 2026\r\nvarnholde@tsm.example"});
    screenshot("code_page_about_box");
    HWND ok = child_with_text(about, "Понял!");
    ASSERT_NE(ok, nullptr);
    click(ok);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(about) || !visible(about); }));
}

void AnyCodePage::uninstall() {
    const auto uninstaller = resolve_shortcut(start_menu_folder() + "\\Удаление Varnholde.lnk");
    ASSERT_TRUE(uninstaller.has_value());
    Program program = Program::start(uninstaller->path, "", uninstaller->working_dir);
    HWND form = wait_for_window(program.id(), [](HWND w) {
        return visible(w) && text_of(w) == "Varnholde Uninstall";
    }, 15s);
    ASSERT_NE(form, nullptr) << "the uninstaller's window did not appear";
    expect_texts(form, {"Удаление Varnholde 1.3",
                        "Вы действительно хотите удалить Varnholde 1.3 с вашего компьютера?",
                        "Да", "Нет"});
    HWND yes = child_with_text(form, "Да");
    ASSERT_NE(yes, nullptr);
    click(yes);
    HWND exit = wait_for_child(form, "Выход", 60s);
    ASSERT_NE(exit, nullptr) << "the uninstaller did not finish";
    EXPECT_NE(child_with_text(form, "Удаление Varnholde 1.3 успешно завершено."), nullptr);
    click(exit);
    EXPECT_TRUE(program.wait_exit(10s));
    EXPECT_FALSE(file_exists(start_menu_folder()));
    EXPECT_FALSE(file_exists(product::dir + "\\Alliases"));
    // The batch file, run by the command interpreter in the OEM code page,
    // deletes the uninstaller.
    EXPECT_TRUE(wait_until([] { return !file_exists(product::dir + "\\Uninstall.exe"); }, 10s));
}

TEST_F(AnyCodePage, InstallCyrillicAliasesIconMenuAboutBoxAndUninstall) {
    ASSERT_NO_FATAL_FAILURE(install());
    ASSERT_NO_FATAL_FAILURE(start_console());
    ASSERT_NO_FATAL_FAILURE(aliases());

    std::optional<POINT> icon;
    ASSERT_TRUE(wait_until([&] { return (icon = find_console_tray_icon()).has_value(); }))
        << "no icon in the notification area";
    ASSERT_NO_FATAL_FAILURE(about_box(*icon));
    // "Выход", the last item, ends the console; it writes the settings as
    // the installer put them.
    ASSERT_NO_FATAL_FAILURE(pick_from_menu(*icon, -1));
    ASSERT_TRUE(console.wait_exit(10s)) << "\"Выход\" did not end the console";
    EXPECT_EQ(read_file(product::settings), product::dir + "\\Skins\\skin_ 1.jpg 1   200\r\n");
    keep_for_comparison(product::settings, "settings");

    uninstall();
}

}  // namespace
}  // namespace vh::e2e
