// The settings file's skin field, which any user of the machine may write:
// only a picture of the console's own Skins folder, named as the console
// names it, reaches the window. Every other field counts as a missing
// picture, applies the rest of the file and is written back unchanged.
#include <gtest/gtest.h>

#include "shared/product.h"

#include "console/settings.h"
#include "platform/fake/fake_file_system.h"
#include "platform/text_codec.h"
#include "tests/unit/console/fake_console_view.h"

namespace vh {
namespace {

using Journal = std::vector<std::string>;

const std::string prefix = product::skin_path_prefix;  // 39 characters
constexpr std::size_t field_width = 45;

struct FieldCase {
    std::string field;  // the stored bytes (Windows-1251), padded with blanks to 45
    bool own;           // the console asks its window for the picture
};

std::vector<FieldCase> field_cases() {
    std::vector<FieldCase> cases;
    for (char digit = '1'; digit <= '6'; ++digit)
        cases.push_back({prefix + ' ' + digit + ".jpg", true});  // the installed skins
    // Digits the commands write but no skin installed; the window then
    // finds no picture, as for any missing file.
    for (const char* number : {" 0", " 7", " 9", "-3", "-9"})
        cases.push_back({prefix + number + ".jpg", true});
    const std::vector<std::string> foreign = {
        // never written: "-0", another sign, no digit
        prefix + "-0.jpg", prefix + "+1.jpg", prefix + "x1.jpg", prefix + " x.jpg",
        prefix + "  .jpg", prefix + std::string(1, '\0') + "1.jpg",
        // another folder, drive or extension of the same length
        "C:\\Tessarimondale\\Varnholde\\Skinz\\skin_ 1.jpg",
        "D:\\Tessarimondale\\Varnholde\\Skins\\skin_ 1.jpg",
        "C:\\Tessarimondale\\Varnholde\\Alliases\\sk 1.jpg", prefix + " 1.png",
        prefix + " 1.bmp", "C:\\Tessarimondale\\Varnholde\\\xD2\xE5\xEC\xFB\\\xF1\xEA\xE8\xED\xFB_ 4.jpg",
        // relative paths and parent folders
        "skin_ 1.jpg", "Skins\\skin_ 1.jpg", "..\\Varnholde\\Skins\\skin_ 1.jpg",
        "C:\\Tessarimondale\\Varnholde\\Skins\\..\\..\\1.jpg",
        "C:\\Tessarimondale\\Varnholde\\Skins\\.\\ski 1.jpg",
        "C:\\Tessarimondale\\Varnholde\\..\\..\\Users\\a.jpg",
        "\\Tessarimondale\\Varnholde\\Skins\\skin_ 1.jpg", "C:skin_ 1.jpg",
        // letter case and slashes the console never writes, though Windows
        // would open the same file: refused all the same
        "c:\\tessarimondale\\varnholde\\skins\\skin_ 1.jpg",
        "C:\\TESSARIMONDALE\\VARNHOLDE\\SKINS\\SKIN_ 1.JPG", prefix + " 1.JPG",
        "C:/Tessarimondale/Varnholde/Skins/skin_ 1.jpg",
        "\xD1:\\Tessarimondale\\Varnholde\\Skins\\skin_ 1.jpg",  // Cyrillic "С"
        // network and device paths
        "\\\\host\\share\\skin_ 1.jpg", "\\\\host\\share\\Tessarimondale\\Skins\\s 1.jpg",
        "\\\\?\\C:\\Tessarimondale\\Varnholde\\Skins\\s 1.jpg",
        "\\\\?\\UNC\\host\\share\\skin_ 1.jpg", "\\\\.\\C:\\Tessarimondale\\Skins\\skin_ 1.jpg",
        "\\\\127.0.0.1\\C$\\Tessarimondale\\Varnholde\\1.jpg",
        "//host/share/skin_ 1.jpg", "\\??\\C:\\Tessarimondale\\Varnholde\\Skins\\1.jpg",
        // blanks around a shorter path, and a field of blanks
        "C:\\Tessarimondale\\Varnholde\\Skins\\skin1.jpg",
        " C:\\Tessarimondale\\Varnholde\\Skins\\skin_1.jpg", "",
    };
    for (const std::string& field : foreign) cases.push_back({field, false});
    return cases;
}

TEST(SkinField, OnlyTheConsolesOwnSkinsReachTheWindowAndEveryFieldIsWrittenBack) {
    for (FieldCase c : field_cases()) {
        ASSERT_LE(c.field.size(), field_width) << c.field;
        c.field.resize(field_width, ' ');
        SCOPED_TRACE("field \"" + c.field + "\"");
        const std::string file = c.field + " 5    50\r\n";
        FakeFileSystem fs;
        fs.put_file(product::settings_file, file);
        testing::FakeConsoleView view;  // every picture asked for loads
        Settings settings = designed_settings();
        const SettingsOutcome outcome = load_settings(fs, view, settings);

        const std::string path = cp1251_to_utf8(c.field);
        Journal expected = {"color 0,255,0", "timer 50"};
        if (c.own) expected.insert(expected.begin(), "skin " + path);
        EXPECT_EQ(view.journal, expected);
        EXPECT_EQ(outcome, c.own ? SettingsOutcome::applied : SettingsOutcome::skin_missing);
        EXPECT_EQ(settings.skin_path, path);
        ASSERT_EQ(save_settings(fs, settings), FsError::ok);
        EXPECT_EQ(fs.content(product::settings_file), file);
    }
}

// The path the command writes for each number it takes is always one the
// next start loads again.
TEST(SkinField, EveryPathTheCommandWritesIsTheConsolesOwn) {
    for (std::int16_t number = -9; number <= 9; ++number) {
        SCOPED_TRACE(number);
        const std::string path = skin_path_of(number);
        EXPECT_EQ(path.size(), field_width);
        EXPECT_TRUE(is_own_skin_path(path));
    }
}

}  // namespace
}  // namespace vh
