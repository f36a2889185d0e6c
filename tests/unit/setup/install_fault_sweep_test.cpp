// The installation run once for every N, the N-th file-system (or registry)
// operation failing, until a run completes without meeting its fault. Each
// run must show the success text only when everything is in place, name the
// file of the failure it stopped at, and change nothing outside the
// installation tree and the Start-menu folder.
#include <gtest/gtest.h>

#include "shared/product.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_console_and_shell.h"
#include "platform/fake/fake_registry.h"
#include "platform/names.h"
#include "setup/install_procedure.h"
#include "setup/install_views.h"
#include "shared/registry_strings.h"
#include "tests/unit/journalled_file_system.h"

namespace vh {
namespace {

class StatusView : public SilentInstallerView {
public:
    void set_status_text(const std::string& text) override { status.push_back(text); }
    void show_failure(const std::string& message, std::uint32_t) override {
        status.push_back(message);
    }
    void set_exit_visible(bool visible) override { exit_visible = visible; }
    void set_main_enabled(bool enabled) override { main_enabled = enabled; }
    void show_error_dialog(const std::string& message) override { dialogs.push_back(message); }

    std::vector<std::string> status, dialogs;
    bool exit_visible = true, main_enabled = true;
};

const std::string package = "D:\\Varnholde 1.3";
const std::string programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
const std::string tree = "C:\\Tessarimondale\\Varnholde\\";
const std::string menu = programs + "\\Varnholde";
// Where the Start-menu folder lands when "Common Programs" cannot be read:
// "\Varnholde" on the current drive.
const std::string root_menu = "C:\\Varnholde";

const std::map<std::string, std::string> installed_as = {
    {"Ivel.bmp", tree + "KSR_Icon.ico"},
    {"Func.bin", tree + "ReadMe.txt"},
    {"Pos_set_par.ksr", tree + "us_param.par"},
    {"Principal._x_", tree + "Varnholde.exe"},
    {"Principial_un._x_", tree + "Uninstall.exe"},
    {"Data\\data1.ksr", tree + "Skins\\skin_ 1.jpg"},
    {"Data\\data2.ksr", tree + "Skins\\skin_ 2.jpg"},
    {"Data\\data3.ksr", tree + "Skins\\skin_ 3.jpg"},
    {"Data\\data4.ksr", tree + "Skins\\skin_ 4.jpg"},
    {"Data\\data5.ksr", tree + "Skins\\skin_ 5.jpg"},
    {"Data\\data6.ksr", tree + "Skins\\skin_ 6.jpg"},
    {"Datalnk\\Varnholde", "\\Varnholde.lnk"},
    {"Datalnk\\ReadMe", "\\ReadMe.lnk"},
    {"Datalnk\\Удаление Varnholde", "\\Удаление Varnholde.lnk"},
};

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool mentions(const std::vector<std::string>& texts, const std::string& what) {
    for (const std::string& t : texts)
        if (t.find(what) != std::string::npos) return true;
    return false;
}

// A machine with the package on D:, an older settings file and a user's
// files beside the places the installer writes to. Of the folder that holds
// the tree the installer changes only the rights.
struct Machine {
    testing::JournalledFileSystem fs;
    FakeRegistry registry;
    StatusView view;

    Machine() {
        fs.add_drive('D');
        for (const auto& [name, destination] : installed_as)
            fs.put_file(package + "\\" + name, "new " + name);
        fs.put_file(tree + "us_param.par", "old settings");
        fs.put_file("C:\\Tessarimondale\\notes.txt", "user");
        fs.put_file(programs + "\\Other\\Other.lnk", "lnk");
        fs.put_file("C:\\Users\\doc.txt", "user");
        registry.put_value(hkey_local_machine, product::shell_folders_key, "Common Programs", reg_sz,
                           programs + '\0');
        RegKey uninstall = 0;  // where every Windows keeps its programs' entries
        registry.create_key(hkey_local_machine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                            uninstall);
        registry.close_key(uninstall);
    }

