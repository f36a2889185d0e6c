// Alias names that try to reach beyond the alias directories: parent paths,
// drive and network paths, devices, streams, wildcards, control characters,
// names Windows would silently shorten, names too long. Run against the fake
// natively and against the real file system under Wine, proving that no
// file anywhere is created, changed or deleted by a refused alias command.
#include <map>
#include <vector>

#include "console/alias_store.h"
#include "console/command_interpreter.h"
#include "platform/fake/fake_system.h"
#include "tests/interface/fixture.h"
#include "tests/unit/console/fake_console_view.h"

namespace vh::testing {
namespace {

// Where an escaping name would land if it were let through.
const char* const outside_targets[] = {
    "C:\\x_vh_hostile",
    "C:\\Windows\\x_vh_hostile",
    "C:\\vh_interface_test\\d",
    "C:\\vh_interface_test\\c\\d",
    "C:\\vh_interface_test\\a\\sub\\d",
};

// Names that hold no blank, so that a definition takes them whole.
std::vector<std::string> hostile_names(std::size_t alias_dir_length) {
    return {
        "..\\d", "..\\..\\x_vh_hostile", "..\\..\\..\\x_vh_hostile", "..\\c\\d", "..\\c\\x.txt",
        "..\\x.txt", "..\\b\\x.txt", "sub\\d", "sub\\x.txt", "sub/x.txt", "../c/d", "a/b",
        "C:\\x_vh_hostile", "C:\\Windows\\x_vh_hostile", "C:x_vh_hostile",
        "C:\\vh_interface_test\\c\\x.txt", "\\x_vh_hostile", "/x_vh_hostile",
        "\\\\localhost\\C$\\x_vh_hostile", "\\\\?\\C:\\x_vh_hostile", "\\\\.\\C:",
        "x.txt:stream", "x.txt::$DATA", "d*", "*.*", "?.txt", "d\"", "d<", "d>", "d|",
        "d\x01", "d\t", "d\r\n", std::string("d\0e", 3), "\x1b[0m", "d\x7f",
        ".", "..", "...", "d.", "d..", "x.txt.",
        "CON", "con", "PRN", "AUX", "NUL", "COM1", "com9", "LPT1", "lpt1.txt", "Con.x.y",
        "nul.tar.gz", "CONIN$", "CONOUT$",
        std::string(256, 'd'), std::string(1000, 'd'),
        std::string(259 - alias_dir_length + 1, 'd'),  // a name, but too long a path
    };
}

// Names with blanks reach the store only through deletion.
const char* const hostile_names_with_blanks[] = {
    "", " ", "d ", "d. ", "x.txt ", "NUL .txt", "..\\x.txt ", "..\\c\\x.txt ",
};

class HostileAliasNames : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        for (const char* dir : {"a", "b", "c", "a\\sub"})
            ASSERT_EQ(fs.create_directory(path(dir)), FsError::ok);
        for (const char* file : {"x.txt", "a\\x.txt", "a\\sub\\x.txt", "b\\x.txt", "c\\x.txt"})
            ASSERT_EQ(fs.write_file(path(file), std::string("keep ") + file), FsError::ok);
        for (const char* target : outside_targets) ASSERT_FALSE(exists(target)) << target;
        before = snapshot();
    }
    void TearDown() override {
        for (const char* target : outside_targets) fs.delete_file(target);
        PlatformTest::TearDown();
    }

    bool exists(const std::string& p) {
        std::uint32_t attributes = 0;
        return fs.get_attributes(p, attributes) == FsError::ok;
    }

    // Every file the sandbox's directories list, with attributes and content.
    std::map<std::string, std::string> snapshot() {
        std::map<std::string, std::string> out;
        for (const std::string& dir : {sandbox, path("a"), path("b"), path("c"), path("a\\sub")}) {
            std::uint32_t attributes = 0;
            out[dir + "\\"] = fs.get_attributes(dir, attributes) == FsError::ok
                                  ? std::to_string(attributes)
                                  : "missing";
            std::vector<std::string> names;
            fs.list_files(dir, names);
            for (const std::string& name : names) {
                std::string content;
                fs.read_file(dir + "\\" + name, content);
                fs.get_attributes(dir + "\\" + name, attributes);
                out[dir + "\\" + name] = std::to_string(attributes) + ":" + content;
            }
        }
        return out;
    }

