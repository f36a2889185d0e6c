// The lenient number reader of the console's number arguments: it takes
// whatever leading number it can find in a text and never fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vh {

// Reads the leading number of text: blanks, tabs and line feeds are skipped
// everywhere (so "1 2" is 12); then an optional sign, digits, an optional
// fraction after a point and an optional exponent (E or D, either case), or
// &H / &O followed by hexadecimal / octal digits. Reading stops at the first
// character that cannot continue the number; no leading number reads as 0.
// The result is rounded to an integer, halves to the even neighbour; it may
// lie outside any integer range (and is infinite for absurd exponents).
double read_number(std::string_view text);

// The same number when it fits a 16-bit signed integer, nothing otherwise.
std::optional<std::int16_t> read_int16(std::string_view text);

}  // namespace vh
