#include "platform/text_codec.h"

#include <array>
#include <cstdint>

namespace vh {

namespace {

// The upper halves of the two code pages, byte 0x80 and up. The Russian
// letters А..я run in order: in Windows-1251 from 0xC0 to 0xFF; in 866 А..п
// from 0x80 to 0xAF and р..я from 0xE0 to 0xEF. The tables hold the rest.
constexpr std::array<char16_t, 64> cp1251_80_to_bf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Box drawing, 0xB0 to 0xDF; then the signs from 0xF0.
constexpr std::array<char16_t, 48> cp866_b0_to_df = {
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
};
constexpr std::array<char16_t, 16> cp866_f0_to_ff = {
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

using UpperHalf = std::array<char16_t, 128>;

constexpr UpperHalf cp1251_upper = [] {
    UpperHalf table{};
    for (std::size_t i = 0; i < 64; ++i) table[i] = cp1251_80_to_bf[i];
    for (std::size_t i = 0; i < 64; ++i) table[0x40 + i] = static_cast<char16_t>(0x0410 + i);
    return table;
}();

constexpr UpperHalf cp866_upper = [] {
    UpperHalf table{};
    for (std::size_t i = 0; i < 48; ++i) table[i] = static_cast<char16_t>(0x0410 + i);
    for (std::size_t i = 0; i < 48; ++i) table[0x30 + i] = cp866_b0_to_df[i];
    for (std::size_t i = 0; i < 16; ++i) table[0x60 + i] = static_cast<char16_t>(0x0440 + i);
    for (std::size_t i = 0; i < 16; ++i) table[0x70 + i] = cp866_f0_to_ff[i];
    return table;
}();

constexpr char32_t invalid = 0xFFFFFFFF;

// Decodes the sequence at text[i] and moves i past it; invalid when the
// bytes are not UTF-8 (i then moves by one byte).
char32_t next_code_point(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    if (lead < 0x80) return text[i++];
    std::size_t length = 0;
    char32_t c = 0, minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, c = lead & 0x1F, minimum = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, c = lead & 0x0F, minimum = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, c = lead & 0x07, minimum = 0x10000;
    if (length == 0 || i + length > text.size()) {
        ++i;
        return invalid;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return invalid;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF) {
        ++i;
        return invalid;
    }
    i += length;
    return c;
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::optional<std::string> encode_single_byte(std::string_view utf8,
                                              const UpperHalf& upper) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = next_code_point(utf8, i);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        std::size_t k = 0;
        while (k < upper.size() && upper[k] != c) ++k;
        if (k == upper.size()) return std::nullopt;  // also every invalid sequence
        out += static_cast<char>(0x80 + k);
    }
    return out;
}

std::string decode_single_byte(std::string_view bytes, const UpperHalf& upper) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes) {
        const auto value = static_cast<std::uint8_t>(b);
        append_utf8(out, value < 0x80 ? value : upper[value - 0x80]);
    }
    return out;
}

}  // namespace

std::optional<std::u16string> utf8_to_utf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    bool after_lone_high = false;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = next_code_point(utf8, i);
        if (c == invalid) return std::nullopt;
        // Two halves written apart would pair up in UTF-16: that character
        // has one form only, its four bytes.
        if (after_lone_high && c >= 0xDC00 && c <= 0xDFFF) return std::nullopt;
        after_lone_high = c >= 0xD800 && c <= 0xDBFF;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);  // a lone surrogate stays one too
        }
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() &&
                          utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF;
        if (pair) c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        append_utf8(out, c);
    }
    return out;
}

std::size_t utf16_length(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = next_code_point(utf8, i);
        units += c != invalid && c >= 0x10000 ? 2 : 1;
    }
    return units;
}

std::optional<std::string> utf8_to_cp1251(std::string_view utf8) {
    return encode_single_byte(utf8, cp1251_upper);
}

std::string cp1251_to_utf8(std::string_view cp1251) {
    return decode_single_byte(cp1251, cp1251_upper);
}

std::optional<std::string> utf8_to_cp866(std::string_view utf8) {
    return encode_single_byte(utf8, cp866_upper);
}

std::string cp866_to_utf8(std::string_view cp866) {
    return decode_single_byte(cp866, cp866_upper);
}

}  // namespace vh
