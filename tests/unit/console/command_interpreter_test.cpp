#include <gtest/gtest.h>

#include "shared/product.h"

#include <map>
#include <optional>
#include <set>

#include "console/command_interpreter.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"
#include "tests/unit/console/fake_console_view.h"

namespace vh {
namespace {

using testing::FakeConsoleView;
using Files = std::map<std::string, std::string>;  // alias name -> file content
using Journal = std::vector<std::string>;

const std::string exe_dir = std::string(product::program_alias_dir) + "\\";
const std::string dirs_dir = std::string(product::folder_alias_dir) + "\\";
const std::string E = file_not_found_status;
const std::string I = invalid_name_status;
const std::string V = invalid_value_status;
const std::string skins = product::skin_path_prefix;
const std::string explorer = "start C:\\WINDOWS\\explorer.exe  ";

// A console after start-up: designed settings, both alias directories, six
// old history lines h0 (newest) .. h5, and every program start journalled
// with the window's actions.
struct Console {
    Console() {
        fs.put_directory(exe_dir);
        fs.put_directory(dirs_dir);
        state.win_dir = "C:\\WINDOWS";
        state.history_pos = 6;
        for (int i = 0; i < history_lines; ++i) view.history[i] = "h" + std::to_string(i);
        starter.decide = [this](const std::string& command_line) {
            view.journal.push_back("start " + command_line);
            return missing_programs.count(command_line) ? StartResult::file_not_found
                                                        : StartResult::ok;
        };
    }
    void type(const std::string& line, int key = enter_key) {
        view.input = line;
        interpreter.key_press(key);
    }
    std::vector<std::string> listed(const std::string& dir) {
        std::vector<std::string> names;
        fs.list_files(dir, names);
        return names;
    }

