// Where text meets the Unicode (W) Windows functions: the programs keep text
// in std::string (UTF-8) and only the call to Windows sees UTF-16.
#pragma once

#include <string>

namespace vh {

std::wstring to_wide(const std::string& text);
std::string from_wide(const std::wstring& text);

}  // namespace vh
