// The uninstallation through a logged view: its exit code, and the log that
// names each removal and the one that stopped it, with Windows' code.
#include <gtest/gtest.h>

#include <functional>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "shared/command_line.h"
#include "uninstall/uninstall_views.h"

namespace vh {
namespace {

const std::string root = "C:\\Tessarimondale\\Varnholde";
const std::string skin = root + "\\Skins\\skin_ 1.jpg";
const std::string batch = root + "\\Del_Unin.bat";

TEST(LoggedUninstall, EachOutcomeHasItsExitCodeAndTheLogSaysWhereAndWhy) {
    struct Case {
        const char* name;
        std::function<void(FakeProcessStarter&)> arrange;
        int exit_code;
        std::string last_lines;  // how the log ends
        bool skin_gone;
    };
    const Case cases[] = {
        {"completed", [](FakeProcessStarter&) {}, 0,
         "T  Удаление: " + root + "\\Varnholde.exe\r\n"
         "T  Удаление Varnholde 1.3 успешно завершено.\r\nT  Код завершения: 0\r\n",
         true},
        // Checked before the first deletion: nothing is gone.
        {"a skin in use", [](FakeProcessStarter&) {}, 2,
         "T  ОШИБКА: Удаление прервано: не удалось удалить файл " + skin +
             " (файл занят другой программой). [код ошибки Windows 32]\r\n"
             "T  Код завершения: 2\r\n",
         false},
        // The batch file cannot be started once everything else is gone.
        {"the batch not started", [](FakeProcessStarter& p) {
             p.decide = [](const std::string&) { return StartResult::failed; };
         }, 3,
         "T  ОШИБКА: Удаление прервано: не удалось запустить " + batch + ".\r\n"
         "T  Код завершения: 3\r\n",
         true},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs, log_fs;
        FakeRegistry registry;
        FakeProcessStarter processes;
        for (const char* name : {"Varnholde.exe", "Uninstall.exe", "us_param.par"})
            fs.put_file(root + "\\" + name, name);
        fs.put_file(skin, "jpeg");
        fs.put_directory(root + "\\Alliases\\Dirs\\");
        fs.put_directory(root + "\\Alliases\\Exe_files\\");
        fs.set_in_use(skin, c.exit_code == 2);
        c.arrange(processes);
        const UninstallSystem system{fs, registry, processes, root, "Uninstall.exe", "cmd.exe"};
        SilentUninstallView nothing_shown;
        StepLog log(log_fs, "C:\\u.log", [] { return "T"; });

        const int code = run_logged(nothing_shown, &log, [&](UninstallView& view) {
            return run_uninstall(system, view);
        });

        EXPECT_EQ(code, c.exit_code) << c.name;
        EXPECT_EQ(!fs.exists(skin), c.skin_gone) << c.name;
        EXPECT_EQ(processes.started.size(), c.exit_code == 0 ? 1u : 0u) << c.name;
        EXPECT_EQ(fs.exists(batch), c.exit_code != 2) << c.name;
        const std::string text = log_fs.content("C:\\u.log").value_or("");
        EXPECT_TRUE(text.ends_with(c.last_lines)) << c.name << ":\n" << text;
        EXPECT_EQ(text.find("T  Удаление: " + skin + "\r\n") != std::string::npos, c.skin_gone)
            << c.name << ":\n" << text;
    }
}

}  // namespace
}  // namespace vh

namespace vh {
namespace {

// A log path where a user prepared something is never written: the work
// goes on, the window says so, and a run that did everything else ends with
// its own code. Nothing the path leads to changes.
TEST(UninstallLog, ALogPathThatIsALinkOrAFolderIsNotWrittenAndTheExitCodeSaysSo) {
    struct Case {
        const char* name;
        std::function<void(FakeFileSystem&)> prepare;
        std::string why;
    };
    const std::string log_path = "C:\\Windows\\Temp\\u.log";
    const Case cases[] = {
        {"a hard link to a system file",
         [&](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_hard_link("mallory", log_path, "C:\\Windows\\win.ini"), FsError::ok);
         },
         "ссылка на другой файл"},
        {"a symbolic link", [&](FakeFileSystem& fs) {
             ASSERT_EQ(fs.user_make_link("mallory", log_path, "C:\\Windows\\System32"), FsError::ok);
         },
         "ссылка на другой файл"},
        {"a folder", [&](FakeFileSystem& fs) { fs.put_directory(log_path + "\\"); }, "папка"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFileSystem fs, log_fs;
        FakeRegistry registry;
        FakeProcessStarter processes;
        log_fs.put_file("C:\\Windows\\win.ini", "[fonts]\r\n");
        log_fs.put_directory("C:\\Windows\\Temp\\");
        log_fs.put_directory("C:\\Windows\\System32\\");
        c.prepare(log_fs);
        const auto before = log_fs.snapshot();
        fs.put_file(root + "\\Uninstall.exe", "MZ");
        const UninstallSystem system{fs, registry, processes, root, "Uninstall.exe", "cmd.exe"};
        struct View : SilentUninstallView {
            void show_log_refusal(const std::string& text) override { told = text; }
            std::string told;
        } view;
        StepLog log(log_fs, log_path, [] { return "T"; });
        const int code =
            run_logged(view, &log, [&](UninstallView& v) { return run_uninstall(system, v); });
        EXPECT_EQ(code, exit_code::log_not_written);
        EXPECT_NE(view.told.find(log_path), std::string::npos) << view.told;
        EXPECT_NE(view.told.find(c.why), std::string::npos) << view.told;
        EXPECT_EQ(log_fs.snapshot(), before);
        EXPECT_EQ(processes.started.size(), 1u);  // the removal itself went through
    }
}

}  // namespace
}  // namespace vh
