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

// The layout a well-formed file has: the skins prefix, a blank and a digit,
// ".jpg", a blank and the colour digit, the interval right-aligned in six
// characters after at least one blank (minus sign for a negative one), CR LF.
bool well_formed(const std::string& f) {
    if (f.size() != settings_file_length) return false;
    if (f.compare(0, 39, skin_path_prefix) != 0) return false;
    if (f[39] != ' ' || !is_digit(f[40]) || f.compare(41, 4, ".jpg") != 0) return false;
    if (f[45] != ' ' || !is_digit(f[46])) return false;
    if (f.compare(53, 2, "\r\n") != 0) return false;
    const std::string field = f.substr(47, 6);
    const std::size_t start = field.find_first_not_of(' ');
    if (start == std::string::npos || start == 0) return false;
    std::string number = field.substr(start);
    const bool negative = number[0] == '-';
    if (negative) number.erase(0, 1);
    if (!plain_digits(number) || (negative && number == "0")) return false;
    return std::stol(number) <= 32767;
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

// What unload writes after a start that read `file` (no command between):
// the designed look when the file was missing or of the wrong length;
// otherwise the skin path as read, the colour digit (0 for any other
// character) and the interval, or the designed 200 when it is no number.
std::string expected_after(const File& file) {
    if (!file || file->size() != settings_file_length) return designed_file;
    const std::string& f = *file;
    const long color = is_digit(f[46]) ? f[46] - '0' : 0;
    const long interval = interval_of(f.substr(48, 5)).value_or(200);
    std::string field = signed_text(interval);
    field.insert(0, 6 - field.size(), ' ');
    return f.substr(0, 45) + signed_text(color) + field + "\r\n";
}

struct Run {
    File written;
    FsError error;
};

// One start and unload of the console over a settings file.
Run start_and_unload(const File& file, LoadResult skin, int failing_write_step) {
    FakeFileSystem fs;
    fs.put_directory(install_dir);
    if (file) fs.put_file(settings_path, *file);
    testing::FakeConsoleView view;
    view.skin_result = skin;
    Settings settings = designed_settings();
    load_settings(fs, view, settings);
    fs.fail_operation(failing_write_step);
    const FsError error = save_settings(fs, settings);
    FUZZ_CHECK(!fs.exists(temporary_path));
    return {fs.content(settings_path), error};
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
