// The settings file read at start-up and written at unload, whatever bytes it
// holds: nothing crashes; a well-formed file comes back byte for byte; any
// other file is replaced by exactly what the reading rules give; a write that
// fails leaves the old file whole; the written file is stable from then on.
//
// Input: one byte of choices (how the skin picture loads, whether the file
// exists, which file operation of the write fails), then the file's bytes.
#include <cctype>
#include <optional>

#include "console/settings.h"
#include "fuzz/fuzz_support.h"
#include "shared/product.h"
#include "platform/fake/fake_file_system.h"
#include "tests/unit/console/fake_console_view.h"

namespace vh {
namespace {

using File = std::optional<std::string>;

const std::string designed_file = " 1   200\r\n";
const std::string temporary_path = "C:\\Tessarimondale\\Varnholde\\us_param.tmp";

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Decimal digits without a leading zero, or "0" alone.
bool plain_digits(const std::string& s) {
    if (s.empty() || s.size() > 5) return false;
    for (char c : s)
        if (!is_digit(c)) return false;
    return s == "0" || s[0] != '0';
}

// A one-digit number as the writer puts it: a blank or, before 1 to 9, a
// minus sign, then the digit.
bool written_digit(char sign, char digit) {
    return is_digit(digit) && (sign == ' ' || (sign == '-' && digit != '0'));
}

// The interval right-aligned in six characters after at least one blank
// (minus sign for a negative one).
bool written_interval(const std::string& field) {
    const std::size_t start = field.find_first_not_of(' ');
    if (start == std::string::npos || start == 0) return false;
    std::string number = field.substr(start);
    const bool negative = number[0] == '-';
    if (negative) number.erase(0, 1);
    if (!plain_digits(number) || (negative && number == "0")) return false;
    return std::stol(number) <= 32767;
}

// The layouts the writer gives: the skins prefix, the skin digit, ".jpg",
// the colour digit, the interval, CR LF; or, without a skin, the colour
// digit, the interval and CR LF.
bool well_formed(const std::string& f) {
    if (f.size() == 10)
        return written_digit(f[0], f[1]) && written_interval(f.substr(2, 6)) &&
               f.compare(8, 2, "\r\n") == 0;
    if (f.size() != settings_file_length) return false;
    if (f.compare(0, 39, product::skin_path_prefix) != 0) return false;
    if (!written_digit(f[39], f[40]) || f.compare(41, 4, ".jpg") != 0) return false;
    if (!written_digit(f[45], f[46])) return false;
    if (f.compare(53, 2, "\r\n") != 0) return false;
    return written_interval(f.substr(47, 6));
}

// The interval field read by its rule: blanks around an optionally signed
// whole number that fits 16 bits.
std::optional<long> interval_of(const std::string& field) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    std::string number = field.substr(first, field.find_last_not_of(' ') + 1 - first);
    long sign = 1;
    if (number[0] == '-' || number[0] == '+') {
        sign = number[0] == '-' ? -1 : 1;
        number.erase(0, 1);
    }
    if (number.empty()) return std::nullopt;
    for (char c : number)
        if (!is_digit(c)) return std::nullopt;
    const long value = sign * std::stol(number);  // at most five digits
    if (value < -32768 || value > 32767) return std::nullopt;
    return value;
}

std::string signed_text(long value) {
    return (value >= 0 ? " " : "") + std::to_string(value);
}

// The colour field's digit, with its sign: 0 for any other character.
long color_of(char sign, char digit) {
    const long value = is_digit(digit) ? digit - '0' : 0;
    return sign == '-' ? -value : value;
}

std::string interval_text(long interval) {
    std::string field = signed_text(interval);
    field.insert(0, 6 - field.size(), ' ');
    return field;
}

// What unload writes after a start that read `file` (no command between):
// for a file of 10 characters with the colour field, an interval and CR LF,
// those two fields; for one of 55 characters, the skin path as read, the
// colour digit with its sign (0 for any other character) and the interval,
// or the designed 200 when it is no number; otherwise the designed look.
std::string expected_after(const File& file) {
    if (!file) return designed_file;
    const std::string& f = *file;
    if (f.size() == 10 && (f[0] == ' ' || f[0] == '-') && is_digit(f[1]) &&
        f.compare(8, 2, "\r\n") == 0) {
        if (const auto interval = interval_of(f.substr(3, 5)))
            return signed_text(color_of(f[0], f[1])) + interval_text(*interval) + "\r\n";
    }
    if (f.size() != settings_file_length) return designed_file;
    const long interval = interval_of(f.substr(48, 5)).value_or(200);
    return f.substr(0, 45) + signed_text(color_of(f[45], f[46])) + interval_text(interval) +
           "\r\n";
}

struct Run {
    File written;
    FsError error;
};

// One start and unload of the console over a settings file.
Run start_and_unload(const File& file, LoadResult skin, int failing_write_step) {
    FakeFileSystem fs;
    fs.put_directory(product::install_dir);
    if (file) fs.put_file(product::settings_file, *file);
    testing::FakeConsoleView view;
    view.skin_result = skin;
    Settings settings = designed_settings();
    load_settings(fs, view, settings);
    fs.fail_operation(failing_write_step);
    const FsError error = save_settings(fs, settings);
    FUZZ_CHECK(!fs.exists(temporary_path));
    return {fs.content(product::settings_file), error};
}

}  // namespace
}  // namespace vh

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vh;
    fuzz::Bytes bytes(data, size);
    const std::uint8_t choices = bytes.byte();
    const auto skin = static_cast<LoadResult>(choices % 3);
    const bool missing = (choices & 0x04) != 0;
    const int failing_write_step = (choices >> 3) % 4;  // 0: none; the write has at most 3
    const File file = missing ? File{} : File{bytes.rest()};

    const Run run = start_and_unload(file, skin, failing_write_step);
    if (run.error != FsError::ok) {
        FUZZ_CHECK(run.written == file);  // the old file whole, or still none
        return 0;
    }
    FUZZ_CHECK(run.written == expected_after(file));
    if (file && well_formed(*file)) FUZZ_CHECK(run.written == file);
    // What was written reads back to itself at the next start.
    FUZZ_CHECK(start_and_unload(run.written, LoadResult::ok, 0).written == run.written);
    return 0;
}