    // The snapshot without the installation tree and the Start-menu folder
    // that the run used.
    std::map<std::string, std::string> outside(const std::string& start_menu) const {
        std::map<std::string, std::string> out;
        for (const auto& entry : fs.snapshot())
            if (!starts_with(entry.first, tree) && !starts_with(entry.first, start_menu + "\\") &&
                entry.first != "C:\\Tessarimondale\\")
                out.insert(entry);
        return out;
    }

    // The registry without the Run value and the Apps & features entry.
    std::map<std::string, std::string> registry_outside() const {
        auto values = registry.snapshot(hkey_local_machine);
        const std::string entry = "\\" + fold_case(product::uninstall_key) + "\\";
        const std::string run = "\\" + fold_case(product::run_key) + "\\";
        std::erase_if(values, [&](const auto& item) {
            return starts_with(item.first, entry) || item.first == run ||
                   item.first == run + "VARNHOLDE";
        });
        return values;
    }

    // Apps & features lists an entry that has a DisplayName.
    bool entry_listed() const {
        return registry.value(hkey_local_machine, product::uninstall_key, "DisplayName").has_value();
    }

    bool everything_installed(const std::string& start_menu) const {
        for (const auto& [name, destination] : installed_as) {
            if (name == "Pos_set_par.ksr") continue;  // kept when valid: checked apart
            const std::string at =
                destination[0] == '\\' ? start_menu + destination : destination;
            if (fs.content(at) != "new " + name) return false;
        }
        for (const std::string& path :
             {tree + "Varnholde.exe", tree + "us_param.par", tree + "Alliases\\Dirs",
              tree + "Skins\\skin_ 6.jpg", std::string("C:\\Tessarimondale")})
            if (!fs.rights(path)) return false;
        const auto command =
            registry.value(hkey_local_machine, product::uninstall_key, "UninstallString");
        if (!command || command->bytes != "\"" + tree + "Uninstall.exe\"" + '\0') return false;
        return fs.is_directory(tree + "Alliases\\Dirs") &&
               fs.is_directory(tree + "Alliases\\Exe_files") &&
               getstring(const_cast<FakeRegistry&>(registry), hkey_local_machine, product::run_key,
                         product::run_value_name) == product::console_program;
    }

