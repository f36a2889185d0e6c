// The uninstallation through a logged view: its exit code, and the log that
// names each removal and the one that stopped it, with Windows' code.
#include <gtest/gtest.h>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "uninstall/uninstall_views.h"

namespace vh {
namespace {

const std::string root = "C:\\Tessarimondale\\Varnholde";

TEST(LoggedUninstall, CompletedGivesZeroAndAStopGivesThreeWithWhereAndWhy) {
    for (const bool skin_in_use : {false, true}) {
        FakeFileSystem fs, log_fs;
        FakeRegistry registry;
        FakeProcessStarter processes;
        for (const char* name : {"Varnholde.exe", "Uninstall.exe", "us_param.par"})
            fs.put_file(root + "\\" + name, name);
        fs.put_file(root + "\\Skins\\skin_ 1.jpg", "jpeg");
        fs.put_directory(root + "\\Alliases\\Dirs\\");
        fs.put_directory(root + "\\Alliases\\Exe_files\\");
        fs.set_in_use(root + "\\Skins\\skin_ 1.jpg", skin_in_use);
        const UninstallSystem system{fs, registry, processes, root, "Uninstall.exe", "cmd.exe"};
        SilentUninstallView nothing_shown;
        StepLog log(log_fs, "C:\\u.log", [] { return "T"; });

        const int code = run_logged(nothing_shown, &log, [&](UninstallView& view) {
            return run_uninstall(system, view);
        });

        const std::string text = log_fs.content("C:\\u.log").value_or("");
        const std::string skin_step = "T  Удаление: " + root + "\\Skins\\skin_ 1.jpg\r\n";
        EXPECT_NE(text.find(skin_step), std::string::npos) << text;
        if (skin_in_use) {
            EXPECT_EQ(code, 3);
            EXPECT_NE(text.find(skin_step + "T  ОШИБКА: Удаление прервано: не удалось удалить файл " +
                                root + "\\Skins\\skin_ 1.jpg (файл занят другой программой). "
                                "[код ошибки Windows 32]\r\nT  Код завершения: 3\r\n"),
                      std::string::npos)
                << text;
            EXPECT_TRUE(processes.started.empty());
        } else {
            EXPECT_EQ(code, 0);
            EXPECT_NE(text.find("T  Удаление Varnholde 1.3 успешно завершено.\r\n"
                                "T  Код завершения: 0\r\n"),
                      std::string::npos)
                << text;
            EXPECT_EQ(processes.started.size(), 1u);
        }
    }
}

}  // namespace
}  // namespace vh
