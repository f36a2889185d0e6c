#include "platform/names.h"

#include <algorithm>

namespace vh {

char fold_case(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
    if (b >= 0xE0) return static_cast<char>(b - 32);  // а..я -> А..Я
    if (b == 0xB8) return static_cast<char>(0xA8);    // ё -> Ё
    return c;
}

std::string fold_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = fold_case(c);
    return out;
}

bool names_equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return fold_case(x) == fold_case(y); });
}

bool name_less(std::string_view a, std::string_view b) {
    const std::string fa = fold_case(a), fb = fold_case(b);
    auto as_unsigned = [](const std::string& s) {
        return std::basic_string<unsigned char>(s.begin(), s.end());
    };
    if (fa != fb) return as_unsigned(fa) < as_unsigned(fb);
    return as_unsigned(std::string(a)) < as_unsigned(std::string(b));
}

}  // namespace vh