    bool run_value_written() const {
        return registry.value(hkey_local_machine, product::run_key, product::run_value_name).has_value();
    }
};

// The invariants every run holds, whatever failed.
void expect_success_only_when_complete(const Machine& m, InstallResult result,
                                       const std::string& start_menu) {
    const bool success_shown = mentions(m.view.status, success_text);
    EXPECT_EQ(success_shown, result == InstallResult::installed);
    if (success_shown) {
        EXPECT_EQ(m.view.status.back(), success_text);
        EXPECT_TRUE(m.everything_installed(start_menu));
    }
    EXPECT_TRUE(m.view.exit_visible || !m.view.dialogs.empty()) << "no way out of the window";
    // Apps & features lists the product only once it is all there.
    EXPECT_EQ(m.entry_listed(), result == InstallResult::installed);
}

// Settings the console reads whole: the 45-character skin path, colour 4 and
// the interval 200, then CR LF.
const std::string user_settings = tree + "Skins\\skin_ 3.jpg 4   200\r\n";

// Run with and without a console of this session: when one runs, its unload
// writes the user's settings, which the installation keeps, and it is
// started again when the installation is done or changed nothing.
TEST(InstallFaultSweep, EveryFailingFileOperationIsReportedByNameAndNothingElseIsTouched) {
    ASSERT_EQ(user_settings.size(), 55u);
    for (const bool console_runs : {false, true}) {
        int exercised = 0;
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(console_runs ? "a console runs, " : "no console, ") +
                         "file-system operation " + std::to_string(n) + " fails");
            Machine m;
            FakeRunningConsole console;
            FakeDesktopStarter starter;
            console.running = console_runs;
            // What the settings hold once the console has unloaded; the
            // file's earlier bytes are not what the installer must judge.
            console.on_close = [&] {
                m.fs.stop_journal();
                m.fs.put_file(tree + "us_param.par", user_settings);
                m.fs.start_journal();
            };
            const auto original = m.fs.snapshot();
            Machine closed;  // as the machine is once the console has ended
            closed.fs.put_file(tree + "us_param.par", user_settings);
            const auto outside_before = m.outside(menu);
            const int start = m.fs.operations_done();
            m.fs.start_journal();
            m.fs.fail_operation(n);
            const InstallResult result =
                run_installation(m.fs, m.registry, m.view, package, nullptr, &console, &starter);
            const int done = m.fs.operations_done() - start;
            m.fs.fail_operation(0);
            ASSERT_EQ(m.fs.journalled(), done);

            expect_success_only_when_complete(m, result, menu);
            EXPECT_EQ(m.outside(menu), outside_before);
            const auto& everything_before =
                console.close_requests > 0 ? closed.fs.snapshot() : original;
            const auto settings = m.fs.content(tree + "us_param.par");
            // The package's first settings never replace the user's.
            if (console.close_requests > 0) {
                EXPECT_EQ(settings, user_settings);
            } else {
                EXPECT_TRUE(settings == "old settings" || settings == "new Pos_set_par.ksr");
            }
            bool changed_before_fault = false;
            for (int i = 1; i < std::min(n, done + 1); ++i)
                changed_before_fault |= !m.fs.only_looks(m.fs.operation_of(i));
            // Started again after success, or after a refused check, which
            // leaves the earlier installation whole; never over a half-done one.
            // The tree's levels are opened, and judged, before anything is
            // written: a level that cannot be opened refuses too.
            const bool refused_check =
                done >= n && (m.fs.operation_of(n) == "check_replaceable" ||
                              m.fs.operation_of(n) == "hold_drive_root" ||
                              m.fs.operation_of(n) == "hold" ||
                              (m.fs.operation_of(n) == "get_attributes" &&
                               starts_with(m.fs.paths_of(n)[0], package)));
            const bool restarts = console_runs && (result == InstallResult::installed ||
                                                   result == InstallResult::refused);
            EXPECT_EQ(starter.started.size(), restarts ? 1u : 0u);
            EXPECT_EQ(console.close_requests,
                      console_runs && result != InstallResult::broken_package ? 1 : 0);
            if (done < n) {  // the fault was never reached: a clean run
                EXPECT_EQ(result, InstallResult::installed);
                EXPECT_EQ(settings, console_runs ? user_settings : "new Pos_set_par.ksr");
                if (console_runs) {
                    EXPECT_EQ(starter.started[0].program, tree + "Varnholde.exe");
                    EXPECT_EQ(starter.started[0].directory, "C:\\Tessarimondale\\Varnholde");
                }
                // Every check comes before the first change.
                bool changed = false;
                for (int i = 1; i <= done; ++i) {
                    const std::string& operation = m.fs.operation_of(i);
                    EXPECT_FALSE(changed && operation == "check_replaceable") << i;
                    changed |= !m.fs.only_looks(operation);
                }
                break;
            }
            ++exercised;
            const std::vector<std::string>& paths = m.fs.paths_of(n);
            if (result == InstallResult::broken_package) {
                // A package folder that cannot be listed is an incomplete package:
                // the dialog says so and nothing at all is written.
                EXPECT_TRUE(starts_with(paths[0], package)) << paths[0];
                EXPECT_EQ(m.view.dialogs.front(), broken_package_message);
                EXPECT_FALSE(m.view.main_enabled);
                EXPECT_EQ(m.fs.snapshot(), everything_before);
                EXPECT_FALSE(m.run_value_written());
                continue;
            }
            if (result == InstallResult::installed) {
                // Only a look at the settings file may fail without harm: a
                // file that could not be read is kept.
                EXPECT_EQ(paths[0], tree + "us_param.par");
                continue;
            }
            // A refused check is told apart: it changed nothing.
            ASSERT_EQ(result, refused_check ? InstallResult::refused : InstallResult::failed);
            // The last status text is the failure, naming the file or folder
            // being made (for a copy, its destination).
            EXPECT_NE(m.view.status.back().find(paths.back()), std::string::npos)
                << m.view.status.back();
            EXPECT_TRUE(m.view.dialogs.empty());
            EXPECT_FALSE(m.run_value_written());
            // Nothing is written before the checks pass: a fault met before
            // any change leaves everything as it was.
            if (!changed_before_fault) {
                EXPECT_EQ(m.fs.snapshot(), everything_before);
            }
            if (refused_check) {
                EXPECT_FALSE(changed_before_fault);
            }
        }
        std::cout << "[ sweep    ] installer, file-system faults"
                  << (console_runs ? ", a console running" : "") << ": " << exercised
                  << " values of N exercised\n";
        ::testing::Test::RecordProperty(
            console_runs ? "file_system_faults, console running" : "file_system_faults", exercised);
        // 3 listings, the settings looked at, 14 checks, 3 folders, the
        // Start-menu folder, 14 copies (13 when the settings are kept).
        EXPECT_GE(exercised, console_runs ? 35 : 37);
    }
}

