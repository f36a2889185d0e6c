// Typing commands into the real console: aliases that start programs and
// open folders, the settings commands, deleting aliases and ending.
#include <thread>

#include "tests/e2e/console_fixture.h"

namespace vh::e2e {
namespace {

const std::string program_aliases = install_dir + "\\Alliases\\Exe_files";
const std::string folder_aliases = install_dir + "\\Alliases\\Dirs";

TEST_F(ConsoleTest, AliasesSettingsCommandsAndExitWorkFromTheKeyboard) {
    ASSERT_TRUE(write_file(settings_file, example_settings));
    start_console();

    // A program alias: its file holds the target and a line end; typing its
    // name starts the program.
    enter("allias np notepad.exe");
    EXPECT_EQ(history(0), "allias np notepad.exe");
    EXPECT_EQ(read_file(program_aliases + "\\np"), std::string("notepad.exe\r\n"));
    auto before = visible_top_windows();
    enter("np");
    EXPECT_EQ(history(0), "np");
    HWND notepad = wait_for_new_window(before, "Notepad");
    EXPECT_NE(notepad, nullptr) << "Notepad did not start";
    if (notepad) end_process_of(notepad);

    // A skin that is not installed: the line is echoed with the message.
    enter("con_skin 7");
    EXPECT_EQ(history(0), "con_skin 7 >>ОШИБКА: ФАЙЛ НЕ НАЙДЕН");
    enter("con_skin");
    EXPECT_EQ(history(0), "con_skin 7");

    // The interval alone is shown, then set.
    enter("con_openinterval");
    EXPECT_EQ(history(0), "con_openinterval 200");
    enter("con_openinterval 20000");
    enter("con_openinterval");
    EXPECT_EQ(history(0), "con_openinterval 10000");

    // A folder alias opens Explorer on the folder.
    make_dirs("C:\\Work");
    enter("dir_allias w C:\\Work");
    EXPECT_EQ(read_file(folder_aliases + "\\w"), std::string("C:\\Work\r\n"));
    before = visible_top_windows();
    enter("w");
    HWND explorer = wait_for_new_window(before, "Work");
    EXPECT_NE(explorer, nullptr) << "Explorer did not open C:\\Work";
    if (explorer) end_process_of(explorer);
    shot("console_commands");

    // The history moved up line by line; the oldest lines are gone.
    EXPECT_EQ(history(0), "w");
    EXPECT_EQ(history(1), "dir_allias w C:\\Work");
    EXPECT_EQ(history(2), "con_openinterval 10000");
    EXPECT_EQ(history(5), "con_skin 7");

    // An unusable name writes nothing and says so.
    enter("allias ..\\..\\evil notepad.exe");
    EXPECT_EQ(history(0), "allias ..\\..\\evil notepad.exe >>ОШИБКА: НЕДОПУСТИМОЕ ИМЯ");
    EXPECT_FALSE(file_exists(install_dir + "\\evil"));

    // del_all empties both alias folders but keeps them.
    enter("del_all");
    EXPECT_FALSE(file_exists(program_aliases + "\\np"));
    EXPECT_FALSE(file_exists(folder_aliases + "\\w"));
    EXPECT_TRUE(file_exists(program_aliases));
    EXPECT_TRUE(file_exists(folder_aliases));

    // exit ends the program without echoing and writes the settings as
    // changed in memory: skin 7, interval 10000.
    bring_to_front(band);
    type_text("exit");
    press_key(VK_RETURN);
    ASSERT_TRUE(console.wait_exit(10s));
    EXPECT_EQ(read_file(settings_file),
              install_dir + "\\Skins\\skin_ 7.jpg 1 10000\r\n");
}

// Names and targets that Windows-1251, the alias files' code page, cannot
// hold are refused whole: nothing is written with "?" in their place.
TEST_F(ConsoleTest, AliasNamesAndTargetsWithoutAWindows1251FormAreRefusedAndWriteNothing) {
    start_console();
    for (const std::string line : {"allias Zoë notepad.exe", "dir_allias 文件 C:\\Work",
                                   "allias np C:\\文件\\a.exe", "dir_allias w C:\\Zoë"}) {
        SCOPED_TRACE(line);
        enter(line);
        EXPECT_EQ(history(0), line + " >>ОШИБКА: НЕДОПУСТИМОЕ ИМЯ");
    }
    EXPECT_EQ(files_in(program_aliases), std::vector<std::string>{});
    EXPECT_EQ(files_in(folder_aliases), std::vector<std::string>{});
}

TEST_F(ConsoleTest, TabCompletesCommandWordsInTheirFixedOrder) {
    start_console();
    bring_to_front(band);
    type_text("con_");
    ASSERT_TRUE(wait_until([&] { return text_of(input) == "con_"; }, 2s));
    press_key(VK_TAB, 150ms);  // held like a person holds it
    EXPECT_TRUE(wait_until([&] { return text_of(input) == "con_fontcolor"; }, 2s))
        << text_of(input);
    set_text(input, "");
    type_text("d");
    ASSERT_TRUE(wait_until([&] { return text_of(input) == "d"; }, 2s));
    press_key(VK_TAB, 150ms);  // held like a person holds it
    EXPECT_TRUE(wait_until([&] { return text_of(input) == "dir_allias"; }, 2s)) << text_of(input);
}

TEST_F(ConsoleTest, AnAliasWhoseProgramIsMissingSaysSo) {
    ASSERT_TRUE(write_file(program_aliases + "\\ghost", "C:\\nowhere\\ghost.exe\r\n"));
    start_console();
    enter("ghost");
    EXPECT_EQ(history(0), "ghost >>ОШИБКА: ФАЙЛ НЕ НАЙДЕН");
    enter("foo");
    EXPECT_EQ(history(0), "foo");
    EXPECT_EQ(history(1), "ghost >>ОШИБКА: ФАЙЛ НЕ НАЙДЕН");
}

// A document is no program: the shell opens it with its program, here the
// text editor, even where its path has blanks.
TEST_F(ConsoleTest, AnAliasToADocumentOpensItWithItsProgram) {
    // Windows maps .txt to its text editor; a fresh Wine prefix may know the
    // editor's class ("txtfile") without the mapping.
    if (!registry_string(HKEY_CLASSES_ROOT, ".txt", "")) {
        ASSERT_TRUE(set_registry_string(HKEY_CLASSES_ROOT, ".txt", "", "txtfile"));
    }
    make_dirs(install_dir + "\\My Notes");
    ASSERT_TRUE(write_file(install_dir + "\\My Notes\\plan.txt", "a plan\r\n"));
    ASSERT_TRUE(write_file(program_aliases + "\\plan",
                           install_dir + "\\My Notes\\plan.txt\r\n"));
    start_console();
    const auto before = visible_top_windows();
    enter("plan");
    EXPECT_EQ(history(0), "plan");
    HWND notepad = wait_for_new_window(before, "Notepad");
    EXPECT_NE(notepad, nullptr) << "the document was not opened";
    if (notepad) {
        EXPECT_NE(text_of(notepad).find("plan"), std::string::npos) << text_of(notepad);
        shot("document_alias");
        end_process_of(notepad);
    }
    // A file that nothing opens is refused; a document that is gone is missing.
    ASSERT_TRUE(write_file(install_dir + "\\data.zz9", "?"));
    ASSERT_TRUE(write_file(program_aliases + "\\odd", install_dir + "\\data.zz9\r\n"));
    ASSERT_TRUE(write_file(program_aliases + "\\gone", install_dir + "\\gone.txt\r\n"));
    enter("odd");
    EXPECT_EQ(history(0), "odd >>ОШИБКА: ОТКАЗАНО СИСТЕМОЙ");
    enter("gone");
    EXPECT_EQ(history(0), "gone >>ОШИБКА: ФАЙЛ НЕ НАЙДЕН");
}

}  // namespace
}  // namespace vh::e2e
