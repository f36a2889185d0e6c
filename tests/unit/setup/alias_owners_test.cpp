// Several people's aliases in one installed tree, with the rights Setup
// gives the alias folders: two standard users, an administrator whose
// console runs unelevated like theirs, and an elevated one. Each changes
// and deletes only his own aliases, runs everyone's, and the history line
// says when another's alias stood in the way. A tree whose aliases were
// made under older rights (any user could change any alias) is brought to
// the same by a repair, its owners kept.
#include <gtest/gtest.h>

#include "console/command_interpreter.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "setup/install_procedure.h"
#include "shared/product.h"
#include "shared/registry_strings.h"
#include "tests/unit/console/fake_console_view.h"
#include "tests/unit/setup/package_machine.h"

namespace vh {
namespace {

using enum Trustee;
using enum Access;
using enum Reach;

const std::string& package = testing::download_package;
const std::string exe_dir = std::string(product::program_alias_dir) + "\\";
const std::string dirs_dir = std::string(product::folder_alias_dir) + "\\";
const std::string O = others_alias_status;

void install(FakeFileSystem& fs, FakeRegistry& registry) {
    testing::LastTextView view;
    fs.set_caller("BA");
    ASSERT_EQ(run_installation(fs, registry, view, package), InstallResult::installed)
        << view.status;
}

// The alias folders' rights before the alias files were guarded: what
// Users could do to the folders' contents they could do to every alias.
const FileRights older_alias_rights{administrators,
                                    {{system, full_control, this_and_contents},
                                     {administrators, full_control, this_and_contents},
                                     {users, read_execute_write, this_only},
                                     {users, modify, contents_only}}};

// "name=target@owner" for each alias of the folder, in name order.
std::string aliases_in(FakeFileSystem& fs, const std::string& dir) {
    std::vector<std::string> names;
    fs.list_files(dir, names);
    std::string text;
    for (const std::string& name : names) {
        std::string target = fs.content(dir + name).value_or("?");
        if (target.ends_with("\r\n")) target.resize(target.size() - 2);
        text += (text.empty() ? "" : " ") + name + "=" + target + "@" + fs.owner(dir + name);
    }
    return text;
}

// Before each row: every account's aliases, each made through its console.
const std::pair<const char*, const char*> everyones_aliases[] = {
    {"alice", "allias a a.exe"}, {"alice", "dir_allias da C:\\A"},
    {"bob", "allias b b.exe"},   {"bob", "dir_allias db C:\\B"},
    {"carol", "allias c c.exe"},
};
const std::string all_programs = "a=a.exe@alice b=b.exe@bob c=c.exe@carol";
const std::string all_folders = "da=C:\\A@alice db=C:\\B@bob";

struct Row {
    const char* name;
    bool older_tree;  // the aliases made under the older rights, then a repair
    const char* who;  // "BA": an elevated administrator; carol: an unelevated one
    std::string line;
    std::string status;  // after the line on the history line
    std::string programs_after = all_programs, folders_after = all_folders;
    std::vector<std::string> started = {};
};

const Row rows[] = {
    {"a new alias", false, "alice", "allias n n.exe", "",
     "a=a.exe@alice b=b.exe@bob c=c.exe@carol n=n.exe@alice"},
    {"redefining one's own", false, "alice", "allias a x.exe", "",
     "a=x.exe@alice b=b.exe@bob c=c.exe@carol"},
    {"redefining another user's", false, "bob", "allias a evil.exe", O},
    {"redefining the administrator's", false, "alice", "allias c evil.exe", O},
    {"an unelevated administrator redefining a user's", false, "carol", "allias b x.exe", O},
    {"redefining another's folder alias", false, "bob", "dir_allias da C:\\Evil", O},
    {"deleting another's", false, "bob", "del_allias a", O},
    {"deleting another's folder alias", false, "bob", "del_dirallias da", O},
    {"deleting one's own", false, "alice", "del_allias a", "", "b=b.exe@bob c=c.exe@carol"},
    {"deleting one's own folder alias", false, "bob", "del_dirallias db", "", all_programs,
     "da=C:\\A@alice"},
    {"del_all among others' aliases", false, "bob", "del_all", O, "a=a.exe@alice c=c.exe@carol",
     "da=C:\\A@alice"},
    {"del_all of an unelevated administrator", false, "carol", "del_all", O,
     "a=a.exe@alice b=b.exe@bob"},
    {"an elevated administrator redefining a user's", false, "BA", "allias a fixed.exe", "",
     "a=fixed.exe@alice b=b.exe@bob c=c.exe@carol"},
    {"del_all of an elevated administrator", false, "BA", "del_all", "", "", ""},
    {"running another user's", false, "bob", "a", "", all_programs, all_folders, {"a.exe"}},
    {"running the administrator's", false, "alice", "c", "", all_programs, all_folders,
     {"c.exe"}},
    {"running another's folder alias", false, "carol", "db", "", all_programs, all_folders,
     {"C:\\WINDOWS\\explorer.exe  C:\\B"}},
    {"after a repair: redefining another user's", true, "bob", "allias a evil.exe", O},
    {"after a repair: redefining one's own", true, "alice", "allias a x.exe", "",
     "a=x.exe@alice b=b.exe@bob c=c.exe@carol"},
    {"after a repair: deleting another's folder alias", true, "alice", "del_dirallias db", O},
    {"after a repair: del_all among others' aliases", true, "alice", "del_all", O,
     "b=b.exe@bob c=c.exe@carol", "db=C:\\B@bob"},
    {"after a repair: running another user's", true, "alice", "b", "", all_programs, all_folders,
     {"b.exe"}},
};

TEST(AliasOwners, EachChangesOnlyHisOwnAliasesAndRunsEveryones) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::PackageMachine machine;
        FakeFileSystem& fs = machine.fs;
        FakeRegistry& registry = machine.registry;
        fs.add_administrator("carol");
        install(fs, registry);
        if (row.older_tree) {
            ASSERT_EQ(fs.set_rights(product::program_alias_dir, older_alias_rights), FsError::ok);
            ASSERT_EQ(fs.set_rights(product::folder_alias_dir, older_alias_rights), FsError::ok);
        }

        FakeProcessStarter starter;
        FakeKeyState keys;
        FakeSessionControl session;
        testing::FakeConsoleView view;
        ConsoleState state;
        state.win_dir = "C:\\WINDOWS";
        AliasStore aliases(fs, starter);
        CommandInterpreter interpreter(state, view, aliases, starter, keys, session);
        const auto enter = [&](const char* who, const std::string& line) {
            fs.set_caller(who);
            view.input = line;
            interpreter.key_press(enter_key);
        };
        for (const auto& [who, line] : everyones_aliases) {
            enter(who, line);
            ASSERT_EQ(view.history[0], line);
        }
        ASSERT_EQ(aliases_in(fs, exe_dir), all_programs);
        ASSERT_EQ(aliases_in(fs, dirs_dir), all_folders);
        if (row.older_tree) {
            // The older rights let any user rewrite any alias; the repair ends that.
            EXPECT_EQ(fs.user_write("bob", exe_dir + "a", "a.exe\r\n"), FsError::ok);
            install(fs, registry);
        }

        enter(row.who, row.line);
        EXPECT_EQ(view.history[0], row.line + row.status);
        EXPECT_EQ(aliases_in(fs, exe_dir), row.programs_after);
        EXPECT_EQ(aliases_in(fs, dirs_dir), row.folders_after);
        std::vector<std::string> started;
        for (const auto& s : starter.started) started.push_back(s.command_line);
        EXPECT_EQ(started, row.started);
    }
}

}  // namespace
}  // namespace vh
