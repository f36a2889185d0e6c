#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "console/number_reader.h"

namespace vh {
namespace {

struct NumberCase {
    const char* text;
    double value;                       // rounded, possibly beyond 16 bits
    std::optional<std::int16_t> int16;  // nullopt: outside the 16-bit range
};

const NumberCase number_cases[] = {
    // plain numbers, signs and the blanks skipped everywhere
    {"12", 12, 12},
    {"-5", -5, -5},
    {"+7", 7, 7},
    {"1 2", 12, 12},
    {" \t1\n2 ", 12, 12},
    {"- 5", -5, -5},
    {"1 e 2", 100, 100},
    {"\r5", 0, 0},  // a carriage return is not skipped
    // no leading number reads 0; reading stops where the number cannot go on
    {"", 0, 0},
    {"abc", 0, 0},
    {"-", 0, 0},
    {".", 0, 0},
    {"--5", 0, 0},
    {"12abc", 12, 12},
    {"5-", 5, 5},
    {"1,5", 1, 1},
    {"1.2.3", 1, 1},
    // fractions round to the nearest, halves to the even neighbour
    {"2.5", 2, 2},
    {"3.5", 4, 4},
    {"-2.5", -2, -2},
    {"0.5", 0, 0},
    {"1.5", 2, 2},
    {"2.51", 3, 3},
    {".5", 0, 0},
    {"-.7", -1, -1},
    {"-0.4", 0, 0},
    // exponents with E or D in either case, signed; a bare letter is dropped
    {"1e2", 100, 100},
    {"1D2", 100, 100},
    {"1d+2", 100, 100},
    {"15E-1", 2, 2},
    {"25E-1", 2, 2},
    {"+.5e1", 5, 5},
    {"1e", 1, 1},
    {"1e-", 1, 1},
    {"e5", 0, 0},
    {"1e-999999", 0, 0},
    // hexadecimal and octal
    {"&H10", 16, 16},
    {"&h1f", 31, 31},
    {"&HFF zz", 255, 255},
    {"&H 1 0", 16, 16},
    {"&O17", 15, 15},
    {"&o8", 0, 0},
    {"&H", 0, 0},
    {"&", 0, 0},
    {"&H7FFF", 32767, 32767},
    {"&H8000", 32768, std::nullopt},
    // the 16-bit edges
    {"32767", 32767, 32767},
    {"32767.4", 32767, 32767},
    {"32767.5", 32768, std::nullopt},
    {"32768", 32768, std::nullopt},
    {"-32768", -32768, -32768},
    {"-32768.5", -32768, -32768},
    {"-32769", -32769, std::nullopt},
    {"99999", 99999, std::nullopt},
    {"-99999", -99999, std::nullopt},
    {"1e10", 1e10, std::nullopt},
    {"123456789012345678901234567890", 123456789012345678901234567890.0, std::nullopt},
};

TEST(NumberReader, ReadsLikeTheTable) {
    for (const NumberCase& c : number_cases) {
        SCOPED_TRACE(std::string("text: \"") + c.text + "\"");
        EXPECT_EQ(read_number(c.text), c.value);
        EXPECT_EQ(read_int16(c.text), c.int16);
    }
}

TEST(NumberReader, AbsurdExponentsGiveInfinityInsteadOfFailing) {
    EXPECT_EQ(read_number("1e999999999999"), HUGE_VAL);
    EXPECT_EQ(read_number("-9e400"), -HUGE_VAL);
    EXPECT_EQ(read_number(std::string(400, '9')), HUGE_VAL);
    EXPECT_EQ(read_int16("1e999"), std::nullopt);
}

}  // namespace
}  // namespace vh
