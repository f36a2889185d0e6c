// Alias files that the file system refuses to change or delete: other
// users' aliases, which only their authors may change. Modelled with
// read-only files and refused operations, which Windows refuses in the same
// way; every line must leave those files as they are, do what it may with
// the rest, and say so.
#include <gtest/gtest.h>

#include "shared/product.h"

#include <map>
#include <set>

#include "console/command_interpreter.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"
#include "tests/unit/console/fake_console_view.h"

namespace vh {
namespace {

using Files = std::map<std::string, std::string>;  // alias name -> file content

const std::string exe_dir = std::string(product::program_alias_dir) + "\\";
const std::string dirs_dir = std::string(product::folder_alias_dir) + "\\";
const std::string O = others_alias_status;

struct RightsCase {
    const char* name;
    std::string line;
    Files programs, folders;       // before the line
    std::set<std::string> others;  // paths of the files the file system refuses to change
    std::string status;            // after the line in the echo
    Files programs_after, folders_after;
    std::vector<std::string> started = {};
    bool folders_closed = false;  // neither directory takes a new file
};

const Files np{{"np", "notepad.exe\r\n"}};

// Who may change which alias, row by row, is the table of
// tests/unit/setup/alias_owners_test.cpp, on the rights Setup gives; these
// are the refusals it does not reach.
const RightsCase rights_cases[] = {
    {"defining over another's, typed in another case", "allias NP evil.exe", np, {},
     {exe_dir + "np"}, O, np, {}},
    {"del_all over another's folder aliases only", "del_all", {{"a", "a.exe\r\n"}},
     {{"w", "C:\\\r\n"}}, {dirs_dir + "w"}, O, {}, {{"w", "C:\\\r\n"}}},
    // No file of the name: the refusal is the folder's, not another user's.
    {"a folder that takes no new alias", "allias new calc.exe", np, {}, {}, "", np, {}, {},
     true},
};

void put_files(FakeFileSystem& fs, const std::string& dir, const Files& files,
               const std::set<std::string>& others) {
    for (const auto& [name, content] : files)
        fs.put_file(dir + name, content,
                    others.count(dir + name) ? attr::read_only | attr::archive : attr::archive);
}

Files files_in(FakeFileSystem& fs, const std::string& dir) {
    std::vector<std::string> names;
    fs.list_files(dir, names);
    Files files;
    for (const std::string& name : names) files[name] = fs.content(dir + name).value_or("?");
    return files;
}

TEST(AliasRights, RefusedFilesStayTheRestIsDoneAndTheEchoSaysSo) {
    for (const RightsCase& c : rights_cases) {
        SCOPED_TRACE(c.name);
        FakeFileSystem fs;
        fs.put_directory(exe_dir);
        fs.put_directory(dirs_dir);
        put_files(fs, exe_dir, c.programs, c.others);
        put_files(fs, dirs_dir, c.folders, c.others);
        fs.set_closed_to_new_entries(exe_dir, c.folders_closed);
        fs.set_closed_to_new_entries(dirs_dir, c.folders_closed);
        FakeProcessStarter starter;
        FakeKeyState keys;
        FakeSessionControl session;
        testing::FakeConsoleView view;
        ConsoleState state;
        state.win_dir = "C:\\WINDOWS";
        AliasStore aliases(fs, starter);
        CommandInterpreter interpreter(state, view, aliases, starter, keys, session);
        view.input = c.line;
        interpreter.key_press(enter_key);
        EXPECT_EQ(view.history[0], c.line + c.status);
        EXPECT_EQ(files_in(fs, exe_dir), c.programs_after);
        EXPECT_EQ(files_in(fs, dirs_dir), c.folders_after);
        std::vector<std::string> started;
        for (const auto& s : starter.started) started.push_back(s.command_line);
        EXPECT_EQ(started, c.started);
    }
}

// The rights refuse a file that is not read-only: the store knows it only
// by the refusal of the write or the deletion of a file that is there.
TEST(AliasRights, ARefusalOfAFileWithoutReadOnlyIsAnotherUsersAliasToo) {
    FakeFileSystem fs;
    fs.put_directory(exe_dir);
    fs.put_directory(dirs_dir);
    fs.put_file(exe_dir + "np", "notepad.exe\r\n");
    FakeProcessStarter starter;
    AliasStore aliases(fs, starter);
    fs.fail_operation(1);  // the write
    EXPECT_EQ(aliases.define_program_alias("np evil.exe"), AliasStatus::others_alias);
    fs.fail_operation(2);  // the lookup succeeds, the deletion not
    EXPECT_EQ(aliases.delete_program_alias("np"), AliasStatus::others_alias);
    EXPECT_EQ(fs.content(exe_dir + "np"), "notepad.exe\r\n");
    // A folder's refusal to be listed is no alias of anyone's.
    fs.fail_operation(1);
    EXPECT_EQ(aliases.delete_all(), AliasStatus::failed);
    EXPECT_EQ(fs.content(exe_dir + "np"), "notepad.exe\r\n");
}

}  // namespace
}  // namespace vh
