#include "platform/win32/wide.h"

#include <cwchar>

#include "platform/text_codec.h"

namespace vh {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16");

std::optional<std::wstring> to_wide_exact(std::string_view utf8) {
    const std::optional<std::u16string> utf16 = utf8_to_utf16(utf8);
    if (!utf16) return std::nullopt;
    return std::wstring(utf16->begin(), utf16->end());
}

std::wstring to_wide(std::string_view utf8) {
    if (std::optional<std::wstring> exact = to_wide_exact(utf8)) return *exact;
    // Convert what is UTF-8 and mark each byte that is not.
    std::wstring wide;
    std::size_t start = 0;
    while (start < utf8.size()) {
        std::size_t end = start + 1;
        std::optional<std::u16string> piece;
        for (std::size_t n = 1; n <= 4 && start + n <= utf8.size(); ++n)
            if ((piece = utf8_to_utf16(utf8.substr(start, n)))) {
                end = start + n;
                break;
            }
        if (piece)
            wide.append(piece->begin(), piece->end());
        else
            wide += L'\xFFFD';
        start = end;
    }
    return wide;
}

std::string to_utf8(std::wstring_view wide) {
    return utf16_to_utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::string to_utf8(const wchar_t* wide) {
    return wide ? to_utf8(std::wstring_view(wide, std::wcslen(wide))) : std::string();
}

}  // namespace vh
