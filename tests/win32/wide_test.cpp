// The one conversion between the programs' UTF-8 and Windows' UTF-16, on
// Windows itself: what Windows gives back converts to UTF-8 and back to the
// very same UTF-16, and text that is not UTF-8 never reaches a W call.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/wide.h"

namespace vh {
namespace {

TEST(WideText, WhatWindowsGivesConvertsBackUnchanged) {
    const std::wstring cases[] = {
        L"", L"C:\\Tessarimondale\\Varnholde", L"Удаление Varnholde", L"Zoë 文件",
        L"\U0001F600", std::wstring(L"a\0b", 3),
        std::wstring{L'x', wchar_t(0xD800), L'y'},  // a lone surrogate, as names may hold
        std::wstring{wchar_t(0xDFFF), wchar_t(0xD800)},
    };
    for (const std::wstring& wide : cases) {
        const std::string utf8 = to_utf8(wide);
        EXPECT_EQ(to_wide_exact(utf8), wide);
        EXPECT_EQ(to_wide(utf8), wide);
    }
    EXPECT_EQ(to_utf8(static_cast<const wchar_t*>(nullptr)), "");
}

// Shown text replaces what is not UTF-8; names refuse it.
TEST(WideText, TextThatIsNotUtf8IsMarkedWhenShownAndRefusedAsAName) {
    EXPECT_EQ(to_wide("a\xFF" "b"), L"a\xFFFD" L"b");
    EXPECT_EQ(to_wide("\xD0"), L"\xFFFD");
    EXPECT_EQ(to_wide("\xE4\xEE\xEA"), L"\xFFFD\xFFFD\xFFFD");  // Windows-1251 bytes
    for (const char* bad : {"a\xFF", "\xC0\x80", "\xE4\xEE\xEA"})
        EXPECT_FALSE(to_wide_exact(bad).has_value()) << bad;
}

}  // namespace
}  // namespace vh