    FakeFileSystem fs;
    FakeProcessStarter starter;
    FakeKeyState keys;
    FakeSessionControl session;
    FakeConsoleView view;
    ConsoleState state;
    std::set<std::string> missing_programs;
    AliasStore aliases{fs, starter};
    CommandInterpreter interpreter{state, view, aliases, starter, keys, session};
};

struct SequenceCase {
    const char* name;
    std::string line;
    Files programs = {};  // program aliases before the line
    Files folders = {};   // folder aliases before the line
    std::set<std::string> missing_programs = {};
    LoadResult skin_load = LoadResult::ok;
    // What the line must do:
    Journal journal = {};
    std::optional<std::string> echoed = std::nullopt;  // Label1(0); nullopt: the line itself
    std::vector<unsigned> session_exits = {};
    bool session_refuses = false;
    std::optional<Files> programs_after = std::nullopt;  // nullopt: unchanged
    std::optional<Files> folders_after = std::nullopt;
    Settings settings = designed_settings();
};

Settings with(std::int16_t interval, std::int16_t color, std::int16_t skin = 0,
              std::string path = "") {
    Settings s = designed_settings();
    s.open_interval = interval;
    s.font_color = color;
    s.skin_number = skin;
    s.skin_path = std::move(path);
    return s;
}

const Files np = {{"np", "notepad.exe\r\n"}};
const Files w = {{"w", "C:\\Work\r\n"}};

const SequenceCase sequence_cases[] = {
    {.name = "empty line is echoed", .line = ""},
    {.name = "unknown line only echoed", .line = "foo"},
    {.name = "close hides", .line = "close", .journal = {"hide"}},
    {.name = "CLOSE is no command", .line = "CLOSE"},
    {.name = "about", .line = "about", .journal = {"about"}},
    {.name = "ABOUT", .line = "ABOUT", .journal = {"about"}},
    {.name = "About is no command", .line = "About"},
    {.name = "Exit is no command", .line = "Exit"},
    // con_openinterval
    {.name = "interval shown", .line = "con_openinterval", .echoed = "con_openinterval 200"},
    {.name = "interval 0 raised to 1", .line = "con_openinterval 0", .journal = {"timer 1"},
     .settings = with(1, 1)},
    {.name = "interval 20000 lowered", .line = "con_openinterval 20000",
     .journal = {"timer 10000"}, .settings = with(10000, 1)},
    {.name = "interval abc reads 0", .line = "con_openinterval abc", .journal = {"timer 1"},
     .settings = with(1, 1)},
    {.name = "interval lone blank", .line = "con_openinterval ", .journal = {"timer 1"},
     .settings = with(1, 1)},
    {.name = "interval beyond 16 bits up", .line = "con_openinterval 99999",
     .journal = {"timer 10000"}, .settings = with(10000, 1)},
    {.name = "interval beyond 16 bits down", .line = "con_openinterval -99999",
     .journal = {"timer 1"}, .settings = with(1, 1)},
    {.name = "interval without blank", .line = "con_openinterval750", .journal = {"timer 750"},
     .settings = with(750, 1)},
    // con_fontcolor
    {.name = "colour shown", .line = "con_fontcolor", .echoed = "con_fontcolor 1"},
    {.name = "colour red", .line = "con_fontcolor 4", .journal = {"color 255,0,0"},
     .settings = with(200, 4)},
    {.name = "colour 9 like 1, kept", .line = "con_fontcolor 9", .journal = {"color window"},
     .settings = with(200, 9)},
    {.name = "colour negative kept", .line = "con_fontcolor -4", .journal = {"color window"},
     .settings = with(200, -4)},
    {.name = "colour 10 refused", .line = "con_fontcolor 10", .echoed = "con_fontcolor 10" + V},
    {.name = "colour -10 refused", .line = "con_fontcolor -10", .echoed = "con_fontcolor -10" + V},
    {.name = "colour beyond 16 bits refused", .line = "con_fontcolor 99999",
     .echoed = "con_fontcolor 99999" + V},
    // con_skin
    {.name = "skin shown", .line = "con_skin", .echoed = "con_skin 0"},
    {.name = "skin 3", .line = "con_skin 3", .journal = {"skin " + skins + " 3.jpg"},
     .settings = with(200, 1, 3, skins + " 3.jpg")},
    {.name = "skin without blank", .line = "con_skin3", .journal = {"skin " + skins + " 3.jpg"},
     .echoed = "con_skin3", .settings = with(200, 1, 3, skins + " 3.jpg")},
    {.name = "skin picture missing", .line = "con_skin 7",
     .skin_load = LoadResult::file_not_found, .journal = {"skin " + skins + " 7.jpg"},
     .echoed = "con_skin 7" + E, .settings = with(200, 1, 7, skins + " 7.jpg")},
    {.name = "skin picture broken", .line = "con_skin 2", .skin_load = LoadResult::failed,
     .journal = {"skin " + skins + " 2.jpg"}, .settings = with(200, 1, 2, skins + " 2.jpg")},
    {.name = "skin negative", .line = "con_skin -2", .journal = {"skin " + skins + "-2.jpg"},
     .settings = with(200, 1, -2, skins + "-2.jpg")},
    {.name = "skin 10 refused, nothing loaded", .line = "con_skin 10",
     .echoed = "con_skin 10" + V},
    {.name = "skin -10 refused", .line = "con_skin -10", .echoed = "con_skin -10" + V},
    {.name = "skin beyond 16 bits refused", .line = "con_skin 70000",
     .echoed = "con_skin 70000" + V},
    {.name = "missing skin skips the alias of the same line", .line = "con_skin 7",
     .programs = {{"con_skin 7", "calc.exe\r\n"}}, .skin_load = LoadResult::file_not_found,
     .journal = {"skin " + skins + " 7.jpg"}, .echoed = "con_skin 7" + E,
     .settings = with(200, 1, 7, skins + " 7.jpg")},
    {.name = "loaded skin lets the alias of the same line run", .line = "con_skin 7",
     .programs = {{"con_skin 7", "calc.exe\r\n"}},
     .journal = {"skin " + skins + " 7.jpg", "start calc.exe"},
     .settings = with(200, 1, 7, skins + " 7.jpg")},
    // definitions
    {.name = "define program alias", .line = "allias np notepad.exe C:\\a b.txt",
     .programs_after = Files{{"np", "notepad.exe C:\\a b.txt\r\n"}}},
    {.name = "redefine program alias", .line = "allias np write.exe", .programs = np,
     .programs_after = Files{{"np", "write.exe\r\n"}}},
    {.name = "allias alone is no definition", .line = "allias", .programs_after = Files{}},
    {.name = "allias and a blank defines nothing", .line = "allias ", .programs_after = Files{}},
    {.name = "definition without target blank", .line = "allias np", .echoed = "allias np" + I,
     .programs_after = Files{}},
    {.name = "definition beginning with blank", .line = "allias  np x",
     .echoed = "allias  np x" + I, .programs_after = Files{}},
    {.name = "definition escaping the directory", .line = "allias ..\\x y",
     .echoed = "allias ..\\x y" + I, .programs_after = Files{}},
    {.name = "define folder alias", .line = "dir_allias w C:\\Work", .folders_after = w},
    {.name = "folder definition with a device name", .line = "dir_allias nul C:\\",
     .echoed = "dir_allias nul C:\\" + I, .folders_after = Files{}},
    // runs
    {.name = "run program alias", .line = "np", .programs = np, .journal = {"start notepad.exe"}},
    {.name = "names are case-sensitive", .line = "NP", .programs = np},
    {.name = "program missing", .line = "np", .programs = np,
     .missing_programs = {"notepad.exe"}, .journal = {"start notepad.exe"}, .echoed = "np" + E},
    {.name = "run folder alias", .line = "w", .folders = w,
     .journal = {explorer + "C:\\Work"}},
    {.name = "program then folder of one name", .line = "x", .programs = {{"x", "a.exe\r\n"}},
     .folders = {{"x", "D:\\\r\n"}}, .journal = {"start a.exe", explorer + "D:\\"}},
    {.name = "missing program skips the folder", .line = "x",
     .programs = {{"x", "a.exe\r\n"}}, .folders = {{"x", "D:\\\r\n"}},
     .missing_programs = {"a.exe"}, .journal = {"start a.exe"}, .echoed = "x" + E},
    {.name = "too short alias file skips the folder silently", .line = "x",
     .programs = {{"x", "a"}}, .folders = {{"x", "D:\\\r\n"}}},
    {.name = "alias named close also hides", .line = "close",
     .programs = {{"close", "calc.exe\r\n"}}, .journal = {"hide", "start calc.exe"}},
    // deletions
    {.name = "delete program alias only", .line = "del_allias np", .programs = np,
     .folders = {{"np", "C:\\\r\n"}}, .programs_after = Files{},
     .folders_after = Files{{"np", "C:\\\r\n"}}},
    {.name = "delete folder alias", .line = "del_dirallias w", .folders = w,
     .folders_after = Files{}},
    {.name = "delete unknown name", .line = "del_allias zz", .programs = np},
    {.name = "delete escaping the directory", .line = "del_dirallias ..\\Exe_files\\np",
     .programs = np, .echoed = "del_dirallias ..\\Exe_files\\np" + I},
    {.name = "delete all", .line = "del_all", .programs = np, .folders = w,
     .programs_after = Files{}, .folders_after = Files{}},
    {.name = "alias named del_all runs, then all goes", .line = "del_all",
     .programs = {{"del_all", "calc.exe\r\n"}}, .folders = w, .journal = {"start calc.exe"},
     .programs_after = Files{}, .folders_after = Files{}},
    {.name = "failing alias named del_all deletes nothing", .line = "del_all",
     .programs = {{"del_all", "calc.exe\r\n"}}, .folders = w, .missing_programs = {"calc.exe"},
     .journal = {"start calc.exe"}, .echoed = "del_all" + E},
    // session and drives
    {.name = "newuser logs off", .line = "newuser", .session_exits = {exit_flags::logoff}},
    {.name = "power shuts down", .line = "power", .session_exits = {exit_flags::shutdown}},
    {.name = "restart restarts", .line = "restart", .session_exits = {exit_flags::reboot}},
    {.name = "a refused shut-down is told", .line = "power",
     .echoed = std::string("power") + refused_status, .session_exits = {exit_flags::shutdown},
     .session_refuses = true},
    {.name = "Power is no command", .line = "Power"},
    {.name = "drive", .line = "drive d", .journal = {explorer + "d:\\"}},
    {.name = "drive argument untrimmed", .line = "drive  d", .journal = {explorer + " d:\\"}},
    {.name = "drive without blank is no command", .line = "drive"},
    {.name = "explorer missing", .line = "drive d",
     .missing_programs = {"C:\\WINDOWS\\explorer.exe  d:\\"}, .journal = {explorer + "d:\\"}, .echoed = "drive d" + E},
};

void expect_files(Console& console, const std::string& dir, const Files& expected) {
    std::vector<std::string> names = console.listed(dir);
    Files actual;
    for (const auto& name : names) actual[name] = console.fs.content(dir + name).value_or("?");
    EXPECT_EQ(actual, expected) << dir;
}

TEST(CommandSequence, EveryMatchingStepActsThenTheLineIsEchoed) {
    for (const SequenceCase& c : sequence_cases) {
        SCOPED_TRACE(c.name);
        Console console;
        for (const auto& [name, content] : c.programs) console.fs.put_file(exe_dir + name, content);
        for (const auto& [name, content] : c.folders) console.fs.put_file(dirs_dir + name, content);
        console.missing_programs = c.missing_programs;
        console.view.skin_result = c.skin_load;
        console.session.refuses = c.session_refuses;

        console.type(c.line);

        EXPECT_EQ(console.view.journal, c.journal);
        EXPECT_EQ(console.session.calls, c.session_exits);
        EXPECT_EQ(console.view.history[0], c.echoed.value_or(c.line));
        for (int i = 1; i < history_lines; ++i)
            EXPECT_EQ(console.view.history[i], "h" + std::to_string(i - 1));
        EXPECT_EQ(console.view.input, "");
        EXPECT_EQ(console.state.history_pos, 0);
        expect_files(console, exe_dir, c.programs_after.value_or(c.programs));
        expect_files(console, dirs_dir, c.folders_after.value_or(c.folders));
        const Settings& s = console.state.settings;
        EXPECT_EQ(s.open_interval, c.settings.open_interval);
        EXPECT_EQ(s.font_color, c.settings.font_color);
        EXPECT_EQ(s.skin_number, c.settings.skin_number);
        EXPECT_EQ(s.skin_path, c.settings.skin_path);
    }
}

TEST(CommandSequence, ExitAndQuitUnloadAtOnceWithoutEcho) {
    for (const char* line : {"exit", "quit"}) {
        Console console;
        console.fs.put_file(exe_dir + line, "calc.exe\r\n");  // an alias of that name
        console.type(line);
        EXPECT_EQ(console.view.journal, Journal{"unload"}) << line;
        EXPECT_EQ(console.view.history[0], "h0") << line;
        EXPECT_EQ(console.view.input, line);
    }
}

TEST(CommandSequence, OnlyEnterRunsTheSteps) {
    Console console;
    console.type("close", 'x');
    console.type("power", 10);
    EXPECT_TRUE(console.view.journal.empty());
    EXPECT_TRUE(console.session.calls.empty());
    EXPECT_EQ(console.view.history[0], "h0");
    EXPECT_EQ(console.view.input, "power");
}

TEST(CommandSequence, StatusesDoNotCarryOverToTheNextLine) {
    Console console;
    console.view.skin_result = LoadResult::file_not_found;
    console.type("con_skin 7");
    console.type("allias np");
    console.type("foo");
    EXPECT_EQ(console.view.history[2], "con_skin 7" + E);
    EXPECT_EQ(console.view.history[1], "allias np" + I);
    EXPECT_EQ(console.view.history[0], "foo");
}

TEST(CommandSequence, AliasDefinedOnOneLineRunsOnTheNext) {
    Console console;
    console.type("allias np notepad.exe");
    console.type("dir_allias w C:\\Work");
    console.type("np");
    console.type("w");
    EXPECT_EQ(console.view.journal, (Journal{"start notepad.exe", explorer + "C:\\Work"}));
}

TEST(CommandSequence, RussianAliasesRunAndUnstorableOnesAreRefusedInTheEcho) {
    Console console;
    for (const char* line : {"allias док notepad.exe", "dir_allias папка C:\\Папка",
                             "allias Zoë calc.exe", "dir_allias 文件 C:\\"})
        console.type(line);
    EXPECT_EQ(console.view.history[1], "allias Zoë calc.exe" + I);
    EXPECT_EQ(console.view.history[0], "dir_allias 文件 C:\\" + I);
    console.type("док");
    console.type("папка");
    EXPECT_EQ(console.view.journal, (Journal{"start notepad.exe", explorer + "C:\\Папка"}));
}

TEST(CommandSequence, MissingAliasDirectoriesGiveFileNotFoundAndCommandsStillWork) {
    Console console;
    FakeConsoleView& view = console.view;
    AliasStore lost(console.fs, console.starter, "C:\\gone\\Exe_files\\", "C:\\gone\\Dirs\\");
    CommandInterpreter interpreter(console.state, view, lost, console.starter, console.keys,
                                   console.session);
    for (const char* line : {"allias np notepad.exe", "del_dirallias w", "del_all", "drive d"}) {
        view.input = line;
        interpreter.key_press(enter_key);
        EXPECT_EQ(view.history[0], line + E);
    }
    // The lookups could not look, but the drive was opened all the same.
    EXPECT_EQ(view.journal, Journal{explorer + "d:\\"});
    EXPECT_FALSE(console.fs.exists("C:\\gone"));
}

// An alias file the file system will not change is told as another user's;
// other refusals leave the line echoed without a message.
TEST(CommandSequence, FileSystemRefusalsOfAnAliasFileAreToldAsAnotherUsersAlias) {
    Console console;
    const std::string O = others_alias_status;
    console.fs.put_file(exe_dir + "ro", "calc.exe\r\n", attr::read_only);
    console.fs.put_file(exe_dir + "np", "notepad.exe\r\n");
    console.type("del_allias ro");
    EXPECT_EQ(console.view.history[0], "del_allias ro" + O);
    console.type("allias ro other.exe");
    EXPECT_EQ(console.view.history[0], "allias ro other.exe" + O);
    console.type("del_all");
    EXPECT_EQ(console.view.history[0], "del_all" + O);
    EXPECT_EQ(console.listed(exe_dir), std::vector<std::string>{"ro"});
    EXPECT_EQ(console.fs.content(exe_dir + "ro"), "calc.exe\r\n");
    // A refused read of a found alias fires the trap: nothing further runs.
    console.fs.put_file(exe_dir + "x", "a.exe\r\n");
    console.fs.put_file(dirs_dir + "x", "C:\\\r\n");
    console.fs.fail_operation(2);  // the list succeeds, the read is refused
    console.type("x");
    EXPECT_EQ(console.view.history[0], "x");
    EXPECT_TRUE(console.view.journal.empty());
}

// Targets that cannot start as programs (administrator rights asked, a
// document, a shortcut) go to the shell, program apart from its arguments;
// its refusal and a missing file are told, and the trap stops the line.
struct ShellCase {
    const char* name;
    std::string target;             // the alias file's line
    std::vector<std::string> files;  // files that exist
    StartResult direct;             // what the program start says
    StartResult shell;              // what the shell says
    std::vector<std::string> opened;  // program and arguments the shell got
    std::string status;             // after "np" in the echo
};

TEST(CommandSequence, AliasesThatAreNoProgramsOpenThroughTheShell) {
    const std::string R = refused_status;
    const ShellCase cases[] = {
        {"document", "C:\\Docs\\notes.txt", {}, StartResult::needs_shell, StartResult::ok,
         {"C:\\Docs\\notes.txt", ""}, ""},
        {"blanks in the document's path", "C:\\My Docs\\plan 2.txt",
         {"C:\\My Docs\\plan 2.txt"}, StartResult::needs_shell, StartResult::ok,
         {"C:\\My Docs\\plan 2.txt", ""}, ""},
        {"consent refused", "C:\\Program Files\\Tool\\setup.exe /S  /D=C:\\T",
         {"C:\\Program Files\\Tool\\setup.exe"}, StartResult::needs_shell,
         StartResult::failed, {"C:\\Program Files\\Tool\\setup.exe", "/S  /D=C:\\T"}, R},
        {"quoted program", "\"C:\\Program Files\\Tool\\setup.exe\"   -q", {},
         StartResult::needs_shell, StartResult::ok, {"C:\\Program Files\\Tool\\setup.exe", "-q"},
         ""},
        {"found on the path only", "regedit /s x.reg", {}, StartResult::needs_shell,
         StartResult::ok, {"regedit", "/s x.reg"}, ""},
        // The console file's program (mmc.exe) may be a 64-bit one, which
        // sees only the path as written.
        {"System32 console file", "C:\\Windows\\System32\\compmgmt.msc", {},
         StartResult::needs_shell, StartResult::ok, {"C:\\Windows\\System32\\compmgmt.msc", ""},
         ""},
        {"shell finds nothing", "C:\\gone.msc", {}, StartResult::needs_shell,
         StartResult::file_not_found, {"C:\\gone.msc", ""}, E},
        {"missing program", "C:\\gone.exe", {}, StartResult::file_not_found, StartResult::ok,
         {}, E},
        {"other refusal", "C:\\locked.exe", {}, StartResult::failed, StartResult::ok, {}, ""},
    };
    for (const ShellCase& c : cases) {
        SCOPED_TRACE(c.name);
        Console console;
        console.fs.put_file(exe_dir + "np", c.target + "\r\n");
        console.fs.put_file(dirs_dir + "np", "C:\\\r\n");  // not reached after a failure
        for (const std::string& file : c.files) console.fs.put_file(file, "");
        console.starter.decide = [&](const std::string& line) {
            return line == c.target ? c.direct : StartResult::ok;
        };
        console.starter.decide_shell = [&](const std::string&) { return c.shell; };
        console.type("np");
        EXPECT_EQ(console.view.history[0], "np" + c.status);
        const auto& shell = c.shell == StartResult::ok ? console.starter.opened
                                                       : console.starter.shell_refused;
        if (c.opened.empty()) {
            EXPECT_TRUE(console.starter.opened.empty() && console.starter.shell_refused.empty());
        } else {
            ASSERT_EQ(shell.size(), 1u);
            EXPECT_EQ(shell[0].program, c.opened[0]);
            EXPECT_EQ(shell[0].arguments, c.opened[1]);
        }
        // The folder alias of the same name runs only when nothing failed.
        const bool fine = c.status.empty() && c.direct != StartResult::failed;
        EXPECT_EQ(console.starter.started.size(), fine ? 1u : 0u);
    }
}

struct CompletionCase {
    const char* typed;
    const char* completed;
    int history_pos;
};

TEST(TabCompletion, FirstWordInListOrderThatStartsWithTheLine) {
    const CompletionCase cases[] = {
        {"d", "dir_allias", 2},      {"c", "close", 4},        {"con_", "con_fontcolor", 5},
        {"del", "del_all", 8},       {"del_alli", "del_allias", 9},
        {"a", "about", 0},           {"q", "quit", 15},        {"about", "about", 0},
        {"z", "z", 16},              {"con_skin 3", "con_skin 3", 16},
        {"dir_allias_x", "dir_allias_x", 16},                  {"D", "D", 16},
    };
    for (const CompletionCase& c : cases) {
        Console console;
        console.keys.down = {vk::tab};
        console.type(c.typed, 'x');
        EXPECT_EQ(console.view.input, c.completed) << c.typed;
        EXPECT_EQ(console.state.history_pos, c.history_pos) << c.typed;
        EXPECT_EQ(console.view.history[0], "h0") << c.typed;
    }
}

TEST(TabCompletion, NothingWithoutTabOrOnAnEmptyLineButTabIsAlwaysAsked) {
    Console console;
    console.type("d", 'x');
    console.keys.down = {vk::tab};
    console.type("", 'x');
    EXPECT_EQ(console.view.input, "");
    EXPECT_EQ(console.state.history_pos, 6);
    EXPECT_EQ(console.keys.queries, 2);
}

TEST(TabCompletion, TheTabKeysOwnPressCompletesEvenWhenTheKeyStateLags) {
    Console console;
    console.type("del_alli", '\t');
    EXPECT_EQ(console.view.input, "del_allias");
    EXPECT_EQ(console.state.history_pos, 9);
}

TEST(TabCompletion, TabThenEnterCarriesOutTheCompletedWord) {
    Console console;
    console.keys.down = {vk::tab};
    console.type("clo");
    EXPECT_EQ(console.view.journal, Journal{"hide"});
    EXPECT_EQ(console.view.history[0], "close");
    console.type("q");
    EXPECT_EQ(console.view.journal, (Journal{"hide", "unload"}));
}

}  // namespace
}  // namespace vh
