// The one place where the programs' UTF-8 text meets Windows' UTF-16: every
// W call takes its text through these.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vh {

// For names Windows acts on (files, registry values, command lines): nullopt
// when the text is not UTF-8, so that no call is made with another name.
std::optional<std::wstring> to_wide_exact(std::string_view utf8);

// For text that is only shown: bytes that are not UTF-8 become U+FFFD.
std::wstring to_wide(std::string_view utf8);

// What Windows gives back, whatever it holds: converts back unchanged.
std::string to_utf8(std::wstring_view wide);
std::string to_utf8(const wchar_t* wide);  // null-terminated; null gives ""

}  // namespace vh
