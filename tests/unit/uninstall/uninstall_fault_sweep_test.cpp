// The uninstall run once for every N, the N-th file-system (or registry)
// operation failing, until a run completes without meeting its fault; with
// the Start-menu folder named by the registry, by the shell only, or by
// neither, and with a console running that is closed first. Each run must
// show the completion text only when everything is removed, the console
// closed and its Run value gone, name what it stopped at, and never delete
// anything outside the installation tree and the Start-menu folder (of a
// "\Varnholde" at the root of the drive only the three shortcuts).
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>

#include "platform/fake/fake_console_and_shell.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "shared/registry_strings.h"
#include "shared/uninstall_entry.h"
#include "tests/unit/journalled_file_system.h"
#include "uninstall/uninstall_procedure.h"
#include "uninstall/uninstall_texts.h"

namespace vh {
namespace {

const std::string tree = "C:\\Tessarimondale\\Varnholde";
const std::string programs = "C:\\ProgramData\\Start Menu\\Programs";
const std::string menu = programs + "\\Varnholde";
const std::string shell_folders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string run_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string console_exe = tree + "\\Varnholde.exe";
const std::string entry_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnholde";

class MessageView : public UninstallView {
public:
    void set_question_buttons_visible(bool) override {}
    void set_message(const std::string& text) override { messages.push_back(text); }
    void set_message_size(float) override {}
    void set_progress_visible(bool) override {}
    float progress() override { return value; }
    void set_progress(float v) override { value = v; }
    void show_exit_button() override { exit_button = true; }

    std::vector<std::string> messages;
    float value = 0;
    bool exit_button = false;
};

bool deletes(const std::string& operation) {
    return operation == "delete_file" || operation == "remove_directory";
}

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Where the machine keeps the Start-menu folder, and the console.
struct Layout {
    const char* name;
    bool programs_in_registry;  // "Common Programs" names the folder
    bool shell_knows;           // the shell gives the folder
    bool console_running;       // a console runs, and ends when asked
};

const std::string root_menu = "C:\\Varnholde";
const std::string links[] = {"Varnholde.lnk", "ReadMe.lnk", "Удаление Varnholde.lnk"};

// An installed product with aliases, beside a user's files: one next to the
// tree, other Start-menu entries, and a folder "\Varnholde" at the root of
// the current drive, where the shortcuts are when neither the registry nor
// the shell names the Start-menu folder.
struct Machine {
    testing::JournalledFileSystem fs;
    FakeRegistry registry;
    FakeProcessStarter processes;
    FakeRunningConsole console;
    FakeShellFolders shell;
    MessageView view;
    UninstallSystem system{fs, registry, processes, tree, "Uninstall.exe",
                           "C:\\Windows\\system32\\cmd.exe", &console, &shell};
    bool fallback;  // the shortcuts are in root_menu

    explicit Machine(const Layout& layout)
        : fallback(!layout.programs_in_registry && !layout.shell_knows) {
        for (const char* name :
             {"Varnholde.exe", "Uninstall.exe", "us_param.par", "ReadMe.txt", "KSR_Icon.ico"})
            fs.put_file(tree + "\\" + name, name);
        for (int i = 1; i <= 6; ++i)
            fs.put_file(tree + "\\Skins\\skin_ " + std::to_string(i) + ".jpg", "jpeg");
        fs.put_file(tree + "\\Alliases\\Exe_files\\np", "notepad.exe\r\n");
        fs.put_file(tree + "\\Alliases\\Dirs\\docs", "C:\\Docs\r\n");
        for (const std::string& link : links)
            fs.put_file((fallback ? root_menu : menu) + "\\" + link, "lnk");
        fs.set_in_use(tree + "\\Uninstall.exe", true);
        fs.put_file(programs + "\\Other.lnk", "lnk");
        fs.put_file("C:\\Tessarimondale\\notes.txt", "user");
        fs.put_file(root_menu + "\\letter.txt", "user");
        fs.put_file("C:\\Docs\\doc.txt", "user");
        registry.put_value(hkey_local_machine, shell_folders, "Common Programs", reg_sz,
                           layout.programs_in_registry ? programs + '\0' : std::string(1, '\0'));
        savestring(registry, hkey_local_machine, run_key, "Varnholde", console_exe);
        write_uninstall_entry(registry, 900);
        if (layout.shell_knows) shell.programs = programs;
        if (layout.console_running) {
            console.running = true;
            fs.set_in_use(tree + "\\Varnholde.exe", true);
            // Its unload writes the settings, in the same file system, and
            // its end lets go of its program file.
            console.on_close = [this] {
                fs.write_file(tree + "\\us_param.par", "written at unload");
                fs.set_in_use(tree + "\\Varnholde.exe", false);
            };
        }
    }

