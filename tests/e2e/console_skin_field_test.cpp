// The settings file's skin field, which any user of the machine may write,
// naming pictures elsewhere: the console shows only the skins of its own
// Skins folder, reads no other picture (its last-access time stays), and
// writes the field back unchanged.
#include <cstdlib>
#include <thread>

#include "tests/e2e/console_fixture.h"

namespace vh::e2e {
namespace {

// 2000-01-01: any read of the file moves its last access past this.
constexpr ULONGLONG long_ago = 125911584000000000ULL;

bool set_last_access_long_ago(const std::string& path) {
    HANDLE file = CreateFileW(to_utf16(path).c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const FILETIME when{static_cast<DWORD>(long_ago), static_cast<DWORD>(long_ago >> 32)};
    const BOOL set = SetFileTime(file, nullptr, &when, nullptr);
    CloseHandle(file);
    return set != FALSE;
}

bool read_since_long_ago(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(to_utf16(path).c_str(), GetFileExInfoStandard, &data)) return true;
    const ULONGLONG accessed = (ULONGLONG{data.ftLastAccessTime.dwHighDateTime} << 32) |
                               data.ftLastAccessTime.dwLowDateTime;
    return accessed > long_ago;
}

// Wine keeps the share \\host\share in its prefix as dosdevices\unc\host\share:
// the picture planted there is what Windows would fetch from the network.
std::optional<std::string> wine_unc_folder(const std::string& host_and_share) {
    const char* prefix = std::getenv("WINEPREFIX");
    if (!prefix || *prefix != '/') return std::nullopt;
    std::string folder = std::string("Z:") + prefix + "/dosdevices/unc/" + host_and_share;
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder;
}

// The band above the input line: pure black without a skin; with one,
// nearly every pixel has colour.
int coloured_pixels() {
    HDC screen = GetDC(nullptr);
    int count = 0;
    for (int y = 2; y < 130; y += 2)
        for (int x = 300; x < 700; x += 2) {
            const COLORREF c = GetPixel(screen, x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) > 12) ++count;
        }
    ReleaseDC(nullptr, screen);
    return count;
}

std::string field_of(std::string path) {
    path.resize(45, ' ');
    return path;
}

struct FieldCase {
    const char* name;
    std::string field;    // the skin field, 45 characters
    std::string picture;  // where the picture lies, for the driver
    bool shown;
};

TEST_F(ConsoleTest, OnlyTheSkinsOfItsOwnFolderAreShownAndEveryFieldIsWrittenBack) {
    const std::string other = install_dir + "\\Other\\skin_ 1.jpg";
    const std::string elsewhere = "C:\\vh_pictures\\skin.jpg";
    make_dirs(install_dir + "\\Other");
    make_dirs("C:\\vh_pictures");
    ASSERT_TRUE(copy_file(skin1_path, other));
    ASSERT_TRUE(copy_file(skin1_path, elsewhere));
    std::vector<FieldCase> cases = {
        {"the Skins folder", skin1_path, skin1_path, true},
        {"the same name in another folder", other, other, false},
        // Windows drops the trailing blanks when it opens such a path.
        {"a picture elsewhere, blanks after it", field_of(elsewhere), elsewhere, false},
    };
    const std::string unc = "\\\\vhhost\\share\\skin_ 1.jpg";
    if (const auto share = wine_unc_folder("vhhost/share")) {
        make_dirs(*share);
        ASSERT_TRUE(copy_file(skin1_path, *share + "\\skin_ 1.jpg"));
        ASSERT_TRUE(file_exists(unc)) << "Wine gives no share at " << *share;
        cases.push_back({"a network path", field_of(unc), unc, false});
    }
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.field.size(), 45u);
        const std::string file = c.field + " 4   200\r\n";
        ASSERT_TRUE(write_file(settings_file, file));
        ASSERT_TRUE(set_last_access_long_ago(c.picture));
        start_console();
        std::this_thread::sleep_for(300ms);
        if (c.shown) {
            EXPECT_GT(coloured_pixels(), 200 * 64 / 2) << "no skin behind the history lines";
        } else {
            EXPECT_EQ(coloured_pixels(), 0) << "a picture behind the history lines";
        }
        // The picture's own file was read only when it was shown.
        EXPECT_EQ(read_since_long_ago(c.picture), c.shown);
        // The colour of the file is applied all the same: red text.
        enter("WWWW");
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(find_pixels(screen_rect(history_labels()[0]), [](COLORREF c) {
                        return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
                    }).has_value())
            << "the history text is not red";
        shot(std::string("skin_field_") + (c.shown ? "shown_" : "refused_") +
             std::to_string(&c - cases.data()));
        PostMessageW(band, WM_CLOSE, 0, 0);
        ASSERT_TRUE(console.wait_exit(10s));
        EXPECT_EQ(read_file(settings_file), file);
    }
    remove_tree("C:\\vh_pictures");
    if (const auto share = wine_unc_folder("vhhost")) remove_tree(*share);
}

}  // namespace
}  // namespace vh::e2e
