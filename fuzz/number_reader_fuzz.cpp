// The lenient number reader over any text: it never crashes, always gives a
// whole number (or an infinity, never NaN), and its 16-bit form is either the
// very same value or nothing: a number outside the range is never cut down
// silently. Plain whole numbers read as themselves.
#include <cmath>
#include <cstdlib>

#include "console/number_reader.h"
#include "fuzz/fuzz_support.h"

namespace {

// An optional minus sign and one to nine digits, nothing else.
bool plain_integer(const std::string& s) {
    const std::size_t digits_from = !s.empty() && s[0] == '-' ? 1 : 0;
    if (s.size() == digits_from || s.size() - digits_from > 9) return false;
    for (std::size_t i = digits_from; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = vh::read_number(text);
    FUZZ_CHECK(!std::isnan(value));
    FUZZ_CHECK(std::isinf(value) || value == std::nearbyint(value));

    const auto narrow = vh::read_int16(text);
    const bool fits = value >= -32768 && value <= 32767;
    FUZZ_CHECK(narrow.has_value() == fits);
    if (narrow) FUZZ_CHECK(*narrow == value);

    if (plain_integer(text)) FUZZ_CHECK(value == std::strtod(text.c_str(), nullptr));
    return 0;
}
