// The uninstall run once for every N, the N-th file-system (or registry)
// operation failing, until a run completes without meeting its fault. Each
// run must show the completion text only when everything is removed, name
// the file or folder it stopped at, and never delete anything outside the
// installation tree and the Start-menu folder.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <string>

#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "shared/registry_strings.h"
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

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// An installed product with aliases, beside a user's files: one next to the
// tree, other Start-menu entries, and a folder "\Varnholde" at the root of
// the current drive, where shortcuts go when "Common Programs" is missing.
struct Machine {
    testing::JournalledFileSystem fs;
    FakeRegistry registry;
    FakeProcessStarter processes;
    MessageView view;
    UninstallSystem system{fs, registry, processes, tree, "Uninstall.exe",
                           "C:\\Windows\\system32\\cmd.exe"};

    Machine() {
        for (const char* name :
             {"Varnholde.exe", "Uninstall.exe", "us_param.par", "ReadMe.txt", "KSR_Icon.ico"})
            fs.put_file(tree + "\\" + name, name);
        for (int i = 1; i <= 6; ++i)
            fs.put_file(tree + "\\Skins\\skin_ " + std::to_string(i) + ".jpg", "jpeg");
        fs.put_file(tree + "\\Alliases\\Exe_files\\np", "notepad.exe\r\n");
        fs.put_file(tree + "\\Alliases\\Dirs\\docs", "C:\\Docs\r\n");
        for (const char* name : {"Varnholde.lnk", "ReadMe.lnk", "Удаление Varnholde.lnk"})
            fs.put_file(menu + "\\" + name, "lnk");
        fs.set_in_use(tree + "\\Uninstall.exe", true);
        fs.put_file(programs + "\\Other.lnk", "lnk");
        fs.put_file("C:\\Tessarimondale\\notes.txt", "user");
        fs.put_file("C:\\Varnholde\\letter.txt", "user");
        fs.put_file("C:\\Docs\\doc.txt", "user");
        registry.put_value(hkey_local_machine, shell_folders, "Common Programs", reg_sz,
                           programs + '\0');
    }

    // What no run may change: everything but the tree and the Start-menu folder.
    std::map<std::string, std::string> outside() const {
        std::map<std::string, std::string> out;
        for (const auto& entry : fs.snapshot())
            if (!starts_with(entry.first, tree + "\\") && !starts_with(entry.first, menu + "\\"))
                out.insert(entry);
        return out;
    }

    // The installation directory holds only the running uninstaller and the
    // batch file, the Start-menu folder is gone, and the batch was started.
    bool everything_removed() const {
        std::map<std::string, std::string> left;
        for (const auto& entry : fs.snapshot())
            if ((starts_with(entry.first, tree + "\\") && entry.first != tree + "\\") ||
                starts_with(entry.first, menu + "\\"))
                left.insert(entry);
        return left.size() == 2 && left.count(tree + "\\Uninstall.exe") &&
               left.count(tree + "\\Del_Unin.bat") && processes.started.size() == 1;
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

TEST(UninstallFaultSweep, EveryFailingFileOperationStopsNamingItsFileAndTouchesNothingOutside) {
    int exercised = 0;
    for (int n = 1;; ++n) {
        SCOPED_TRACE("file-system operation " + std::to_string(n) + " fails");
        Machine m;
        const auto outside_before = m.outside();
        const int start = m.fs.operations_done();
        m.fs.start_journal();
        m.fs.fail_operation(n);
        const UninstallOutcome outcome = run_uninstall(m.system, m.view);
        const int done = m.fs.operations_done() - start;
        m.fs.fail_operation(0);
        ASSERT_EQ(m.fs.journalled(), done);

        expect_completion_only_when_everything_is_removed(m, outcome);
        EXPECT_EQ(m.outside(), outside_before);
        if (done < n) {
            EXPECT_EQ(outcome, UninstallOutcome::completed);
            break;
        }
        ++exercised;
        if (outcome == UninstallOutcome::completed) continue;  // a failed look that changed nothing
        // The stop names the file or folder of the failing operation.
        const std::string& path = m.fs.paths_of(n).front();
        const std::string& message = m.view.messages.back();
        EXPECT_TRUE(starts_with(message, "Удаление прервано: ")) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_TRUE(m.processes.started.empty());
    }
    std::cout << "[ sweep    ] uninstaller, file-system faults: " << exercised
              << " values of N exercised\n";
    ::testing::Test::RecordProperty("file_system_faults", exercised);
    EXPECT_GE(exercised, 30);
}

// A failed read of "Common Programs" gives the empty text, so the Start-menu
// folder is "\Varnholde" on the current drive, where the installer puts the
// shortcuts in that case: that folder is removed, nothing else outside.
TEST(UninstallFaultSweep, AFailingRegistryReadRemovesVarnholdeOnTheCurrentDriveOnly) {
    int exercised = 0;
    for (int n = 1;; ++n) {
        SCOPED_TRACE("registry operation " + std::to_string(n) + " fails");
        Machine m;
        auto outside_expected = m.outside();
        const int start = m.registry.operations_done();
        m.registry.fail_operation(n);
        const UninstallOutcome outcome = run_uninstall(m.system, m.view);
        const bool fault_met = m.registry.operations_done() - start >= n;
        m.registry.fail_operation(0);

        EXPECT_EQ(outcome, UninstallOutcome::completed);
        EXPECT_EQ(m.registry.open_handles(), 0);
        if (!fault_met) {
            expect_completion_only_when_everything_is_removed(m, outcome);
            EXPECT_EQ(m.outside(), outside_expected);
            break;
        }
        ++exercised;
        EXPECT_TRUE(m.completion_shown());
        EXPECT_FALSE(m.fs.exists("C:\\Varnholde"));
        EXPECT_TRUE(m.fs.exists(menu + "\\Varnholde.lnk"));  // not named by the registry
        for (auto it = outside_expected.begin(); it != outside_expected.end();)
            it = starts_with(it->first, "C:\\Varnholde\\") ? outside_expected.erase(it) : ++it;
        EXPECT_EQ(m.outside(), outside_expected);
    }
    std::cout << "[ sweep    ] uninstaller, registry faults: " << exercised
              << " values of N exercised\n";
    ::testing::Test::RecordProperty("registry_faults", exercised);
    EXPECT_EQ(exercised, 3);  // open, then the two queries of getstring
}

}  // namespace
}  // namespace vh
