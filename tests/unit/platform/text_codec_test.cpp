// The conversions between the programs' UTF-8, Windows' UTF-16 and the code
// pages of the stored files.
#include <gtest/gtest.h>

#include <string>

#include "platform/text_codec.h"

namespace vh {
namespace {

TEST(TextCodecTest, Utf16RoundTripsEveryKindOfCharacter) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"C:\\Tessarimondale\\Varnholde", u"C:\\Tessarimondale\\Varnholde"},
        {"Удаление Varnholde", u"Удаление Varnholde"},
        {"Zoë ΑΒΓ 文件", u"Zoë ΑΒΓ 文件"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},  // outside the BMP: a surrogate pair
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        // A lone surrogate, as a file name on Windows may hold one, keeps
        // its three bytes so that it converts back to the same name.
        {"x\xED\xA0\x80y", std::u16string{u'x', char16_t(0xD800), u'y'}},
        {"\xED\xBF\xBF", std::u16string{char16_t(0xDFFF)}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8_to_utf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(utf16_to_utf8(c.utf16), c.utf8) << c.utf8;
        EXPECT_EQ(utf16_length(c.utf8), c.utf16.size()) << c.utf8;
    }
    // A high surrogate followed by a low one is one character, not two.
    EXPECT_EQ(utf16_to_utf8(std::u16string{char16_t(0xD83D), char16_t(0xDE00)}),
              "\xF0\x9F\x98\x80");
}

TEST(TextCodecTest, BytesThatAreNotUtf8NameNothingAndNeverCrash) {
    for (const std::string bad : {"\xFF", "\xC0\x80", "\xE0\x80\x80", "\x80", "abc\xD0",
                                  "\xE4\xB8", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80",
                                  "\xD0\x41", "ok\xC3",
                                  "\xED\xA0\xBD\xED\xB8\x80"}) {  // a pair written apart
        EXPECT_FALSE(utf8_to_utf16(bad).has_value()) << bad;
        EXPECT_FALSE(utf8_to_cp1251(bad).has_value()) << bad;
        EXPECT_FALSE(utf8_to_cp866(bad).has_value()) << bad;
        EXPECT_GE(utf16_length(bad), 1u);
    }
}

// Every byte of the stored files' code pages is a character that converts
// back to the same byte, so any existing file reads and writes unchanged.
TEST(TextCodecTest, EverySingleByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string from_1251 = cp1251_to_utf8(all);
    ASSERT_TRUE(utf8_to_utf16(from_1251).has_value());
    EXPECT_EQ(utf16_length(from_1251), 256u);
    EXPECT_EQ(utf8_to_cp1251(from_1251), all);
    const std::string from_866 = cp866_to_utf8(all);
    EXPECT_EQ(utf16_length(from_866), 256u);
    EXPECT_EQ(utf8_to_cp866(from_866), all);
}

TEST(TextCodecTest, RussianTextHasItsWindowsAndDosBytes) {
    const struct {
        std::string utf8, cp1251, cp866;
    } cases[] = {
        {"док", "\xE4\xEE\xEA", "\xA4\xAE\xAA"},
        {"Ёё№", "\xA8\xB8\xB9", "\xF0\xF1\xFC"},
        {"АЯая", "\xC0\xDF\xE0\xFF", "\x80\x9F\xA0\xEF"},
        {"C:\\Папка 1", "C:\\\xCF\xE0\xEF\xEA\xE0 1", "C:\\\x8F\xA0\xAF\xAA\xA0 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8_to_cp1251(c.utf8), c.cp1251) << c.utf8;
        EXPECT_EQ(cp1251_to_utf8(c.cp1251), c.utf8) << c.utf8;
        EXPECT_EQ(utf8_to_cp866(c.utf8), c.cp866) << c.utf8;
        EXPECT_EQ(cp866_to_utf8(c.cp866), c.utf8) << c.utf8;
    }
}

TEST(TextCodecTest, CharactersMissingFromTheCodePageAreRefusedNotReplaced) {
    for (const std::string text : {"Zoë", "文件", "\xF0\x9F\x98\x80", "naïve", "x\xED\xA0\x80"}) {
        EXPECT_FALSE(utf8_to_cp1251(text).has_value()) << text;
        EXPECT_FALSE(utf8_to_cp866(text).has_value()) << text;
    }
    // Each page has signs the other lacks.
    EXPECT_TRUE(utf8_to_cp1251("€").has_value());
    EXPECT_FALSE(utf8_to_cp866("€").has_value());
    EXPECT_TRUE(utf8_to_cp866("╬").has_value());
    EXPECT_FALSE(utf8_to_cp1251("╬").has_value());
}

}  // namespace
}  // namespace vh
