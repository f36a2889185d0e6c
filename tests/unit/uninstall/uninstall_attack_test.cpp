// What a standard user can try against the elevated uninstaller, each from
// an installed product: the uninstaller deletes nothing outside the tree and
// either removes the tree or refuses before it deletes anything.
#include <gtest/gtest.h>

#include <functional>

#include "platform/fake/fake_console_and_shell.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "shared/registry_strings.h"
#include "uninstall/uninstall_procedure.h"

namespace vh {
namespace {

const std::string root = "C:\\Tessarimondale\\Varnholde";
const std::string victim = "C:\\Program Files\\Service";

class SilentView : public UninstallView {
public:
    void set_question_buttons_visible(bool) override {}
    void set_message(const std::string& text) override { message = text; }
    void set_message_size(float) override {}
    void set_progress_visible(bool) override {}
    float progress() override { return value; }
    void set_progress(float v) override { value = v; }
    void show_exit_button() override {}
    std::string message;
    float value = 0;
};

struct Attack {
    const char* name;
    std::function<void(FakeFileSystem&)> before;  // as the user left things
    UninstallOutcome outcome;
};

TEST(UninstallAttacks, NothingOutsideTheTreeIsDeletedAndARefusalDeletesNothing) {
    // Users may delete alias files, and then make the empty folder a mount
    // point: that takes only the right to write it, which adding aliases needs.
    const auto link_dirs = [](FakeFileSystem& fs) {
        ASSERT_EQ(fs.user_remove("mallory", root + "\\Alliases\\Dirs\\docs"), FsError::ok);
        ASSERT_EQ(fs.user_make_link("mallory", root + "\\Alliases\\Dirs", victim), FsError::ok);
    };
    const Attack attacks[] = {
        {"the folder-alias folder a junction to a program's folder", link_dirs,
         UninstallOutcome::completed},
        {"a junction inside an alias folder",
         [](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_make_link("mallory", root + "\\Alliases\\Exe_files\\j", victim),
                       FsError::ok);
         },
         UninstallOutcome::completed},
        {"a subfolder with a junction in it",
         [](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_make_directory("mallory", root + "\\Alliases\\Dirs\\sub"), FsError::ok);
             ASSERT_EQ(fs.user_write("mallory", root + "\\Alliases\\Dirs\\sub\\x", "x"), FsError::ok);
             ASSERT_EQ(fs.user_make_link("mallory", root + "\\Alliases\\Dirs\\sub\\j", victim),
                       FsError::ok);
         },
         UninstallOutcome::completed},
        {"a hard link to a program's file in an alias folder",
         [](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_hard_link("mallory", root + "\\Alliases\\Exe_files\\h",
                                         victim + "\\service.exe"),
                       FsError::ok);
         },
         UninstallOutcome::completed},
        {"a hidden file of the user's in an alias folder",
         [](FakeFileSystem& fs) {
             fs.put_file(root + "\\Alliases\\Dirs\\hidden", "x", attr::hidden);
             fs.set_owner(root + "\\Alliases\\Dirs\\hidden", "mallory");
         },
         UninstallOutcome::completed},
        {"the skins folder a junction, as only an administrator could make it",
         [](FakeFileSystem& fs) {
             fs.user_remove("BA", root + "\\Skins\\skin_ 1.jpg");
             fs.user_remove("BA", root + "\\Skins");
             ASSERT_EQ(fs.user_make_link("BA", root + "\\Skins", victim), FsError::ok);
         },
         UninstallOutcome::refused},
        {"the product folder made by a user before the install",
         [](FakeFileSystem& fs) { fs.set_owner(root, "mallory"); }, UninstallOutcome::refused},
    };
    for (const Attack& attack : attacks) {
        SCOPED_TRACE(attack.name);
        FakeFileSystem fs;
        FakeRegistry registry;
        FakeProcessStarter processes;
        fs.put_file(victim + "\\service.exe", "service");
        fs.put_file(victim + "\\service.dll", "dll");
        fs.put_file(root + "\\Varnholde.exe", "console");
        fs.put_file(root + "\\Uninstall.exe", "uninstaller");
        fs.put_file(root + "\\Skins\\skin_ 1.jpg", "jpeg");
        fs.put_file(root + "\\Alliases\\Exe_files\\np", "notepad.exe\r\n");
        fs.put_file(root + "\\Alliases\\Dirs\\docs", "C:\\Docs\r\n");
        attack.before(fs);
        const auto before = fs.snapshot();
        SilentView view;
        UninstallSystem system{fs, registry, processes, root, "Uninstall.exe",
                               "C:\\Windows\\System32\\cmd.exe"};
        EXPECT_EQ(run_uninstall(system, view), attack.outcome) << view.message;
        EXPECT_EQ(fs.content(victim + "\\service.exe"), "service");
        EXPECT_EQ(fs.content(victim + "\\service.dll"), "dll");
        if (attack.outcome == UninstallOutcome::refused) {
            EXPECT_EQ(fs.snapshot(), before);
        } else {
            EXPECT_FALSE(fs.exists(root + "\\Alliases"));
            EXPECT_FALSE(fs.exists(root + "\\Varnholde.exe"));
        }
    }
}

}  // namespace
}  // namespace vh