    void expect_nothing_changed() {
        EXPECT_EQ(snapshot(), before);
        for (const char* target : outside_targets) EXPECT_FALSE(exists(target)) << target;
        EXPECT_TRUE(starter.started.empty());
    }

    FakeProcessStarter starter;
    AliasStore store{fs, starter, path("a"), path("b")};
    std::map<std::string, std::string> before;
};

TEST_F(HostileAliasNames, DefinitionsDeletionsAndLookupsRefuseThemAndTouchNothing) {
    const auto names = hostile_names(store.program_dir().size());
    ASSERT_GE(names.size() + std::size(hostile_names_with_blanks), 40u);
    for (const std::string& name : names) {
        SCOPED_TRACE("name: " + name);
        EXPECT_EQ(store.define_program_alias(name + " hostile.exe"), AliasStatus::invalid_name);
        EXPECT_EQ(store.define_folder_alias(name + " C:\\"), AliasStatus::invalid_name);
        EXPECT_EQ(store.delete_program_alias(name), AliasStatus::invalid_name);
        EXPECT_EQ(store.delete_folder_alias(name), AliasStatus::invalid_name);
        EXPECT_EQ(store.run_program_alias(name).status, AliasStatus::nothing_matched);
        EXPECT_EQ(store.run_folder_alias(name, "C:\\WINDOWS").status,
                  AliasStatus::nothing_matched);
    }
    for (const char* name : hostile_names_with_blanks) {
        SCOPED_TRACE(std::string("name: \"") + name + "\"");
        EXPECT_EQ(store.delete_program_alias(name), AliasStatus::invalid_name);
        EXPECT_EQ(store.delete_folder_alias(name), AliasStatus::invalid_name);
    }
    expect_nothing_changed();
}

TEST_F(HostileAliasNames, RefusedCommandLinesEchoTheStatusAndTouchNothing) {
    ConsoleState state;
    state.win_dir = "C:\\WINDOWS";
    FakeConsoleView view;
    FakeKeyState keys;
    FakeSessionControl session;
    CommandInterpreter interpreter(state, view, store, starter, keys, session);
    std::vector<std::string> lines = {"allias np", "allias  np notepad.exe", "dir_allias w",
                                      "del_allias ", "del_dirallias ..\\c\\x.txt "};
    for (const std::string& name : hostile_names(store.program_dir().size())) {
        lines.push_back("allias " + name + " evil.exe");
        lines.push_back("dir_allias " + name + " C:\\");
        lines.push_back("del_allias " + name);
        lines.push_back("del_dirallias " + name);
    }
    for (const std::string& line : lines) {
        view.input = line;
        interpreter.key_press(enter_key);
        EXPECT_EQ(view.history[0], line + invalid_name_status);
    }
    expect_nothing_changed();
    EXPECT_TRUE(view.journal.empty());
}

// The same store does write, run and delete a good name right at the length
// limit, so the refusals above are not the store refusing everything.
TEST_F(HostileAliasNames, UsableNamesStillWorkInsideTheAliasDirectory) {
    const std::string longest(259 - store.program_dir().size(), 'd');
    for (const std::string& name : {std::string("d"), std::string("x.txt"), longest}) {
        SCOPED_TRACE("name: " + name);
        ASSERT_EQ(store.define_program_alias(name + " calc.exe /x"), AliasStatus::done);
        std::string content;
        EXPECT_EQ(fs.read_file(path("a\\" + name), content), FsError::ok);
        EXPECT_EQ(content, "calc.exe /x\r\n");
        EXPECT_EQ(store.run_program_alias(name).status, AliasStatus::done);
        EXPECT_EQ(store.delete_program_alias(name), AliasStatus::done);
        EXPECT_FALSE(exists(path("a\\" + name)));
    }
    ASSERT_EQ(starter.started.size(), 3u);
    EXPECT_EQ(starter.started[0].command_line, "calc.exe /x");
    std::map<std::string, std::string> expected = before;
    expected.erase(path("a\\x.txt"));  // replaced, then deleted
    EXPECT_EQ(snapshot(), expected);
}

}  // namespace
}  // namespace vh::testing
