// The installation through the views of a silent and a logged run: the exit
// code for each result, and the log that says what was done and where it
// stopped.
#include <gtest/gtest.h>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "setup/install_views.h"
#include "shared/product.h"
#include "shared/registry_strings.h"

namespace vh {
namespace {

const std::string package = "D:\\Дистрибутив";
const std::string programs = "C:\\ProgramData\\Programs";
const std::string tree = "C:\\Tessarimondale\\Varnholde";
const std::string log_path = "C:\\setup.log";

const char* const package_files[] = {
    "Ivel.bmp", "Func.bin", "Pos_set_par.ksr", "Principal._x_", "Principial_un._x_",
    "Data\\data1.ksr", "Data\\data2.ksr", "Data\\data3.ksr", "Data\\data4.ksr",
    "Data\\data5.ksr", "Data\\data6.ksr", "Datalnk\\Varnholde", "Datalnk\\ReadMe",
    "Datalnk\\Удаление Varnholde",
};

// The window below the logging view: what it was asked to show.
class ShownView : public SilentInstallerView {
public:
    void set_status_text(const std::string& text) override { status = text; }
    void show_error_dialog(const std::string& message) override { dialog = message; }
    std::string status, dialog;
};

struct LoggedInstall {
    FakeFileSystem fs, log_fs;
    FakeRegistry registry;
    ShownView shown;

    LoggedInstall() {
        fs.add_drive('D');
        for (const char* name : package_files) fs.put_file(package + "\\" + name, name);
        fs.put_directory(programs + "\\");
        savestring(registry, hkey_local_machine, product::shell_folders_key, "Common Programs",
                   programs);
    }
    int run(bool logged) {
        StepLog log(log_fs, log_path, [] { return "T"; });
        return run_logged(shown, logged ? &log : nullptr, [&](InstallerView& view) {
            return run_installation(fs, registry, view, package);
        });
    }
    std::string log() const { return log_fs.content(log_path).value_or("(no log)"); }
};

TEST(LoggedInstallation, EachResultHasItsExitCodeAndTheLogEndsWithWhatHappened) {
    const std::string shortcut = programs + "\\Varnholde\\Varnholde.lnk";
    struct Case {
        const char* name;
        std::function<void(LoggedInstall&)> arrange;
        int exit_code;
        std::vector<std::string> lines;  // in this order, among others
    };
    const Case cases[] = {
        {"installed", [](LoggedInstall&) {}, 0,
         {"   Проверка целостности пакета установки.", " 14 файла из 14 файлов",
          "Создание папки: " + tree + "\\Skins\\", "Копирование :" + tree + "\\Skins\\skin_ 6.jpg",
          "Копирование :" + programs + "\\Varnholde\\Удаление Varnholde.lnk",
          "Установка Varnholde 1.3 успешно завершена!", "Код завершения: 0"}},
        {"a skin missing", [](LoggedInstall& i) { i.fs.delete_file(package + "\\Data\\data4.ksr"); },
         1,
         {" 7 файлов из 10 файлов", std::string("ОШИБКА: ") + broken_package_message,
          "Код завершения: 1"}},
        // Checked before anything is written: nothing changed.
        {"the console's program held",
         [](LoggedInstall& i) {
             i.fs.put_file(tree + "\\Varnholde.exe", "old");
             i.fs.set_in_use(tree + "\\Varnholde.exe", true);
         },
         2,
         {"ОШИБКА: Не удалось скопировать Principal._x_ в " + tree +
              "\\Varnholde.exe (консоль Varnholde запущена другим пользователем). Установка "
              "прервана. [код ошибки Windows 32]",
          "Код завершения: 2"}},
        // A file where the Start-menu folder goes: found only at the first
        // shortcut, after the programs are copied.
        {"a file for the Start-menu folder",
         [](LoggedInstall& i) { i.fs.put_file(programs + "\\Varnholde", "file"); }, 3,
         {"Копирование :" + tree + "\\Uninstall.exe", "Копирование :" + shortcut,
          "ОШИБКА: Не удалось скопировать Datalnk\\Varnholde в " + shortcut +
              " (путь не найден). Установка прервана. [код ошибки Windows 3]",
          "Код завершения: 3"}},
    };
    for (const Case& c : cases) {
        LoggedInstall silent, logged;
        c.arrange(silent);
        c.arrange(logged);
        const auto before = logged.fs.snapshot();
        EXPECT_EQ(silent.run(false), c.exit_code) << c.name;
        EXPECT_FALSE(silent.log_fs.exists(log_path)) << c.name;
        ASSERT_EQ(logged.run(true), c.exit_code) << c.name;
        if (c.exit_code == 1 || c.exit_code == 2) EXPECT_EQ(logged.fs.snapshot(), before) << c.name;
        // The log changes nothing that the run does or shows.
        EXPECT_EQ(logged.fs.snapshot(), silent.fs.snapshot()) << c.name;
        EXPECT_EQ(logged.shown.status, silent.shown.status) << c.name;
        EXPECT_EQ(logged.shown.dialog, silent.shown.dialog) << c.name;
        std::size_t at = 0;
        for (const std::string& line : c.lines) {
            const std::size_t found = logged.log().find("T  " + line + "\r\n", at);
            EXPECT_NE(found, std::string::npos) << c.name << ": no line \"" << line
                                                << "\" after byte " << at << " in\n" << logged.log();
            if (found != std::string::npos) at = found;
        }
    }
}

}  // namespace
}  // namespace vh
