// File-name comparison as Windows does it: letter case is ignored, for
// Latin, Greek and Cyrillic letters alike. Names are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vh {

// Upper-cases one ASCII character (drive letters).
char fold_case(char c);
// Upper-cases every letter of a UTF-8 text; bytes that are not UTF-8 stay.
std::string fold_case(std::string_view text);

bool names_equal_ignoring_case(std::string_view a, std::string_view b);

// The order in which directory listings are given: case-insensitive first,
// raw bytes to break ties so that the order is total.
bool name_less(std::string_view a, std::string_view b);

}  // namespace vh