    // Whether the procedure may delete the entry at path: the tree, and the
    // Start-menu folder it found (of the root folder only the shortcuts).
    bool ours(const std::string& path, bool in_root_menu) const {
        if (starts_with(path, tree + "\\")) return true;
        if (!in_root_menu) return starts_with(path, menu + "\\");
        for (const std::string& link : links)
            if (path == root_menu + "\\" + link) return true;
        return false;
    }

    // What no run may change: everything but the tree and the Start-menu
    // folder in use.
    std::map<std::string, std::string> outside(bool in_root_menu) const {
        std::map<std::string, std::string> out;
        for (const auto& entry : fs.snapshot())
            if (!ours(entry.first, in_root_menu)) out.insert(entry);
        return out;
    }

    // The installation directory holds only the running uninstaller and the
    // batch file, the shortcuts are gone, the console has ended, its Run
    // value is gone and the batch was started.
    bool everything_removed() const {
        std::map<std::string, std::string> left;
        for (const auto& entry : fs.snapshot())
            if (ours(entry.first, fallback) && entry.first != tree + "\\") left.insert(entry);
        return left.size() == 2 && left.count(tree + "\\Uninstall.exe") &&
               left.count(tree + "\\Del_Unin.bat") && processes.started.size() == 1 &&
               !console.running && !run_value_there() && !entry_there();
    }

    bool entry_there() const { return registry.key_exists(hkey_local_machine, entry_key); }

    bool run_value_there() const {
        return registry.value(hkey_local_machine, run_key, "Varnholde").has_value();
    }

    bool completion_shown() const {
        for (const std::string& m : view.messages)
            if (m == uninstall_text::completed) return true;
        return false;
    }
};

void expect_completion_only_when_everything_is_removed(const Machine& m,
                                                       UninstallOutcome outcome) {
    EXPECT_EQ(m.completion_shown(), outcome == UninstallOutcome::completed);
    if (outcome == UninstallOutcome::completed) {
        EXPECT_TRUE(m.everything_removed());
    }
    EXPECT_TRUE(m.view.exit_button);
}

const Layout layouts[] = {
    {"registry names the Start menu, console running", true, false, true},
    {"only the shell names the Start menu", false, true, false},
    {"nothing names the Start menu", false, false, false},
};

TEST(UninstallFaultSweep, EveryFailingFileOperationStopsNamingItsFileAndTouchesNothingOutside) {
    for (const Layout& layout : layouts) {
        int exercised = 0;
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(layout.name) + ", file-system operation " +
                         std::to_string(n) + " fails");
            Machine m(layout);
            const auto outside_before = m.outside(m.fallback);
            const int start = m.fs.operations_done();
            m.fs.start_journal();
            m.fs.fail_operation(n);
            const UninstallOutcome outcome = run_uninstall(m.system, m.view);
            const int done = m.fs.operations_done() - start;
            m.fs.fail_operation(0);
            ASSERT_EQ(m.fs.journalled(), done);

            expect_completion_only_when_everything_is_removed(m, outcome);
            EXPECT_EQ(m.outside(m.fallback), outside_before);
            EXPECT_EQ(m.fs.content(root_menu + "\\letter.txt"), "user");
            EXPECT_FALSE(m.console.running);
            int deletions_before_fault = 0;
            for (int i = 1; i < std::min(n, done + 1); ++i)
                deletions_before_fault += deletes(m.fs.operation_of(i));
            if (done < n) {
                EXPECT_EQ(outcome, UninstallOutcome::completed);
                // Every file is checked before the first deletion.
                for (int i = 1, deleted = 0; i <= done; ++i) {
                    const std::string& operation = m.fs.operation_of(i);
                    EXPECT_FALSE(deleted && operation == "check_replaceable") << i;
                    deleted += deletes(operation);
                }
                break;
            }
            ++exercised;
            if (m.fs.operation_of(n) == "check_replaceable") {
                EXPECT_EQ(outcome, UninstallOutcome::refused);
            }
            // Refused: told apart because nothing was deleted.
            if (outcome == UninstallOutcome::refused) {
                EXPECT_EQ(deletions_before_fault, 0);
                EXPECT_TRUE(m.run_value_there());
            }
            if (outcome == UninstallOutcome::completed) continue;  // a failed look
            // The stop names the file or folder of the failing operation.
            const std::string& path = m.fs.paths_of(n).front();
            const std::string& message = m.view.messages.back();
            EXPECT_TRUE(starts_with(message, "Удаление прервано: ")) << message;
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_TRUE(m.processes.started.empty());
        }
        std::cout << "[ sweep    ] uninstaller, file-system faults, " << layout.name << ": "
                  << exercised << " values of N exercised\n";
        ::testing::Test::RecordProperty(std::string("file_system_faults, ") + layout.name,
                                        exercised);
        // Per stage a look, a listing, the deletions and a removal; the batch
        // file's three; at the root only the three shortcuts and a removal.
        // Per stage a look, a listing, the deletions and a removal; before
        // them a listing and a check per file; the batch file's three; at
        // the root only the three shortcuts and a removal.
        EXPECT_GE(exercised, layout.programs_in_registry || layout.shell_knows ? 49 : 48);
    }
}

