// The settings file as anything may have left it: cut short at every length
// and filled with random bytes. Every start of the console must come up and
// end cleanly, and leave a file that the next start takes or refuses exactly
// as the reading rules say.
#include <random>
#include <thread>

#include "tests/e2e/console_fixture.h"

namespace vh::e2e {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The interval field's rule: blanks around an optionally signed whole number
// that fits 16 bits; anything else is no interval.
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
    const long value = sign * std::stol(number);
    if (value < -32768 || value > 32767) return std::nullopt;
    return value;
}

std::string signed_text(long value) {
    return (value >= 0 ? " " : "") + std::to_string(value);
}

std::string interval_text(long interval) {
    std::string field = signed_text(interval);
    field.insert(0, 6 - field.size(), ' ');
    return field;
}

// The colour digit with its sign; 0 for any other character.
long color_of(char sign, char digit) {
    const long value = is_digit(digit) ? digit - '0' : 0;
    return sign == '-' ? -value : value;
}

// What the console writes at its end after a start that read `file`: for a
// 10-character file of a colour field, an interval and CR LF (no skin),
// those two fields again; for the one accepted longer length, its skin path,
// its colour digit with its sign (0 for another character) and its interval
// (the designed 200 when it is no number); otherwise the designed look
// (colour code 1, 200 ms, no skin).
std::string written_after(const std::string& file) {
    if (file.size() == 10 && (file[0] == ' ' || file[0] == '-') && is_digit(file[1]) &&
        file.compare(8, 2, "\r\n") == 0) {
        if (const auto interval = interval_of(file.substr(3, 5)))
            return signed_text(color_of(file[0], file[1])) + interval_text(*interval) + "\r\n";
    }
    if (file.size() != 55) return " 1   200\r\n";
    const long interval = interval_of(file.substr(48, 5)).value_or(200);
    return file.substr(0, 45) + signed_text(color_of(file[45], file[46])) +
           interval_text(interval) + "\r\n";
}

// 100 files: most 55 bytes long, half of those the example with its fields
// scrambled from the characters that matter, half pure noise; every tenth of
// any length up to 120.
std::vector<std::string> random_files() {
    std::mt19937 random(20240607);
    auto byte = [&] { return static_cast<char>(random() & 0xff); };
    const std::string field_chars = " -+0123456789x\r\n";
    std::vector<std::string> files;
    for (int i = 0; i < 100; ++i) {
        std::string file;
        if (i % 10 == 9) {
            file.resize(random() % 121);
            for (char& c : file) c = byte();
        } else if (i % 2 == 0) {
            file = example_settings;
            for (std::size_t p = 39; p < 55; ++p)
                if (p < 41 || p > 44) file[p] = field_chars[random() % field_chars.size()];
        } else {
            file.resize(55);
            for (char& c : file) c = byte();
        }
        files.push_back(file);
    }
    return files;
}

class SettingsRobustness : public ConsoleTest {
protected:
    // One clean start and end of the console over the file; gives what it
    // left behind.
    std::optional<std::string> start_and_close(const std::string& file) {
        if (!write_file(settings_file, file)) return std::nullopt;
        start_console();
        if (HasFatalFailure()) return std::nullopt;
        PostMessageW(band, WM_CLOSE, 0, 0);
        EXPECT_TRUE(console.wait_exit(10s)) << "the console did not end";
        return read_file(settings_file);
    }

    void expect_written_as_the_rules_say(const std::string& file) {
        const std::string expected = written_after(file);
        // A written file is stable: the next start reads back what it holds.
        ASSERT_EQ(written_after(expected), expected);
        EXPECT_EQ(start_and_close(file), expected);
        EXPECT_FALSE(file_exists(install_dir + "\\us_param.tmp"));
    }
};

TEST_F(SettingsRobustness, AFileCutShortAtEveryLengthIsReplacedByTheDesignedSettings) {
    for (std::size_t length = 0; length <= example_settings.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        expect_written_as_the_rules_say(example_settings.substr(0, length));
        if (HasFatalFailure()) return;
    }
}

TEST_F(SettingsRobustness, RandomBytesNeverStopTheConsoleAndAreWrittenBackByTheRules) {
    const auto files = random_files();
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE("random file " + std::to_string(i));
        expect_written_as_the_rules_say(files[i]);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace vh::e2e
