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
#include "tests/unit/setup/package_machine.h"

namespace vh {
namespace {

const std::string tree = "C:\\Tessarimondale";
const std::string root = tree + "\\Varnholde";
const std::string& package = testing::download_package;
const std::string victim = "C:\\Program Files\\Service";
const std::string secrets = "C:\\Users\\Administrator\\Secrets";

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
        // The package often lies where users write (Downloads): its links
        // would carry files only administrators read to where users read.
        {"the package's Data a junction to an administrator's folder", false,
         [](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_rename("BA", package + "\\Data", package + "\\Data.old"), FsError::ok);
             ASSERT_EQ(fs.user_make_link("BA", package + "\\Data", secrets), FsError::ok);
         },
         InstallResult::refused, "папка пакета D:\\Downloads\\Varnholde\\Data — не папка, а ссылка"},
        {"a package file a second name of an administrator's file", false,
         [](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_remove("BA", package + "\\Func.bin"), FsError::ok);
             ASSERT_EQ(fs.user_hard_link("BA", package + "\\Func.bin", secrets + "\\data1.ksr"),
                       FsError::ok);
         },
         InstallResult::failed, "Func.bin"},
    };
    for (const Attack& attack : attacks) {
        SCOPED_TRACE(attack.name);
        testing::PackageMachine machine;
        FakeFileSystem& fs = machine.fs;
        FakeRegistry& registry = machine.registry;
        fs.put_file(victim + "\\service.exe", "service");
        for (char n = '1'; n <= '6'; ++n)
            fs.put_file(secrets + "\\data" + n + ".ksr", "secret");
        testing::LastTextView view;
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
        for (const auto& [path, entry] : fs.snapshot()) {
            if (path.rfind(tree, 0) == 0) {
                EXPECT_EQ(entry.find("secret"), std::string::npos) << path;
            }
        }
        if (attack.result != InstallResult::installed) {
            EXPECT_NE(view.status.find(attack.named), std::string::npos) << view.status;
        }
        if (attack.result == InstallResult::refused) {
            EXPECT_EQ(fs.snapshot(), before);
        } else if (attack.result == InstallResult::installed) {
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
    for (int step = 1; step <= 160; ++step) {
        SCOPED_TRACE(step);
        testing::PackageMachine machine;
        FakeFileSystem& fs = machine.fs;
        FakeRegistry& registry = machine.registry;
        std::vector<FsError> answers;
        fs.act_before_operation(step, [&] {
            for (const std::string& level : {tree, root, root + "\\Skins", root + "\\Alliases"}) {
                if (!fs.exists(level)) continue;
                answers.push_back(fs.user_write("mallory", level + "\\version.dll", "evil"));
                answers.push_back(fs.user_rename("mallory", level, "C:\\away"));
                answers.push_back(fs.user_make_directory("mallory", level + "\\planted"));
            }
        });
        testing::LastTextView view;
        const InstallResult result = run_installation(fs, registry, view, package);
        for (FsError answer : answers) EXPECT_NE(answer, FsError::ok);
        if (result != InstallResult::installed) continue;
        EXPECT_FALSE(fs.exists("C:\\away"));
        EXPECT_EQ(fs.owner(root), "BA");
    }
}

}  // namespace
}  // namespace vh
