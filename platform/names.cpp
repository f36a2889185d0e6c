#include "platform/names.h"

#include <algorithm>
#include <cstdint>

namespace vh {

namespace {

// The upper-case letter for a lower-case one of Latin-1, Latin Extended-A,
// Greek and Cyrillic; every other character is its own.
char32_t upper_case(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : c - 32;  // à..þ, but not ÷
    if (c == 0xFF) return 0x178;                   // ÿ
    if (c >= 0x100 && c <= 0x17F) {
        // Pairs, upper-case first; the run Ĺ..ň and Ź..ž pair the other way.
        const bool odd_upper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        return (c % 2 == 1) != odd_upper ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;  // α..ω
    if (c >= 0x430 && c <= 0x44F) return c - 32;                // а..я
    if (c >= 0x450 && c <= 0x45F) return c - 80;                // ѐ..џ
    if (c >= 0x460 && c <= 0x4FF && !(c >= 0x482 && c <= 0x489)) {
        if (c == 0x4CF) return 0x4C0;
        const bool odd_upper = c >= 0x4C1 && c <= 0x4CE;
        return (c % 2 == 1) != odd_upper ? c - 1 : c;
    }
    return c;
}

// The code point of the well-formed sequence at text[i], or 0 (and a length
// of 1) for a byte that does not start one.
char32_t decode(std::string_view text, std::size_t i, std::size_t& length) {
    const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    length = 1;
    if (b(i) < 0x80) return b(i);
    std::size_t n = b(i) >= 0xF0 ? 4 : b(i) >= 0xE0 ? 3 : b(i) >= 0xC0 ? 2 : 0;
    if (n == 0 || i + n > text.size()) return 0;
    char32_t c = b(i) & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b(i + k) & 0x3F);
    }
    length = n;
    return c;
}

void encode(std::string& out, char32_t c) {
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

char fold_case(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

std::string fold_case(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 0;
        const char32_t c = decode(text, i, length);
        const char32_t upper = length > 1 ? upper_case(c) : c;
        if (length == 1)
            out += fold_case(text[i]);  // ASCII, or a byte that is not UTF-8
        else if (upper == c)
            out.append(text.substr(i, length));
        else
            encode(out, upper);  // every upper-case letter here is below U+0800
        i += length;
    }
    return out;
}

bool names_equal_ignoring_case(std::string_view a, std::string_view b) {
    return fold_case(a) == fold_case(b);
}

bool name_less(std::string_view a, std::string_view b) {
    // Byte order of UTF-8 is the order of the characters.
    auto unsigned_less = [](std::string_view x, std::string_view y) {
        return std::lexicographical_compare(
            x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
                return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
            });
    };
    const std::string fa = fold_case(a), fb = fold_case(b);
    if (fa != fb) return unsigned_less(fa, fb);
    return unsigned_less(a, b);
}

}  // namespace vh
