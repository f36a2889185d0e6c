// The installation procedure against the in-memory file system and registry.
#include <gtest/gtest.h>

#include "shared/product.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_console_and_shell.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/names.h"
#include "setup/install_procedure.h"
#include "shared/console_close.h"

namespace vh {
namespace {

// Records everything the procedure does to the installer's windows.
class RecordingView : public InstallerView {
public:
    void set_status_text(const std::string& text) override { status.push_back(text); }
    void set_status_font_size(int points) override { font_sizes.push_back(points); }
    void set_count_text(const std::string& text) override { counts.push_back(text); }
    void set_count_visible(bool visible) override { count_visible = visible; }
    void set_progress(float value) override { progress.push_back(value); }
    void set_progress_visible(bool visible) override { progress_visible = visible; }
    void set_next_visible(bool visible) override { next_visible = visible; }
    void set_exit_visible(bool visible) override { exit_visible = visible; }
    void set_exit_caption(const std::string& caption) override { exit_caption = caption; }
    void set_exit_width(int twips) override { exit_width = twips; }
    void set_main_enabled(bool enabled) override { main_enabled = enabled; }
    void show_error_dialog(const std::string& message) override { dialogs.push_back(message); }
    void beep() override { ++beeps; }

    std::vector<std::string> status, counts, dialogs;
    std::vector<int> font_sizes;
    std::vector<float> progress;
    bool count_visible = true, progress_visible = false, next_visible = true,
         exit_visible = true, main_enabled = true;
    std::string exit_caption = "Выход.";
    int exit_width = 2655;
    int beeps = 0;
};

const std::string package = "D:\\Дистрибутив 1.3";
const std::string programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
const std::string root = "C:\\Tessarimondale\\Varnholde\\";

// Package file (relative to the package folder) and where it is installed.
const std::map<std::string, std::string> installed_as = {
    {"Ivel.bmp", root + "KSR_Icon.ico"},
    {"Func.bin", root + "ReadMe.txt"},
    {"Pos_set_par.ksr", root + "us_param.par"},
    {"Principal._x_", root + "Varnholde.exe"},
    {"Principial_un._x_", root + "Uninstall.exe"},
    {"Data\\data1.ksr", root + "Skins\\skin_ 1.jpg"},
    {"Data\\data2.ksr", root + "Skins\\skin_ 2.jpg"},
    {"Data\\data3.ksr", root + "Skins\\skin_ 3.jpg"},
    {"Data\\data4.ksr", root + "Skins\\skin_ 4.jpg"},
    {"Data\\data5.ksr", root + "Skins\\skin_ 5.jpg"},
    {"Data\\data6.ksr", root + "Skins\\skin_ 6.jpg"},
    {"Datalnk\\Varnholde", programs + "\\Varnholde\\Varnholde.lnk"},
    {"Datalnk\\ReadMe", programs + "\\Varnholde\\ReadMe.lnk"},
    {"Datalnk\\Удаление Varnholde", programs + "\\Varnholde\\Удаление Varnholde.lnk"},
};

// Distinct bytes for every package file, zeros and high bytes included.
std::string content_of(const std::string& name) {
    return std::string("\0\xff", 2) + name + "\r\n" + std::string(name.size(), '\xc0');
}

struct Installer {
    FakeFileSystem fs;
    FakeRegistry registry;
    RecordingView view;

