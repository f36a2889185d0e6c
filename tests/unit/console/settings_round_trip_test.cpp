// The settings commands and the settings file together: every state the
// commands can reach is written at unload and comes back whole at the next
// start, and every value they refuse leaves the file as it was.
#include <gtest/gtest.h>

#include "shared/product.h"

#include <optional>

#include "console/command_interpreter.h"
#include "console/settings.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"
#include "tests/unit/console/fake_console_view.h"

namespace vh {
namespace {

// One run of the installed console: the settings read at start, lines
// typed, the settings written at unload.
struct ConsoleRun {
    explicit ConsoleRun(FakeFileSystem& file_system) : fs(file_system) {
        fs.put_directory(product::program_alias_dir);
        fs.put_directory(product::folder_alias_dir);
        outcome = load_settings(fs, view, state.settings);
    }
    // Types the line and gives what the history shows for it.
    std::string type(const std::string& line) {
        view.input = line;
        interpreter.key_press(enter_key);
        return view.history[0];
    }
    std::optional<std::string> unload() {
        if (save_settings(fs, state.settings) != FsError::ok) return std::nullopt;
        return fs.content(product::settings_file);
    }

    FakeFileSystem& fs;
    testing::FakeConsoleView view;
    ConsoleState state;
    FakeProcessStarter starter;
    FakeKeyState keys;
    FakeSessionControl session;
    AliasStore aliases{fs, starter};
    CommandInterpreter interpreter{state, view, aliases, starter, keys, session};
    SettingsOutcome outcome;
};

void expect_same_settings(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.skin_path, b.skin_path);
    EXPECT_EQ(a.skin_number, b.skin_number);
    EXPECT_EQ(a.font_color, b.font_color);
    EXPECT_EQ(a.open_interval, b.open_interval);
}

TEST(SettingsRoundTrip, EveryStateTheCommandsReachComesBackAtTheNextStart) {
    // What con_openinterval is given, and the interval that results: the
    // limits, either side of each field width, and beyond the limits.
    const std::pair<const char*, std::int16_t> intervals[] = {
        {"-5", 1},      {"0", 1},        {"1", 1},         {"9", 9},
        {"10", 10},     {"99", 99},      {"100", 100},     {"999", 999},
        {"1000", 1000}, {"9999", 9999},  {"10000", 10000}, {"99999", 10000},
    };
    // Every skin (or none) with every colour; the intervals take turns, so
    // that each of them meets every skin, and no skin, several times. Run
    // in an empty program folder, and as an ordinary user in an installed
    // one, who may write the installer's first settings file but add
    // nothing beside it.
    const std::string first_settings = std::string(product::skin_path_prefix) + " 1.jpg 1   200\r\n";
    int runs = 0;
    for (const bool installed : {false, true})
    for (int skin = -10; skin <= 9; ++skin) {  // -10: no skin chosen in the run
        for (int color = -9; color <= 9; ++color) {
            const auto& [typed, interval] = intervals[(skin + color + 19) % 12];
            SCOPED_TRACE(std::string(installed ? "installed" : "empty folder") + ", skin " +
                         std::to_string(skin) + ", colour " + std::to_string(color) +
                         ", interval " + typed);
            FakeFileSystem fs;
            if (installed) {
                fs.put_file(product::settings_file, first_settings);
                fs.put_directory(product::program_alias_dir);
                fs.put_directory(product::folder_alias_dir);
                fs.set_closed_to_new_entries(product::install_dir, true);
            }
            const int kept_skin = skin >= -9 ? skin : installed ? 1 : 0;
            ConsoleRun first(fs);
            std::vector<std::string> lines = {"con_fontcolor " + std::to_string(color),
                                              std::string("con_openinterval ") + typed};
            if (skin >= -9) lines.push_back("con_skin " + std::to_string(skin));
            for (const std::string& line : lines) ASSERT_EQ(first.type(line), line);
            ASSERT_EQ(first.state.settings.open_interval, interval);
            const auto written = first.unload();
            ASSERT_TRUE(written.has_value());
            EXPECT_EQ(written->size(), skin >= -9 || installed ? settings_file_length : 10u);

            ConsoleRun second(fs);
            EXPECT_EQ(second.outcome, SettingsOutcome::applied);
            expect_same_settings(second.state.settings, first.state.settings);
            EXPECT_EQ(second.type("con_skin"), "con_skin" + number_text(kept_skin));
            EXPECT_EQ(second.type("con_fontcolor"), "con_fontcolor" + number_text(color));
            EXPECT_EQ(second.unload(), written);
            ++runs;
        }
    }
    EXPECT_EQ(runs, 2 * 20 * 19);
}

TEST(SettingsRoundTrip, ARefusedValueIsReportedAndLeavesTheFileAsItWas) {
    const std::string skins = product::skin_path_prefix;
    const std::string files[] = {
        skins + " 1.jpg 1   200\r\n",
        skins + "-3.jpg-7    50\r\n",
        " 5  1000\r\n",  // no skin
    };
    const char* refused[] = {
        "con_fontcolor 10", "con_fontcolor -10",  "con_fontcolor 99999",
        "con_fontcolor 1e9", "con_fontcolor 9.5", "con_skin 10",
        "con_skin -10",      "con_skin 32768",    "con_skin 12",
    };
    for (const std::string& file : files) {
        for (const char* line : refused) {
            SCOPED_TRACE(file + " / " + line);
            FakeFileSystem fs;
            fs.put_file(product::settings_file, file);
            ConsoleRun run(fs);
            ASSERT_EQ(run.outcome, SettingsOutcome::applied);
            const Settings before = run.state.settings;
            EXPECT_EQ(run.type(line), line + std::string(invalid_value_status));
            expect_same_settings(run.state.settings, before);
            EXPECT_EQ(run.unload(), file);
        }
    }
}

}  // namespace
}  // namespace vh
