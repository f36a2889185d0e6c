// What a standard user can try against the elevated installer: a tree made
// first, links in its place, a hard link at a file it writes, and acts in
// the moments between its steps. Nothing outside the tree changes, and a
// refusal changes nothing at all.
#include <gtest/gtest.h>

#include <functional>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "setup/install_procedure.h"
#include "shared/product.h"
#include "shared/registry_strings.h"

namespace vh {
namespace {

const std::string tree = "C:\\Tessarimondale";
const std::string root = tree + "\\Varnholde";
const std::string package = "D:\\Downloads\\Varnholde";
const std::string programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
const std::string victim = "C:\\Program Files\\Service";

class SilentView : public InstallerView {
public:
    void set_status_text(const std::string& text) override { status = text; }
    void set_status_font_size(int) override {}
    void set_count_text(const std::string&) override {}
    void set_count_visible(bool) override {}
    void set_progress(float) override {}
    void set_progress_visible(bool) override {}
    void set_next_visible(bool) override {}
    void set_exit_visible(bool) override {}
    void set_exit_caption(const std::string&) override {}
    void set_exit_width(int) override {}
    void set_main_enabled(bool) override {}
    void show_error_dialog(const std::string& message) override { status = message; }
    void beep() override {}
    std::string status;
};

void put_package(FakeFileSystem& fs) {
    const char* files[] = {"Ivel.bmp", "Func.bin", "Pos_set_par.ksr", "Principal._x_",
                           "Principial_un._x_", "Datalnk\\Varnholde", "Datalnk\\ReadMe",
                           "Datalnk\\Удаление Varnholde"};
    for (const char* name : files) fs.put_file(package + "\\" + name, std::string("new ") + name);
    for (char n = '1'; n <= '6'; ++n)
        fs.put_file(package + "\\Data\\data" + n + ".ksr", "jpeg");
}

struct Attack {
    const char* name;
    bool installed_first;                         // a repair over an installation
    std::function<void(FakeFileSystem&)> before;  // as the user left things
    InstallResult result;
    const char* named;  // what a refusal names
};

TEST(InstallAttacks, NothingOutsideTheTreeChangesAndARefusalChangesNothing) {
    const Attack attacks[] = {
        {"the tree's root a junction to a program's folder", false,
         [](FakeFileSystem& fs) { ASSERT_EQ(fs.user_make_link("mallory", tree, victim), FsError::ok); },
         InstallResult::refused, "C:\\Tessarimondale — не папка, а ссылка"},
        {"the product folder a junction inside a root of the user's", false,
         [](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_make_directory("mallory", tree), FsError::ok);
             ASSERT_EQ(fs.user_make_link("mallory", root, victim), FsError::ok);
         },
         InstallResult::refused, "C:\\Tessarimondale создал не администратор"},
        {"a plain folder of the user's, with a DLL in it", false,
         [](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_make_directory("mallory", tree), FsError::ok);
             ASSERT_EQ(fs.user_make_directory("mallory", root), FsError::ok);
             ASSERT_EQ(fs.user_write("mallory", root + "\\version.dll", "evil"), FsError::ok);
         },
         InstallResult::refused, "C:\\Tessarimondale создал не администратор"},
        {"the folder-alias folder a mount point, then a repair", true,
         [](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_make_link("mallory", root + "\\Alliases\\Dirs", victim), FsError::ok);
         },
         InstallResult::installed, ""},
        {"the settings file a hard link to a program's file, then a repair", true,
         [](FakeFileSystem& fs) {
             // The settings file is every user's to write: he replaces it.
             fs.user_remove("BA", root + "\\us_param.par");
             ASSERT_EQ(fs.user_hard_link("BA", root + "\\us_param.par", victim + "\\service.exe"),
                       FsError::ok);
         },
         InstallResult::installed, ""},
    };
    for (const Attack& attack : attacks) {
        SCOPED_TRACE(attack.name);
        FakeFileSystem fs;
        FakeRegistry registry;
        fs.add_drive('D');
        put_package(fs);
        fs.put_directory(programs + "\\");
        fs.put_file(victim + "\\service.exe", "service");
        registry.put_value(hkey_local_machine, product::shell_folders_key, "Common Programs", reg_sz,
                           programs + '\0');
        SilentView view;
        if (attack.installed_first) {
            ASSERT_EQ(run_installation(fs, registry, view, package), InstallResult::installed);
        }
        attack.before(fs);
        const auto before = fs.snapshot();
        EXPECT_EQ(run_installation(fs, registry, view, package), attack.result) << view.status;
        EXPECT_EQ(fs.content(victim + "\\service.exe"), "service");
        EXPECT_FALSE(fs.rights(victim)) << "the target was given the tree's rights";
        EXPECT_FALSE(fs.exists(victim + "\\Varnholde.exe"));
        EXPECT_FALSE(fs.exists(victim + "\\Skins"));
        if (attack.result == InstallResult::refused) {
            EXPECT_EQ(fs.snapshot(), before);
            EXPECT_NE(view.status.find(attack.named), std::string::npos) << view.status;
        } else {
            EXPECT_FALSE(fs.is_link(root + "\\Alliases\\Dirs"));
            EXPECT_EQ(fs.link_count(root + "\\us_param.par"), 1u);
            EXPECT_EQ(fs.owner(root + "\\Varnholde.exe"), "BA");
        }
    }
}

// The moment between creating a level and protecting it: there is none. A
// user who acts right after each level is made can neither add to it, nor
// rename it away, nor put his own in its place.
TEST(InstallAttacks, NoUserGetsInBetweenTheStepsOfAFreshInstallation) {
    for (int step = 1; step <= 120; ++step) {
        SCOPED_TRACE(step);
        FakeFileSystem fs;
        FakeRegistry registry;
        fs.add_drive('D');
        put_package(fs);
        fs.put_directory(programs + "\\");
        registry.put_value(hkey_local_machine, product::shell_folders_key, "Common Programs", reg_sz,
                           programs + '\0');
        std::vector<FsError> answers;
        fs.act_before_operation(step, [&] {
            for (const std::string& level : {tree, root, root + "\\Skins", root + "\\Alliases"}) {
                if (!fs.exists(level)) continue;
                answers.push_back(fs.user_write("mallory", level + "\\version.dll", "evil"));
                answers.push_back(fs.user_rename("mallory", level, "C:\\away"));
                answers.push_back(fs.user_make_directory("mallory", level + "\\planted"));
            }
        });
        SilentView view;
        const InstallResult result = run_installation(fs, registry, view, package);
        for (FsError answer : answers) EXPECT_NE(answer, FsError::ok);
        if (result != InstallResult::installed) continue;
        EXPECT_FALSE(fs.exists("C:\\away"));
        EXPECT_EQ(fs.owner(root), "BA");
    }
}

}  // namespace
}  // namespace vh
