#include "console/alias_name.h"

#include <string>

#include "platform/names.h"
#include "platform/text_codec.h"

namespace vh {

namespace {

constexpr std::size_t max_name_length = 255;  // one path component
constexpr std::size_t max_path_length = 259;  // MAX_PATH without its zero

bool has_forbidden_character(std::string_view name) {
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b == 127 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return true;
    }
    return false;
}

// Windows takes "CON", "con.txt" and "CON .log" all for the console device.
bool is_device_name(std::string_view name) {
    std::string base = fold_case(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (base == device) return true;
    const bool numbered = base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0;
    return numbered && base.size() == 4 && base[3] >= '1' && base[3] <= '9';
}

}  // namespace

bool is_usable_alias_name(std::string_view name, std::string_view directory) {
    if (name.empty() || !utf8_to_cp1251(name)) return false;
    const std::size_t length = utf16_length(name);
    if (length > max_name_length) return false;
    if (utf16_length(directory) + length > max_path_length) return false;
    if (has_forbidden_character(name)) return false;
    if (name.back() == '.' || name.back() == ' ') return false;  // also "." and ".."
    return !is_device_name(name);
}

}  // namespace vh
