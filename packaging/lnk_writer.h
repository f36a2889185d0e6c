// Writes Windows shortcut (.lnk) files in the documented Shell Link binary
// format, so that the package's shortcuts are made by the build itself, on
// any host. Only what a shortcut to a local file needs: the header, a
// LinkInfo with the volume and the local base path (which the shell resolves
// the target from), the working directory and the terminal block.
#pragma once

#include <cstdint>
#include <string>

namespace vh {

namespace link_flags {
constexpr std::uint32_t has_link_info = 0x02;
constexpr std::uint32_t has_working_dir = 0x10;
constexpr std::uint32_t is_unicode = 0x80;
}  // namespace link_flags

constexpr std::uint32_t drive_fixed = 3;  // DRIVE_FIXED
constexpr std::uint32_t show_normal = 1;  // SW_SHOWNORMAL

// The bytes of a shortcut to target (a full local path such as
// "C:\dir\prog.exe") started in working_dir. Both must be ASCII: the paths
// of this product are. Returns the empty string for any other text.
std::string shell_link_bytes(const std::string& target, const std::string& working_dir);

}  // namespace vh