// The N-th registry operation fails: one of the Run value's removal (open,
// two queries, delete), of the Apps & features entry's (the same) or of the
// reading of "Common Programs" (open, two queries). A Run value or an entry
// that cannot be removed stops the run and is named;
// an unreadable "Common Programs" is asked of the shell, and when the shell
// cannot say either, only the shortcuts in "\Varnholde" on the current
// drive are looked for.
TEST(UninstallFaultSweep, EveryFailingRegistryOperationStopsOrLeavesNoRunValueBehind) {
    const Layout registry_layouts[] = {
        {"the shell knows the Start menu too", true, true, false},
        {"only the registry knows the Start menu", true, false, false},
    };
    for (const Layout& layout : registry_layouts) {
        int exercised = 0;
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(layout.name) + ", registry operation " + std::to_string(n) +
                         " fails");
            Machine m(layout);
            const int start = m.registry.operations_done();
            m.registry.fail_operation(n);
            const UninstallOutcome outcome = run_uninstall(m.system, m.view);
            const bool fault_met = m.registry.operations_done() - start >= n;
            m.registry.fail_operation(0);
            EXPECT_EQ(m.registry.open_handles(), 0);
            EXPECT_EQ(m.fs.content(root_menu + "\\letter.txt"), "user");

            const bool in_root_menu = m.shell.queries > 0 && m.shell.programs.empty();
            Machine untouched(layout);
            EXPECT_EQ(m.outside(in_root_menu), untouched.outside(in_root_menu));
            if (in_root_menu) {
                // Nothing names the folder the shortcuts are in: they stay,
                // and the run cannot know it.
                EXPECT_EQ(outcome, UninstallOutcome::completed);
                EXPECT_FALSE(m.run_value_there());
            } else {
                expect_completion_only_when_everything_is_removed(m, outcome);
            }
            // An entry that could not be read is never taken as gone.
            if (outcome == UninstallOutcome::completed) {
                EXPECT_FALSE(m.entry_there());
            }
            if (!fault_met) {
                EXPECT_EQ(outcome, UninstallOutcome::completed);
                break;
            }
            ++exercised;
            if (outcome == UninstallOutcome::stopped) {
                // At the Run value, or at the entry once the Run value is gone.
                const std::string& message = m.view.messages.back();
                const bool at_run_value =
                    message.find("параметр автозапуска Varnholde") != std::string::npos;
                EXPECT_TRUE(at_run_value ||
                            message.find("раздел HKEY_LOCAL_MACHINE\\" + entry_key) !=
                                std::string::npos)
                    << message;
                EXPECT_EQ(m.run_value_there(), at_run_value);
                EXPECT_TRUE(m.entry_there());
                EXPECT_TRUE(m.fs.exists(menu + "\\Varnholde.lnk"));
                EXPECT_TRUE(m.processes.started.empty());
            }
        }
        std::cout << "[ sweep    ] uninstaller, registry faults, " << layout.name << ": "
                  << exercised << " values of N exercised\n";
        ::testing::Test::RecordProperty(std::string("registry_faults, ") + layout.name,
                                        exercised);
        // The Run value's open, two queries and delete, the entry's the same,
        // and the reading of "Common Programs".
        EXPECT_EQ(exercised, 11);
    }
}

// A console that does not end when asked: the run stops before anything
// at all has changed, and says why.
TEST(UninstallFaultSweep, AConsoleThatDoesNotEndStopsTheRunBeforeAnythingChanges) {
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        Machine m(layout);
        m.console.running = true;
        m.console.hangs = true;
        const auto before = m.fs.snapshot();
        EXPECT_EQ(run_uninstall(m.system, m.view), UninstallOutcome::refused);
        EXPECT_EQ(m.fs.snapshot(), before);
        EXPECT_TRUE(m.run_value_there());
        EXPECT_TRUE(m.processes.started.empty());
        EXPECT_FALSE(m.completion_shown());
        EXPECT_TRUE(m.view.exit_button);
        EXPECT_NE(m.view.messages.back().find("консоль Varnholde не закрылась"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace vh