    Installer() {
        fs.add_drive('D');
        for (const auto& [name, destination] : installed_as)
            fs.put_file(package + "\\" + name, content_of(name));
        fs.put_file(package + "\\Setup.exe", "MZ");
        fs.put_directory(programs + "\\");
        registry.put_value(hkey_local_machine, product::shell_folders_key, "Common Programs", reg_sz,
                           programs + '\0');
    }
    InstallResult run() { return run_installation(fs, registry, view, package); }
    bool run_value_written() const {
        return registry.value(hkey_local_machine, product::run_key, product::run_value_name).has_value();
    }
};

std::vector<std::string> pass_texts(int first, int last, const char* suffix) {
    std::vector<std::string> texts;
    for (int n = first; n <= last; ++n) texts.push_back(count_text(n, suffix));
    return texts;
}

std::vector<std::string> concat(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const auto good_counts = concat({pass_texts(1, 5, " файла из 14 файлов"),
                                 pass_texts(5, 10, " файлов из 10 файлов"),
                                 pass_texts(12, 14, " файла из 14 файлов")});

TEST(Installation, AGoodPackageCountsAllThreePassesAndInstallsEveryFileByteForByte) {
    Installer installer;
    ASSERT_EQ(installer.run(), InstallResult::installed);

    EXPECT_EQ(installer.view.counts, good_counts);
    EXPECT_EQ(installer.view.counts[4], " 5 файла из 14 файлов");
    EXPECT_EQ(installer.view.counts[10], " 10 файлов из 10 файлов");
    EXPECT_EQ(installer.view.counts.back(), " 14 файла из 14 файлов");
    for (const auto& [name, destination] : installed_as)
        EXPECT_EQ(installer.fs.content(destination), content_of(name)) << destination;
    for (const char* dir : {"Alliases\\Dirs", "Alliases\\Exe_files"})
        EXPECT_TRUE(installer.fs.is_directory(root + dir)) << dir;

    const auto run = installer.registry.value(hkey_local_machine, product::run_key, product::run_value_name);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->type, reg_sz);
    EXPECT_EQ(run->bytes, std::string("C:\\Tessarimondale\\Varnholde\\Varnholde.exe") + '\0');
    EXPECT_EQ(installer.registry.open_handles(), 0);
}

TEST(Installation, TheProgressBarTakesThirteenSinglePrecisionStepsOf7_6ThenIsSetTo100) {
    Installer installer;
    ASSERT_EQ(installer.run(), InstallResult::installed);
    const std::vector<double> listed = {7.6,  15.2, 22.8, 30.4, 38,   45.6, 53.2,
                                        60.8, 68.4, 76,   83.6, 91.2, 98.8};
    const auto& values = installer.view.progress;
    ASSERT_EQ(values.size(), listed.size() + 2);
    EXPECT_EQ(values.front(), 0.0f);
    EXPECT_EQ(values.back(), 100.0f);
    for (size_t i = 0; i < listed.size(); ++i) EXPECT_NEAR(values[i + 1], listed[i], 1e-4) << i;
}

TEST(Installation, TheWindowGoesFromCheckingThroughEachStepToTheSuccessText) {
    Installer installer;
    ASSERT_EQ(installer.run(), InstallResult::installed);
    const std::string menu = programs + "\\Varnholde";
    std::vector<std::string> expected = {
        "   Проверка целостности пакета установки.",
        "Создание папки: " + root + "Skins\\",
        "Создание папки: " + root + "Alliases\\Dirs\\",
        "Создание папки: " + root + "Alliases\\Exe_files\\",
        "Создание папки: " + menu,
        "Копирование ",
    };
    for (int n = 1; n <= 6; ++n)
        expected.push_back("Копирование :" + root + "Skins\\skin_ " + std::to_string(n) + ".jpg");
    for (const char* file : {"KSR_Icon.ico", "ReadMe.txt", "us_param.par", "Varnholde.exe",
                             "Uninstall.exe"})
        expected.push_back("Копирование :" + root + file);
    for (const char* link : {"\\Varnholde.lnk", "\\ReadMe.lnk", "\\Удаление Varnholde.lnk"})
        expected.push_back("Копирование :" + menu + link);
    expected.push_back("Установка Varnholde 1.3 успешно завершена!");
    EXPECT_EQ(installer.view.status, expected);

    const RecordingView& v = installer.view;
    EXPECT_EQ(v.font_sizes, (std::vector<int>{8, 12}));
    EXPECT_FALSE(v.next_visible);
    EXPECT_FALSE(v.count_visible);
    EXPECT_FALSE(v.progress_visible);
    EXPECT_TRUE(v.exit_visible);
    EXPECT_EQ(v.exit_caption, "Выход!");
    EXPECT_EQ(v.exit_width, 5600);
    EXPECT_TRUE(v.main_enabled);
    EXPECT_EQ(v.beeps, 0);
    EXPECT_TRUE(v.dialogs.empty());
}

// A broken package: every pass still runs, each failed one beeps and shows
// the message, and nothing is created, copied or registered.
void expect_broken(Installer& installer, int failed_passes) {
    const auto before = installer.fs.snapshot();
    EXPECT_EQ(installer.run(), InstallResult::broken_package);
    const RecordingView& v = installer.view;
    EXPECT_EQ(v.beeps, failed_passes);
    EXPECT_EQ(v.dialogs, std::vector<std::string>(failed_passes, broken_package_message));
    EXPECT_FALSE(v.main_enabled);
    EXPECT_FALSE(v.next_visible);
    EXPECT_FALSE(v.exit_visible);
    EXPECT_TRUE(v.progress.empty());
    EXPECT_EQ(v.status, std::vector<std::string>{"   Проверка целостности пакета установки."});
    EXPECT_EQ(installer.fs.snapshot(), before);
    EXPECT_FALSE(installer.run_value_written());
}

TEST(Installation, EachSingleMissingFileFailsItsPassAndChangesNothing) {
    for (const auto& [name, destination] : installed_as) {
        SCOPED_TRACE(name);
        Installer installer;
        ASSERT_EQ(installer.fs.delete_file(package + "\\" + name), FsError::ok);
        expect_broken(installer, 1);
    }
}

TEST(Installation, TheFirstPassShowsTheRealCountOfTheFilesTheCopiesRead) {
    Installer installer;
    // The misspelt uninstaller name is not the one the copy reads.
    installer.fs.delete_file(package + "\\Principial_un._x_");
    installer.fs.put_file(package + "\\Principal_un._x_", "MZ");
    installer.fs.delete_file(package + "\\Func.bin");
    expect_broken(installer, 1);
    EXPECT_EQ(installer.view.counts.at(2), " 3 файла из 14 файлов");
    EXPECT_EQ(installer.view.counts.at(3), " 5 файлов из 10 файлов");
}

TEST(Installation, AGapInTheSkinsStopsTheCountAndFailsTheSecondPass) {
    Installer installer;
    installer.fs.delete_file(package + "\\Data\\data3.ksr");
    expect_broken(installer, 1);
    EXPECT_EQ(installer.view.counts, concat({pass_texts(1, 5, " файла из 14 файлов"),
                                             pass_texts(5, 6, " файлов из 10 файлов"),
                                             pass_texts(12, 14, " файла из 14 файлов")}));
}

TEST(Installation, EveryFailedPassBeepsAndShowsTheBrokenPackageMessage) {
    Installer installer;
    installer.fs.delete_file(package + "\\Ivel.bmp");
    installer.fs.delete_file(package + "\\Data\\data1.ksr");
    installer.fs.delete_file(package + "\\Datalnk\\ReadMe");
    expect_broken(installer, 3);
}

TEST(Installation, AMissingDataOrDatalnkFolderFailsItsPass) {
    for (const char* folder : {"Data", "Datalnk"}) {
        SCOPED_TRACE(folder);
        Installer installer;
        for (const auto& [name, destination] : installed_as)
            if (name.rfind(std::string(folder) + "\\", 0) == 0)
                installer.fs.delete_file(package + "\\" + name);
        installer.fs.remove_directory(package + "\\" + folder);
        expect_broken(installer, 1);
    }
}

TEST(Installation, ANameThatDiffersOnlyInLetterCaseIsNotCounted) {
    const std::map<std::string, std::string> variants = {
        {"Ivel.bmp", "ivel.bmp"},
        {"Func.bin", "FUNC.BIN"},
        {"Pos_set_par.ksr", "Pos_Set_Par.ksr"},
        {"Principal._x_", "Principal._X_"},
        {"Principial_un._x_", "principial_un._x_"},
        {"Data\\data1.ksr", "Data\\Data1.ksr"},
        {"Data\\data6.ksr", "Data\\data6.KSR"},
        {"Datalnk\\Varnholde", "Datalnk\\varnholde"},
        {"Datalnk\\ReadMe", "Datalnk\\Readme"},
        {"Datalnk\\Удаление Varnholde", "Datalnk\\удаление Varnholde"},
    };
    for (const auto& [name, variant] : variants) {
        SCOPED_TRACE(variant);
        Installer installer;
        installer.fs.delete_file(package + "\\" + name);
        installer.fs.put_file(package + "\\" + variant, content_of(name));
        expect_broken(installer, 1);
    }
}

TEST(Installation, ExtraFilesInThePackageChangeNothing) {
    Installer installer;
    for (const char* extra : {"Principal_un._x_", "Func.bin.bak", "readme.txt",
                              "Data\\data0.ksr", "Data\\aaa.ksr", "Data\\data1.jpg",
                              "Data\\zzz.ksr", "Datalnk\\Varnholde.lnk", "Datalnk\\Other"})
        installer.fs.put_file(package + "\\" + extra, "extra");
    installer.fs.put_directory(package + "\\Data\\data7.ksr\\");  // a folder is not listed
    ASSERT_EQ(installer.run(), InstallResult::installed);
    EXPECT_EQ(installer.view.counts, good_counts);
    for (const auto& [name, destination] : installed_as)
        EXPECT_EQ(installer.fs.content(destination), content_of(name)) << destination;
    EXPECT_FALSE(installer.fs.exists(root + "Principal_un._x_"));
}

TEST(Installation, AnEarlierInstallationIsReplacedAndItsAliasesKept) {
    Installer installer;
    for (const auto& [name, destination] : installed_as)
        installer.fs.put_file(destination, "old " + name);
    installer.fs.put_file(root + "Alliases\\Exe_files\\np", "notepad.exe\r\n");
    ASSERT_EQ(installer.run(), InstallResult::installed);
    for (const auto& [name, destination] : installed_as)
        EXPECT_EQ(installer.fs.content(destination), content_of(name)) << destination;
    EXPECT_EQ(installer.fs.content(root + "Alliases\\Exe_files\\np"), "notepad.exe\r\n");
    EXPECT_EQ(installer.view.status.back(), success_text);
    EXPECT_EQ(installer.view.beeps, 0);
}

// Without "Common Programs" the shell names the Programs folder; only when
// it cannot either do the shortcuts go to the root of the current drive.
TEST(Installation, WithoutCommonProgramsTheShellNamesTheFolderElseTheCurrentDrive) {
    struct Case { const char* name; std::string shell_programs; std::string folder; };
    const Case cases[] = {
        {"the shell knows", programs, programs + "\\Varnholde"},
        {"the shell cannot say", "", "D:\\Varnholde"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installer installer;
        installer.fs.set_current_drive('D');
        FakeRegistry empty;  // no "Common Programs" value
        FakeShellFolders shell;
        shell.programs = c.shell_programs;
        ASSERT_EQ(run_installation(installer.fs, empty, installer.view, package, &shell),
                  InstallResult::installed);
        EXPECT_EQ(shell.queries, 1);
        for (const char* link : {"Varnholde.lnk", "ReadMe.lnk", "Удаление Varnholde.lnk"})
            EXPECT_TRUE(installer.fs.exists(c.folder + "\\" + link)) << link;
        EXPECT_FALSE(installer.fs.exists("C:\\Varnholde"));
        EXPECT_TRUE(empty.value(hkey_local_machine, product::run_key, product::run_value_name).has_value());
    }
    // The shell is not asked while the registry names the folder.
    Installer installer;
    FakeShellFolders shell;
    ASSERT_EQ(run_installation(installer.fs, installer.registry, installer.view, package, &shell),
              InstallResult::installed);
    EXPECT_EQ(shell.queries, 0);
}

// Stops at the first failure: beep, the reason in Label4, the exit button,
// no further step and never the success text.
void expect_stopped(Installer& installer, const std::string& named, const std::string& reason) {
    EXPECT_EQ(installer.run(), InstallResult::failed);
    const RecordingView& v = installer.view;
    const std::string& last = v.status.back();
    EXPECT_EQ(last.rfind("Не удалось ", 0), 0u) << last;
    EXPECT_NE(last.find(named), std::string::npos) << last;
    EXPECT_NE(last.find(reason), std::string::npos) << last;
    for (const std::string& text : v.status) EXPECT_NE(text, success_text);
    EXPECT_EQ(v.beeps, 1);
    EXPECT_TRUE(v.exit_visible);
    EXPECT_FALSE(v.progress_visible);
    EXPECT_TRUE(v.dialogs.empty());
    EXPECT_TRUE(v.main_enabled);
    EXPECT_FALSE(installer.run_value_written());
}

TEST(Installation, EachOperationAfterTheChecksThatFailsStopsTheInstallation) {
    // File-system operation number, the folder or file the report must name
    // and the progress steps finished before it. The 36 operations before
    // the first of them only look: the three check listings, the tree's
    // levels held, the settings file, the package's two folders and, for
    // each of the 14 copies, its source and its destination.
    const std::string menu = programs + "\\Varnholde";
    struct Case {
        int operation;
        std::string named;
        size_t steps_before;
    };
    const std::vector<Case> cases = {
        {37, "C:\\Tessarimondale", 0},  // each level made with its rights
        {38, "C:\\Tessarimondale\\Varnholde", 0},
        {39, root + "Alliases", 0},
        {40, root + "Skins", 0},
        {41, root + "Alliases\\Dirs", 1},
        {42, root + "Alliases\\Exe_files", 2},
        {43, menu, 3},
        {44, root + "Skins\\skin_ 1.jpg", 4},  // what is at the destination
        {45, "Data\\data1.ksr", 4},
        {46, root + "Skins\\skin_ 1.jpg", 4},  // its attributes made normal
        {47, root + "Skins\\skin_ 1.jpg", 4},  // the download mark of the copy
        {53, root + "Skins\\skin_ 3.jpg", 4},
        {67, root + "Skins\\skin_ 6.jpg", 4},
        {69, "Ivel.bmp", 5},
        {73, "Func.bin", 6},
        {79, root + "us_param.par", 7},
        {81, "Principal._x_", 8},
        {87, root + "Uninstall.exe", 9},
        {88, menu + "\\Varnholde.lnk", 10},
        {91, "Datalnk\\ReadMe", 11},
        {96, menu + "\\Удаление Varnholde.lnk", 12},
        {97, root + "Varnholde.exe", 13},  // the rights of the files
        {101, root + "us_param.par", 13},
        {107, root + "Skins\\skin_ 6.jpg", 13},
        {108, root + "Varnholde.exe", 13},  // their sizes
        {118, root + "Skins\\skin_ 6.jpg", 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        Installer installer;
        installer.fs.fail_operation(c.operation, FsError::access_denied);
        expect_stopped(installer, c.named, "доступ запрещён");
        // The progress value 0, then one value per finished step.
        EXPECT_EQ(installer.view.progress.size(), 1u + c.steps_before);
    }
}

// The console's program still held once the session's console has ended is
// another user's console: the installation stops before anything is
// written, says so, and the console it closed runs again.
TEST(Installation, AProgramHeldByAnotherUserStopsItBeforeAnythingIsWritten) {
    Installer installer;
    FakeRunningConsole console;
    console.running = true;
    FakeDesktopStarter starter;
    for (const auto& [name, destination] : installed_as) installer.fs.put_file(destination, "old");
    installer.fs.set_in_use(root + "Varnholde.exe", true);
    const auto before = installer.fs.snapshot();
    EXPECT_EQ(run_installation(installer.fs, installer.registry, installer.view, package,
                               nullptr, &console, &starter),
              InstallResult::refused);
    EXPECT_EQ(installer.view.status.back(),
              "Не удалось скопировать Principal._x_ в " + root +
                  "Varnholde.exe (консоль Varnholde запущена другим пользователем). "
                  "Установка прервана.");
    EXPECT_EQ(installer.fs.snapshot(), before);
    EXPECT_EQ(starter.started.size(), 1u);
}

// A console of this session that does not end stops the installation with
// nothing changed, and is not started a second time.
TEST(Installation, AConsoleThatDoesNotEndStopsItBeforeAnyChange) {
    Installer installer;
    FakeRunningConsole console;
    console.running = console.hangs = true;
    FakeDesktopStarter starter;
    const auto before = installer.fs.snapshot();
    EXPECT_EQ(run_installation(installer.fs, installer.registry, installer.view, package,
                               nullptr, &console, &starter),
              InstallResult::refused);
    EXPECT_EQ(console.waited_ms, console_close_timeout_ms);
    EXPECT_EQ(installer.view.status.back(),
              "Установка прервана: консоль Varnholde не закрылась; закройте её "
              "(\"Выход\" в меню её значка) и запустите установку снова.");
    EXPECT_EQ(installer.fs.snapshot(), before);
    EXPECT_TRUE(starter.started.empty());
}

// Whether another session's console can come back is known before any
// console is closed: this session's stays open too, and nothing changes.
TEST(Installation, NoConsoleIsClosedWhenOneCouldNotComeBack) {
    Installer installer;
    installer.fs.put_file(root + "Varnholde.exe", "old");
    installer.fs.set_in_use(root + "Varnholde.exe", true);
    FakeRunningConsole window;
    window.running = true;
    FakeDesktopStarter starter;
    FakeConsoleSessions sessions;
    sessions.session = 1;
    sessions.without_way = {4};
    for (const std::uint32_t session : {1u, 4u}) {
        FakeConsoleSessions::Process p;
        p.process = {session + 10, session};
        p.holds = root + "Varnholde.exe";
        sessions.processes.push_back(p);
    }
    const auto before = installer.fs.snapshot();
    EXPECT_EQ(run_installation(installer.fs, installer.registry, installer.view, package,
                               nullptr, &window, &starter, &sessions),
              InstallResult::refused);
    EXPECT_NE(installer.view.status.back().find("в сеансе 4 не удастся запустить снова"),
              std::string::npos)
        << installer.view.status.back();
    EXPECT_EQ(window.close_requests, 0);
    EXPECT_TRUE(window.running);
    EXPECT_TRUE(sessions.asked.empty());
    EXPECT_EQ(sessions.sessions_checked, (std::vector<std::uint32_t>{4}));
    EXPECT_TRUE(starter.started.empty());
    EXPECT_TRUE(sessions.started.empty());
    EXPECT_EQ(installer.fs.snapshot(), before);
}

// The consoles of every session, as the Restart Manager finds them by the
// files they hold. Setup runs in session 0 (a deployment tool's LocalSystem)
// or in the user's session 1; each console ends on request, writing its
// settings and letting go of its program, and runs again in its own
// session. One that does not end, or "ends" but keeps its file (as under
// Wine, where the Restart Manager reports success and does nothing), stops
// the installation before anything is written.
TEST(Installation, ConsolesOfEverySessionAreClosedAndStartedAgainInTheirOwnSessions) {
    struct Console {
        std::uint32_t session;
        bool hangs = false;
        bool keeps_file = false;  // ends without letting go of its program
        bool console = true;      // false: another program holding the file
    };
    struct Case {
        const char* name;
        std::uint32_t own_session;
        std::vector<Console> consoles;
        InstallResult result;
        std::vector<std::uint32_t> started_in_sessions;  // by start_in_session
        int started_here;                                // by the desktop starter
        const char* last_status;                         // nullptr: the success text
        bool can_start = true;  // false: the start fails though a way was there
        std::vector<std::uint32_t> without_way = {};  // sessions Setup cannot start in
    };
    const std::string not_closed =
        "Установка прервана: консоль Varnholde не закрылась; закройте её "
        "(\"Выход\" в меню её значка) и запустите установку снова.";
    const std::string held = "Не удалось скопировать Principal._x_ в " + root +
                             "Varnholde.exe (консоль Varnholde запущена другим пользователем). "
                             "Установка прервана.";
    const std::string no_way_2 =
        "Установка прервана: консоль Varnholde в сеансе 2 не удастся запустить снова от имени "
        "её пользователя; закройте её в том сеансе (\"Выход\" в меню её значка) и запустите "
        "установку снова.";
    const Case cases[] = {
        {"none found", 0, {}, InstallResult::installed, {}, 0, nullptr},
        {"one user's, Setup as LocalSystem", 0, {{1}}, InstallResult::installed, {1}, 0, nullptr},
        {"two users'", 0, {{1}, {2}}, InstallResult::installed, {1, 2}, 0, nullptr},
        {"this session's, found by its file", 1, {{1}}, InstallResult::installed, {}, 1, nullptr},
        {"this and another user's", 1, {{1}, {3}}, InstallResult::installed, {3}, 1, nullptr},
        {"another user's, whose start fails late", 1, {{2}}, InstallResult::installed, {2}, 0,
         nullptr, false},
        {"another user's, with no way into the session", 1, {{2}}, InstallResult::refused, {}, 0,
         no_way_2.c_str(), true, {2}},
        {"two users', one session without a way", 0, {{1}, {2}}, InstallResult::refused, {}, 0,
         no_way_2.c_str(), true, {2}},
        {"this session's, no way into others", 1, {{1}}, InstallResult::installed, {}, 1,
         nullptr, true, {1, 3}},
        {"another program, in a session without a way", 0, {{2, false, false, false}},
         InstallResult::refused, {}, 0, held.c_str(), true, {2}},
        {"one does not end", 0, {{1}, {2, true}}, InstallResult::refused, {1}, 0,
         not_closed.c_str()},
        {"one ends but keeps its file", 0, {{1, false, true}}, InstallResult::refused, {1}, 0,
         held.c_str()},
        {"another program holds it", 0, {{1, false, false, false}}, InstallResult::refused, {}, 0,
         held.c_str()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installer installer;
        installer.fs.put_file(root + "Varnholde.exe", "old");
        installer.fs.put_file(root + "us_param.par", root + "Skins\\skin_ 2.jpg-3  1000\r\n");
        FakeConsoleSessions sessions;
        sessions.session = c.own_session;
        sessions.starts = c.can_start;
        sessions.without_way = c.without_way;
        std::uint32_t id = 100;
        for (const Console& console : c.consoles) {
            FakeConsoleSessions::Process p;
            p.process = {++id, console.session};
            p.holds = root + "Varnholde.exe";
            p.console = console.console;
            p.hangs = console.hangs;
            FakeFileSystem& fs = installer.fs;
            const bool keeps = console.keeps_file;
            p.on_close = [&fs, keeps] {
                fs.rewrite_file(root + "us_param.par", root + "Skins\\skin_ 5.jpg 4   200\r\n");
                fs.set_in_use(root + "Varnholde.exe", keeps);
            };
            sessions.processes.push_back(p);
        }
        if (!c.consoles.empty()) installer.fs.set_in_use(root + "Varnholde.exe", true);
        FakeRunningConsole window;  // no window of this desktop is found
        FakeDesktopStarter starter;
        const auto before = installer.fs.snapshot();

        EXPECT_EQ(run_installation(installer.fs, installer.registry, installer.view, package,
                                   nullptr, &window, &starter, &sessions),
                  c.result);
        EXPECT_EQ(installer.view.status.back(), c.last_status ? c.last_status : success_text);
        std::vector<std::uint32_t> started;
        for (const auto& start : sessions.started) started.push_back(start.session);
        EXPECT_EQ(started, c.started_in_sessions);
        EXPECT_EQ(static_cast<int>(starter.started.size()), c.started_here);
        // Without a way back, no console is asked: every one still runs.
        const bool no_way = c.last_status && c.last_status == no_way_2;
        if (no_way) { EXPECT_TRUE(sessions.asked.empty()); }
        for (const Console& console : c.consoles) {
            if (!console.console || no_way) continue;
            const std::string closing =
                "Закрытие консоли Varnholde в сеансе " + std::to_string(console.session);
            EXPECT_NE(std::find(installer.view.status.begin(), installer.view.status.end(),
                                closing),
                      installer.view.status.end())
                << closing;
        }
        if (c.result == InstallResult::installed) {
            EXPECT_EQ(installer.fs.content(root + "Varnholde.exe"), content_of("Principal._x_"));
            // The settings the console wrote as it ended are the ones kept.
            if (!c.consoles.empty()) {
                EXPECT_EQ(installer.fs.content(root + "us_param.par"),
                          root + "Skins\\skin_ 5.jpg 4   200\r\n");
            }
        } else {
            // Nothing but what the consoles wrote as they ended has changed.
            auto after = installer.fs.snapshot();
            const std::string settings = root + "us_param.par";
            after[settings] = before.at(settings);
            EXPECT_EQ(after, before);
        }
        if (!c.consoles.empty()) { EXPECT_EQ(sessions.searches, 1); }
    }
}

// Settings the console reads are the user's and stay; the package's first
// settings go only where there are none or the console would reject them.
// Aliases are never touched.
TEST(Installation, ValidSettingsAreKeptAndOnlyMissingOrInvalidOnesReplaced) {
    struct Case {
        const char* name;
        std::optional<std::string> existing;
        bool kept;
    };
    const std::string skin = root + "Skins\\skin_ 2.jpg";
    const Case cases[] = {
        {"with a skin", skin + "-3  1000\r\n", true},
        {"with a skin no longer there", root + "Skins\\skin_ 9.jpg 5   200\r\n", true},
        {"never a skin", std::string(" 2   200\r\n"), true},
        {"none", std::nullopt, false},
        {"one byte short", skin + "-3  100\r\n", false},
        {"interval no number", skin + "-3  x100\r\n", false},
        {"empty", std::string(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installer installer;
        if (c.existing) installer.fs.put_file(root + "us_param.par", *c.existing);
        installer.fs.put_file(root + "Alliases\\Dirs\\docs", "C:\\Docs\r\n");
        installer.fs.put_file(root + "Alliases\\Exe_files\\us_param.par", "alias\r\n");
        ASSERT_EQ(installer.run(), InstallResult::installed);
        EXPECT_EQ(installer.fs.content(root + "us_param.par"),
                  c.kept ? *c.existing : content_of("Pos_set_par.ksr"));
        EXPECT_EQ(installer.fs.content(root + "Alliases\\Dirs\\docs"), "C:\\Docs\r\n");
        EXPECT_EQ(installer.fs.content(root + "Alliases\\Exe_files\\us_param.par"), "alias\r\n");
        EXPECT_EQ(installer.fs.content(root + "Varnholde.exe"), content_of("Principal._x_"));
    }
}

TEST(Installation, AStartMenuParentThatDoesNotExistIsReported) {
    Installer installer;
    installer.registry.put_value(hkey_local_machine, product::shell_folders_key, "Common Programs",
                                 reg_sz, std::string("C:\\Нет такой папки") + '\0');
    expect_stopped(installer, "C:\\Нет такой папки\\Varnholde", "путь не найден");
}

// Who may change what, as icacls would print it: SYSTEM and Administrators
// (the owner) full control everywhere; users read and run, and may write
// only the settings file and add, change and delete alias files. A tree
// left by an earlier installation, whoever owned it, gets the same; alias
// files and anything beside the tree keep theirs.
TEST(Installation, TheTreeGetsExplicitRightsThatOnlyLetUsersWriteSettingsAndAliases) {
    const std::string closed_folder =
        "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
    const std::string alias_folder =
        "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200ab;;;BU)(A;OIIO;0x1200a9;;;BU)"
        "(A;OIIO;0x1301bf;;;CO)";
    const std::string closed_file = "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)";
    const std::string settings = "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1201bf;;;BU)";
    const std::map<std::string, std::string> expected = {
        {"C:\\Tessarimondale", closed_folder},   {root, closed_folder},
        {root + "Skins", closed_folder},          {root + "Alliases", closed_folder},
        {root + "Alliases\\Exe_files", alias_folder}, {root + "Alliases\\Dirs", alias_folder},
        {root + "us_param.par", settings},        {root + "Varnholde.exe", closed_file},
        {root + "Uninstall.exe", closed_file},    {root + "Skins\\skin_ 6.jpg", closed_file},
    };

    for (const bool earlier_tree : {false, true}) {
        SCOPED_TRACE(earlier_tree ? "over an earlier installation" : "a new installation");
        Installer installer;
        // An older installation belongs to Administrators, whatever it let
        // users do.
        const FileRights users_own{Trustee::administrators,
                                   {{Trustee::users, Access::full_control, Reach::this_and_contents}}};
        installer.fs.put_file("C:\\Tessarimondale\\notes.txt", "user");
        if (earlier_tree) {
            for (const auto& [name, destination] : installed_as) {
                installer.fs.put_file(destination, "old");
                installer.fs.set_rights(destination, users_own);
            }
            for (const auto& [path, sddl] : expected) installer.fs.set_rights(path, users_own);
            installer.fs.put_file(root + "Alliases\\Dirs\\docs", "C:\\Docs\r\n");
        }
        ASSERT_EQ(installer.run(), InstallResult::installed);
        for (const auto& [path, sddl] : expected) {
            const auto rights = installer.fs.rights(path);
            ASSERT_TRUE(rights) << path;
            EXPECT_EQ(security_descriptor_text(*rights), sddl) << path;
        }
        EXPECT_FALSE(installer.fs.rights("C:\\Tessarimondale\\notes.txt"));
        EXPECT_FALSE(installer.fs.rights(root + "Alliases\\Dirs\\docs"));
        EXPECT_FALSE(installer.fs.rights(programs + "\\Varnholde"));
    }
}

// The entry that Apps & features lists, with the size of what was
// installed in the tree.
TEST(Installation, TheProductIsRegisteredInAppsAndFeatures) {
    Installer installer;
    for (const auto& [name, destination] : installed_as)
        installer.fs.put_file(package + "\\" + name, std::string(1000, 'x'));
    installer.fs.put_file(package + "\\Principal._x_", std::string(102400, 'x'));
    ASSERT_EQ(installer.run(), InstallResult::installed);

    const std::string key = product::uninstall_key;
    const auto dword = [](std::string bytes) { return FakeRegistry::Value{reg_dword, bytes}; };
    const auto text = [](std::string t) { return FakeRegistry::Value{reg_sz, t + '\0'}; };
    const std::map<std::string, FakeRegistry::Value> values = {
        {"DisplayName", text("Varnholde")},
        {"DisplayVersion", text("1.3.0")},
        {"Publisher", text("Tessarimondale")},
        {"DisplayIcon", text("C:\\Tessarimondale\\Varnholde\\Varnholde.exe")},
        {"InstallLocation", text("C:\\Tessarimondale\\Varnholde")},
        {"UninstallString", text("\"C:\\Tessarimondale\\Varnholde\\Uninstall.exe\"")},
        {"QuietUninstallString",
         text("\"C:\\Tessarimondale\\Varnholde\\Uninstall.exe\" /S")},
        {"NoModify", dword(std::string("\x01\0\0\0", 4))},
        {"NoRepair", dword(std::string("\x01\0\0\0", 4))},
        // Ten files of 1000 bytes and one of 102400: 109.8 KB, rounded up.
        {"EstimatedSize", dword(std::string("\x6e\0\0\0", 4))},
    };
    for (const auto& [name, expected] : values) {
        const auto stored = installer.registry.value(hkey_local_machine, key, name);
        ASSERT_TRUE(stored) << name;
        EXPECT_EQ(stored->type, expected.type) << name;
        EXPECT_EQ(stored->bytes, expected.bytes) << name;
    }
    EXPECT_EQ(installer.registry.open_handles(), 0);
}

// A package unzipped from a download carries the download mark on every
// file, and copying takes it along: the installed files lose it, other
// streams stay as copied, and the package keeps its marks.
TEST(Installation, InstalledFilesLoseTheDownloadMarkThePackageKeepsIt) {
    Installer installer;
    const std::string mark = "[ZoneTransfer]\r\nZoneId=3\r\n";
    for (const auto& [name, destination] : installed_as)
        installer.fs.put_stream(package + "\\" + name, "Zone.Identifier", mark);
    installer.fs.put_stream(package + "\\Principal._x_", "notes", "kept");
    installer.fs.put_file(root + "Varnholde.exe", "old");
    installer.fs.put_stream(root + "Varnholde.exe", "zone.identifier", mark);
    const auto package_before = installer.fs.streams(package + "\\Func.bin");
    ASSERT_EQ(installer.run(), InstallResult::installed);

    for (const auto& [name, destination] : installed_as) {
        const auto streams = installer.fs.streams(destination);
        EXPECT_EQ(streams.count("ZONE.IDENTIFIER"), 0u) << destination;
        EXPECT_EQ(installer.fs.streams(package + "\\" + name).size(),
                  name == "Principal._x_" ? 2u : 1u) << name;
    }
    EXPECT_EQ(installer.fs.streams(root + "Varnholde.exe"),
              (std::map<std::string, std::string>{{"NOTES", "kept"}}));
    EXPECT_EQ(installer.fs.streams(package + "\\Func.bin"), package_before);
}

TEST(Installation, ARunValueThatCannotBeWrittenIsReported) {
    Installer installer;
    installer.registry.set_read_only(true);
    expect_stopped(installer, "Varnholde", "доступ запрещён");
    EXPECT_EQ(installer.fs.content(root + "Varnholde.exe"), content_of("Principal._x_"));
}

}  // namespace
}  // namespace vh