// A failing read of "Common Programs" gives the empty text: the shell is
// asked, and only when it cannot say either do the shortcuts go to
// "\Varnholde" on the current drive.
TEST(InstallFaultSweep, EveryFailingRegistryOperationEndsInSuccessOnlyWithTheRunValueInPlace) {
    for (const bool shell_knows : {true, false}) {
        int exercised = 0;
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(shell_knows ? "the shell knows" : "the shell cannot say") +
                         ", registry operation " + std::to_string(n) + " fails");
            Machine m;
            FakeShellFolders shell;
            if (shell_knows) shell.programs = programs;
            const int start = m.registry.operations_done();
            const auto outside_before = m.outside(menu);
            const auto registry_before = m.registry_outside();
            m.registry.fail_operation(n);
            const InstallResult result =
                run_installation(m.fs, m.registry, m.view, package, &shell);
            const bool fault_met = m.registry.operations_done() - start >= n;
            m.registry.fail_operation(0);
            const bool menu_at_root = m.fs.exists(root_menu);
            const std::string start_menu = menu_at_root ? root_menu : menu;

            expect_success_only_when_complete(m, result, start_menu);
            EXPECT_EQ(menu_at_root, !shell_knows && shell.queries > 0);
            if (menu_at_root) {
                EXPECT_EQ(result, InstallResult::installed);
            }
            EXPECT_EQ(m.outside(start_menu), outside_before);
            EXPECT_EQ(m.registry_outside(), registry_before);
            EXPECT_EQ(m.registry.open_handles(), 0);
            if (!fault_met) {
                EXPECT_EQ(result, InstallResult::installed);
                EXPECT_FALSE(menu_at_root);
                break;
            }
            ++exercised;
            if (result == InstallResult::failed) {
                const std::string& last = m.view.status.back();
                EXPECT_TRUE(last.find(std::string("автозапуска ") + product::run_value_name) !=
                                std::string::npos ||
                            last.find(product::uninstall_key) != std::string::npos)
                    << last;
            }
        }
        std::cout << "[ sweep    ] installer, registry faults, "
                  << (shell_knows ? "the shell knows the Start menu" : "the shell cannot say")
                  << ": " << exercised << " values of N exercised\n";
        ::testing::Test::RecordProperty(
            shell_knows ? "registry_faults, shell knows" : "registry_faults", exercised);
        // The Start-menu lookup, the Run value's write and read-back, the
        // entry's key and its ten values.
        EXPECT_GE(exercised, 19);
    }
}

}  // namespace
}  // namespace vh
