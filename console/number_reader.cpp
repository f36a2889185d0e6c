#include "console/number_reader.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <string>

namespace vh {

namespace {

std::string without_blanks(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') out += c;
    return out;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

int digit_value(char c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Digits of the given base after an &H or &O prefix, as far as they go.
double read_radix_digits(std::string_view digits, int base) {
    double value = 0;
    for (char c : digits) {
        const int d = digit_value(c);
        if (d >= base) break;
        value = value * base + d;
    }
    return value;
}

std::size_t skip_digits(std::string_view s, std::size_t pos) {
    while (pos < s.size() && is_digit(s[pos])) ++pos;
    return pos;
}

// A number too large or too small for a double: infinite or zero, by the
// place of its first significant digit.
double beyond_double(std::string_view number) {
    const std::size_t e = number.find('e');
    const std::string_view mantissa = number.substr(0, e);
    const long exponent = e == std::string_view::npos ? 0 : std::stol(std::string(number.substr(e + 1)));
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return 0;
    const long order = static_cast<long>(point) - static_cast<long>(first) + exponent;
    if (order <= 0) return 0;
    return mantissa.front() == '-' ? -HUGE_VAL : HUGE_VAL;
}

// Sign, digits, fraction and exponent, rewritten in the one form that
// from_chars reads whatever the locale.
double read_decimal(std::string_view s) {
    std::size_t pos = 0;
    std::string number;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        if (s[pos] == '-') number += '-';
        ++pos;
    }
    std::size_t end = skip_digits(s, pos);
    std::string mantissa(s.substr(pos, end - pos));
    pos = end;
    if (pos < s.size() && s[pos] == '.') {
        end = skip_digits(s, pos + 1);
        mantissa += '.';
        mantissa += s.substr(pos + 1, end - pos - 1);
        pos = end;
    }
    if (mantissa.empty() || mantissa == ".") return 0;
    number += '0' + mantissa;

    if (pos < s.size() && std::string_view("EeDd").find(s[pos]) != std::string_view::npos) {
        std::size_t exp_pos = pos + 1;
        std::string exponent = "e";
        if (exp_pos < s.size() && (s[exp_pos] == '+' || s[exp_pos] == '-')) {
            if (s[exp_pos] == '-') exponent += '-';
            ++exp_pos;
        }
        end = skip_digits(s, exp_pos);
        if (end > exp_pos) {
            // Longer exponents than this overflow or vanish anyway.
            const std::string_view digits = s.substr(exp_pos, end - exp_pos);
            exponent += digits.size() > 6 ? std::string("999999") : std::string(digits);
            number += exponent;
        }
    }
    double value = 0;
    const auto [ptr, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) return beyond_double(number);
    return error == std::errc() ? value : 0;
}

double round_half_even(double x) {
    if (!std::isfinite(x)) return x;
    const double below = std::floor(x);
    const double fraction = x - below;
    if (fraction < 0.5) return below;
    if (fraction > 0.5) return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

}  // namespace

double read_number(std::string_view text) {
    const std::string s = without_blanks(text);
    double value = 0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h'))
        value = read_radix_digits(std::string_view(s).substr(2), 16);
    else if (s.size() >= 2 && s[0] == '&' && (s[1] == 'O' || s[1] == 'o'))
        value = read_radix_digits(std::string_view(s).substr(2), 8);
    else
        value = read_decimal(s);
    return round_half_even(value) + 0.0;  // + 0.0 turns -0 into 0
}

std::optional<std::int16_t> read_int16(std::string_view text) {
    const double value = read_number(text);
    if (value < INT16_MIN || value > INT16_MAX) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

}  // namespace vh
