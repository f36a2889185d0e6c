// The shortcut writer, read back field by field as a shell link reader does.
#include <gtest/gtest.h>

#include <cstring>

#include "packaging/lnk_writer.h"

namespace vh {
namespace {

std::uint32_t u32(const std::string& b, size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + i));
    return v;
}
std::uint32_t u16(const std::string& b, size_t at) {
    return static_cast<unsigned char>(b.at(at)) | static_cast<unsigned char>(b.at(at + 1)) << 8;
}
std::string c_string(const std::string& b, size_t at) { return std::string(b.c_str() + at); }

struct Case {
    const char* target;
    const char* working_dir;
};

TEST(ShellLink, HeaderLinkInfoAndWorkingDirectoryReadBackAsWritten) {
    const Case cases[] = {
        {"C:\\Tessarimondale\\Varnholde\\Varnholde.exe", "C:\\Tessarimondale\\Varnholde"},
        {"C:\\Tessarimondale\\Varnholde\\ReadMe.txt", "C:\\Tessarimondale\\Varnholde"},
        {"C:\\Tessarimondale\\Varnholde\\Uninstall.exe", "C:\\Tessarimondale\\Varnholde"},
        {"C:\\x", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string b = shell_link_bytes(c.target, c.working_dir);
        ASSERT_GE(b.size(), 76u);

        // ShellLinkHeader.
        EXPECT_EQ(u32(b, 0), 0x4Cu);
        const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0,
                                         0xC0, 0,    0,    0, 0, 0, 0, 0x46};
        EXPECT_EQ(std::memcmp(b.data() + 4, clsid, 16), 0);
        const std::uint32_t flags = u32(b, 20);
        EXPECT_EQ(flags, 0x02u | 0x10u | 0x80u);  // LinkInfo, WorkingDir, Unicode
        EXPECT_EQ(flags & 0x01u, 0u);             // no ID list follows the header
        EXPECT_EQ(flags & 0x100u, 0u);            // ForceNoLinkInfo not set
        EXPECT_EQ(u32(b, 60), 1u);                // ShowCommand SW_SHOWNORMAL
        EXPECT_EQ(u16(b, 64), 0u);                // no hot key
        for (size_t i = 66; i < 76; ++i) EXPECT_EQ(b[i], '\0') << "reserved byte " << i;

        // LinkInfo, right after the header.
        const size_t li = 76;
        const std::uint32_t li_size = u32(b, li);
        EXPECT_EQ(u32(b, li + 4), 0x1Cu);  // LinkInfoHeaderSize without Unicode offsets
        EXPECT_EQ(u32(b, li + 8), 0x01u);  // VolumeIDAndLocalBasePath
        const std::uint32_t volume = u32(b, li + 12);
        const std::uint32_t base_path = u32(b, li + 16);
        EXPECT_EQ(u32(b, li + 20), 0u);    // no network link
        const std::uint32_t suffix = u32(b, li + 24);
        EXPECT_EQ(u32(b, li + volume + 4), 3u);  // DRIVE_FIXED
        const std::uint32_t label_offset = u32(b, li + volume + 12);
        EXPECT_EQ(label_offset, 0x10u);
        EXPECT_LE(volume + u32(b, li + volume), base_path);
        EXPECT_EQ(c_string(b, li + base_path), c.target);
        EXPECT_EQ(c_string(b, li + suffix), "");
        EXPECT_EQ(li_size, suffix + 1);

        // StringData: the working directory, UTF-16LE with its count.
        const size_t sd = li + li_size;
        const std::string dir = c.working_dir;
        ASSERT_EQ(u16(b, sd), dir.size());
        for (size_t i = 0; i < dir.size(); ++i)
            EXPECT_EQ(u16(b, sd + 2 + 2 * i), static_cast<unsigned char>(dir[i]));

        // The terminal block ends the file.
        const size_t end = sd + 2 + 2 * dir.size();
        ASSERT_EQ(b.size(), end + 4);
        EXPECT_EQ(u32(b, end), 0u);
    }
}

TEST(ShellLink, NonAsciiOrEmptyPathsAreRefused) {
    EXPECT_EQ(shell_link_bytes("C:\\Папка\\a.exe", "C:\\"), "");
    EXPECT_EQ(shell_link_bytes("C:\\a.exe", "C:\\Папка"), "");
    EXPECT_EQ(shell_link_bytes("", "C:\\"), "");
}

}  // namespace
}  // namespace vh
