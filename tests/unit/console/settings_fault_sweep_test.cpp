// A console's run (settings read at start, one setting changed, settings
// written at unload) once for every N, the N-th file operation failing,
// until a run meets no fault: the settings file is then always either the
// old one or the new one, whole, and nothing is added to the program folder.
#include <gtest/gtest.h>

#include "shared/product.h"

#include <iostream>
#include <optional>

#include "console/settings.h"
#include "tests/unit/console/fake_console_view.h"
#include "tests/unit/journalled_file_system.h"

namespace vh {
namespace {

const std::string skin1 = std::string(product::skin_path_prefix) + " 1.jpg";
const std::string old_file = skin1 + " 4    50\r\n";

struct SweepCase {
    const char* name;
    std::optional<std::string> before;  // the settings file at start; none: missing
    FsError error;                      // what the failing operation reports
};

class SettingsFaultSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(SettingsFaultSweep, TheFileIsEitherTheOldOneOrTheNewOneWhole) {
    const SweepCase& c = GetParam();
    int exercised = 0;
    for (int n = 1;; ++n) {
        SCOPED_TRACE("file operation " + std::to_string(n) + " fails");
        testing::JournalledFileSystem fs;
        fs.put_directory(product::install_dir);
        if (c.before) fs.put_file(product::settings_file, *c.before);
        // An ordinary user's rights where there is a file to write over.
        fs.set_closed_to_new_entries(product::install_dir, c.before.has_value());
        const int start = fs.operations_done();
        fs.fail_operation(n, c.error);

        testing::FakeConsoleView view;
        Settings settings = designed_settings();
        const bool writes = may_write_at_unload(load_settings(fs, view, settings));
        settings.font_color = 6;  // "con_fontcolor 6" during the run
        const std::string new_file = format_settings(settings);
        // As the unload does: a file that could not be read is left alone.
        const FsError saved = writes ? save_settings(fs, settings) : FsError::other;
        const bool fault_met = fs.operations_done() - start >= n;
        fs.fail_operation(0);

        std::vector<std::string> names;
        fs.list_files(product::install_dir, names);
        EXPECT_EQ(names.size(), fs.exists(product::settings_file) ? 1u : 0u);
        const auto after = fs.content(product::settings_file);
        if (saved == FsError::ok) {
            EXPECT_EQ(after, new_file);
        } else {
            EXPECT_EQ(after, c.before);
        }
        if (!fault_met) {
            EXPECT_EQ(saved, FsError::ok);
            break;
        }
        ++exercised;
    }
    std::cout << "[ sweep    ] settings file, " << c.name << ": " << exercised
              << " values of N exercised\n";
    ::testing::Test::RecordProperty("faults", exercised);
    EXPECT_GE(exercised, 2);  // the read, the write
}

INSTANTIATE_TEST_SUITE_P(
    Runs, SettingsFaultSweep,
    ::testing::Values(SweepCase{"well-formed file, access denied", old_file, FsError::access_denied},
                      SweepCase{"well-formed file, file in use", old_file,
                                FsError::sharing_violation},
                      SweepCase{"short file", std::string(" 1   200\r\n"), FsError::access_denied},
                      SweepCase{"no file", std::nullopt, FsError::access_denied}),
    [](const ::testing::TestParamInfo<SweepCase>& info) {
        return "case" + std::to_string(info.index);
    });

}  // namespace
}  // namespace vh
