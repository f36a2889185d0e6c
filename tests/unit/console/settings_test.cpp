// The settings file: what start-up reads and applies, and what unload writes.
#include <gtest/gtest.h>

#include "shared/product.h"

#include <optional>
#include <set>

#include "console/settings.h"
#include "platform/fake/fake_file_system.h"

namespace vh {
namespace {

// Records what the settings reader applies to the window.
class ApplyingView : public ConsoleView {
public:
    std::string input_text() override { return {}; }
    void set_input_text(const std::string&) override {}
    std::string history_line(int) override { return {}; }
    void set_history_line(int, const std::string&) override {}
    bool visible() override { return true; }
    void set_visible(bool) override {}
    bool in_front() override { return true; }
    void bring_to_front() override {}
    void show_about() override {}
    void set_text_color(const TextColor& c) override { color = c; }
    LoadResult load_skin(const std::string& path) override {
        skin_requested = path;
        if (!pictures.count(path)) return LoadResult::file_not_found;
        skin = path;
        return LoadResult::ok;
    }
    void set_timer_interval(int ms) override { interval = ms; }
    void unload_and_exit() override {}

    std::set<std::string> pictures;  // the picture files that exist
    std::string skin, skin_requested;
    TextColor color{true};
    int interval = 200;
};

const std::string skin1 = "C:\\Tessarimondale\\Varnholde\\Skins\\skin_ 1.jpg";
const std::string example = skin1 + " 1   200\r\n";

struct SettingsTest : ::testing::Test {
    FakeFileSystem fs;
    ApplyingView view;
    Settings settings = designed_settings();

