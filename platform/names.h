// File-name comparison as Windows does it on a Cyrillic (1251) system:
// letter case is ignored for Latin and Cyrillic letters alike.
#pragma once

#include <string>
#include <string_view>

namespace vh {

// Upper-cases one 1251 byte.
char fold_case(char c);
std::string fold_case(std::string_view text);

bool names_equal_ignoring_case(std::string_view a, std::string_view b);

// The order in which directory listings are given: case-insensitive first,
// raw bytes to break ties so that the order is total.
bool name_less(std::string_view a, std::string_view b);

}  // namespace vh