    SettingsOutcome load(const std::string& content) {
        fs.put_file(product::settings_file, content);
        return load_settings(fs, view, settings);
    }
};

// The example file, and a path edited by hand to a Russian folder: the file
// is Windows-1251, a byte a character, so that path keeps the 55-byte
// length and is read as the letters it holds. Its picture is not the
// console's own and is not shown, but both are written back with the very
// same bytes.
TEST_F(SettingsTest, AValidFileIsAppliedAndWrittenBackByteForByte) {
    struct Case {
        std::string stored, skin;
        int skin_number, font_color, interval;
        SettingsOutcome outcome;
        bool shown;
    };
    const std::string russian_skin = "C:\\Tessarimondale\\Varnholde\\Темы\\скины_ 4.jpg";
    const Case cases[] = {
        {example, skin1, 1, 1, 200, SettingsOutcome::applied, true},
        {"C:\\Tessarimondale\\Varnholde\\\xD2\xE5\xEC\xFB\\\xF1\xEA\xE8\xED\xFB_ 4.jpg 5    50\r\n",
         russian_skin, 4, 5, 50, SettingsOutcome::skin_missing, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.skin);
        ASSERT_EQ(c.stored.size(), 55u);
        view = ApplyingView{};
        settings = designed_settings();
        view.pictures.insert(c.skin);
        EXPECT_EQ(load(c.stored), c.outcome);
        EXPECT_EQ(settings.skin_path, c.skin);
        EXPECT_EQ(view.skin, c.shown ? c.skin : "");
        EXPECT_EQ(settings.skin_number, c.skin_number);
        EXPECT_EQ(settings.font_color, c.font_color);
        EXPECT_EQ(settings.open_interval, c.interval);
        EXPECT_EQ(view.interval, c.interval);
        ASSERT_EQ(save_settings(fs, settings), FsError::ok);
        EXPECT_EQ(fs.content(product::settings_file), c.stored);
    }
}

TEST_F(SettingsTest, EveryOtherLengthIsRejectedAndTheDesignedLookStays) {
    for (std::size_t length = 0; length <= 60; ++length) {
        if (length == 55) continue;
        SCOPED_TRACE(length);
        std::string text = (example + example).substr(0, length);
        view = ApplyingView{};
        view.pictures.insert(skin1);
        settings = designed_settings();
        EXPECT_EQ(load(text), SettingsOutcome::wrong_length);
        EXPECT_EQ(settings.settings_text, text);
        EXPECT_EQ(settings.skin_path, "");
        EXPECT_EQ(settings.font_color, 1);
        EXPECT_EQ(settings.open_interval, 200);
        EXPECT_EQ(view.skin_requested, "");
        EXPECT_EQ(view.interval, 200);
    }
}

TEST_F(SettingsTest, ColourDigitsOutsideTheTableColourLikeCodeOneButAreKept) {
    struct Case { char digit; std::int16_t code; bool system; std::uint8_t r, g, b; };
    const Case cases[] = {
        {'0', 0, true, 255, 255, 255}, {'1', 1, true, 255, 255, 255},
        {'2', 2, false, 255, 255, 0},  {'4', 4, false, 255, 0, 0},
        {'6', 6, false, 0, 0, 255},    {'7', 7, true, 255, 255, 255},
        {'8', 8, true, 255, 255, 255}, {'9', 9, true, 255, 255, 255},
        {'x', 0, true, 255, 255, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.digit);
        std::string text = example;
        text[46] = c.digit;
        view.pictures.insert(skin1);
        EXPECT_EQ(load(text), SettingsOutcome::applied);
        EXPECT_EQ(settings.font_color, c.code);
        EXPECT_EQ(view.color.system_window, c.system);
        if (!c.system) {
            EXPECT_EQ(view.color, (TextColor{false, c.r, c.g, c.b}));
        }
    }
}

TEST_F(SettingsTest, ANegativeColourOrSkinIsWrittenWithItsSignAndReadBackWithIt) {
    settings.skin_path = product::skin_path_prefix + std::string("-3.jpg");
    settings.skin_number = -3;
    settings.font_color = -4;
    const std::string written = format_settings(settings);
    EXPECT_EQ(written, settings.skin_path + "-4   200\r\n");
    settings = designed_settings();
    EXPECT_EQ(load(written), SettingsOutcome::skin_missing);
    EXPECT_EQ(settings.font_color, -4);
    EXPECT_EQ(settings.skin_number, -3);
    EXPECT_TRUE(view.color.system_window);  // -4 is no code of the table
}

TEST_F(SettingsTest, IntervalsAreRightAlignedInSixCharactersAndReadBack) {
    struct Case { std::int16_t interval; const char* field; };
    const Case cases[] = {{0, "     0"}, {5, "     5"}, {200, "   200"}, {10000, " 10000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        settings.skin_path = skin1;
        settings.font_color = 1;
        settings.open_interval = c.interval;
        const std::string written = format_settings(settings);
        EXPECT_EQ(written, skin1 + " 1" + c.field + "\r\n");
        view.pictures.insert(skin1);
        settings = designed_settings();
        EXPECT_EQ(load(written), SettingsOutcome::applied);
        EXPECT_EQ(settings.open_interval, c.interval);
        EXPECT_EQ(view.interval, c.interval);  // 0 stops the timer
    }
}

TEST_F(SettingsTest, ANonNumericIntervalKeepsTheDesignedIntervalButAppliesTheRest) {
    for (const char* field : {"  abc", " 2 00", "99999", "     ", "  1.5"}) {
        SCOPED_TRACE(field);
        std::string text = example;
        text.replace(48, 5, field);
        settings = designed_settings();
        view = ApplyingView{};
        view.pictures.insert(skin1);
        EXPECT_EQ(load(text), SettingsOutcome::bad_interval);
        EXPECT_EQ(settings.skin_path, skin1);
        EXPECT_EQ(settings.font_color, 1);
        EXPECT_EQ(settings.open_interval, 200);
        EXPECT_EQ(view.interval, 200);
    }
}

TEST_F(SettingsTest, WithoutAFileTheDesignedSettingsAreWrittenAndReadBack) {
    // No installation directory, then a directory without the file.
    EXPECT_EQ(load_settings(fs, view, settings), SettingsOutcome::unreadable);
    fs.put_directory("C:\\Tessarimondale\\Varnholde");
    EXPECT_EQ(load_settings(fs, view, settings), SettingsOutcome::no_file);
    settings.font_color = 5;
    settings.open_interval = 50;
    ASSERT_EQ(save_settings(fs, settings), FsError::ok);
    EXPECT_EQ(fs.content(product::settings_file), " 5    50\r\n");
    // The short file says: no skin, colour 5, 50 ms. It is taken as such.
    settings = designed_settings();
    view = ApplyingView{};
    EXPECT_EQ(load_settings(fs, view, settings), SettingsOutcome::applied);
    EXPECT_EQ(settings.skin_path, "");
    EXPECT_EQ(settings.font_color, 5);
    EXPECT_EQ(settings.open_interval, 50);
    EXPECT_EQ(view.skin_requested, "");
    EXPECT_EQ(view.color, (TextColor{false, 0, 255, 0}));
    EXPECT_EQ(view.interval, 50);
}

// Ten characters that are not what the writer gives for an empty skin path
// are rejected like any other wrong length.
TEST_F(SettingsTest, OnlyTheWritersShortFileIsTakenAtTenCharacters) {
    for (const char* text : {" 1   200\n\n", "x1   200\r\n", " x   200\r\n", " 1   2x0\r\n",
                             " 1 99999\r\n", "C:\\Tessari"}) {
        SCOPED_TRACE(text);
        settings = designed_settings();
        view = ApplyingView{};
        EXPECT_EQ(load(text), SettingsOutcome::wrong_length);
        EXPECT_EQ(view.interval, 200);
        EXPECT_EQ(settings.font_color, 1);
    }
}

TEST_F(SettingsTest, AMissingSkinStillAppliesAndKeepsTheFilesColourAndInterval) {
    std::string text = example;
    text[46] = '5';
    text.replace(48, 5, "   50");
    EXPECT_EQ(load(text), SettingsOutcome::skin_missing);
    EXPECT_EQ(settings.skin_path, skin1);
    EXPECT_EQ(settings.skin_number, 1);
    EXPECT_EQ(settings.font_color, 5);
    EXPECT_EQ(settings.open_interval, 50);
    EXPECT_EQ(view.color, (TextColor{false, 0, 255, 0}));
    EXPECT_EQ(view.interval, 50);
    EXPECT_EQ(format_settings(settings), text);
}

TEST_F(SettingsTest, ASkinDigitThatIsNoDigitGivesSkinZero) {
    std::string text = example;
    text[40] = 'x';
    load(text);
    EXPECT_EQ(settings.skin_number, 0);
}

// A file an earlier version wrote for skin 12: one character too long.
TEST_F(SettingsTest, ATwoDigitSkinFromAnEarlierVersionIsRejectedAtStart) {
    settings.skin_number = 12;
    settings.skin_path = product::skin_path_prefix + number_text(12) + ".jpg";
    fs.put_directory("C:\\Tessarimondale\\Varnholde");
    ASSERT_EQ(save_settings(fs, settings), FsError::ok);
    EXPECT_EQ(fs.content(product::settings_file)->size(), 56u);
    settings = designed_settings();
    EXPECT_EQ(load_settings(fs, view, settings), SettingsOutcome::wrong_length);
}

// Every user's console may write the settings file but add nothing to the
// program folder: the file is written over in place. A write that fails or
// is refused leaves the old file whole, and nothing is ever added beside it.
TEST_F(SettingsTest, TheFileIsWrittenInPlaceAndAFailedWriteLeavesItWhole) {
    Settings changed = designed_settings();
    changed.skin_path = skin1;
    changed.font_color = 3;
    const std::string written = skin1 + " 3   200\r\n";
    struct Case {
        const char* name;
        std::optional<std::string> before;  // the file; none: missing
        void (*arrange)(FakeFileSystem&);
        FsError result;
    };
    const Case cases[] = {
        {"the same length", example, [](FakeFileSystem&) {}, FsError::ok},
        {"the short file of no skin", std::string(" 5    50\r\n"), [](FakeFileSystem&) {},
         FsError::ok},
        {"the write fails", example, [](FakeFileSystem& f) { f.fail_operation(1); },
         FsError::access_denied},
        {"held by another program", example,
         [](FakeFileSystem& f) { f.set_in_use(product::settings_file, true); },
         FsError::sharing_violation},
        {"missing, and the folder is the administrators'", std::nullopt, [](FakeFileSystem&) {},
         FsError::access_denied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFileSystem file_system;
        file_system.put_directory(product::install_dir);
        if (c.before) file_system.put_file(product::settings_file, *c.before);
        // The rights of an ordinary user: no new file in the program folder.
        file_system.set_closed_to_new_entries(product::install_dir, true);
        std::vector<std::string> names_before, names_after;
        file_system.list_files(product::install_dir, names_before);
        c.arrange(file_system);
        EXPECT_EQ(save_settings(file_system, changed), c.result);
        file_system.set_in_use(product::settings_file, false);
        EXPECT_EQ(file_system.content(product::settings_file),
                  c.result == FsError::ok ? std::optional(written) : c.before);
        file_system.list_files(product::install_dir, names_after);
        EXPECT_EQ(names_after, names_before);
    }
    // An administrator's console creates a missing file; without the
    // installation directory nothing is written anywhere.
    fs.put_directory(product::install_dir);
    EXPECT_EQ(save_settings(fs, changed), FsError::ok);
    EXPECT_EQ(fs.content(product::settings_file), written);
    FakeFileSystem empty;
    const auto before = empty.snapshot();
    EXPECT_EQ(save_settings(empty, changed), FsError::path_not_found);
    EXPECT_EQ(empty.snapshot(), before);
}

TEST_F(SettingsTest, AFileThatCouldNotBeReadIsNotReplacedAtUnload) {
    fs.put_directory(product::settings_file);  // a directory where the file should be
    EXPECT_EQ(load_settings(fs, view, settings), SettingsOutcome::unreadable);
    EXPECT_EQ(settings.open_interval, 200);
    // Held open by another program at start: the stored settings survive.
    FakeFileSystem locked;
    locked.put_file(product::settings_file, example);
    locked.fail_operation(1, FsError::sharing_violation);
    EXPECT_EQ(load_settings(locked, view, settings), SettingsOutcome::unreadable);
    EXPECT_FALSE(may_write_at_unload(SettingsOutcome::unreadable));
    for (SettingsOutcome written :
         {SettingsOutcome::applied, SettingsOutcome::no_file, SettingsOutcome::wrong_length,
          SettingsOutcome::skin_missing, SettingsOutcome::skin_unusable,
          SettingsOutcome::bad_interval})
        EXPECT_TRUE(may_write_at_unload(written));
}

}  // namespace
}  // namespace vh
