#include "console/settings.h"

#include <cctype>
#include <limits>
#include <optional>
#include <string_view>

#include "platform/text_codec.h"

namespace vh {

namespace {

constexpr std::size_t line_length = 53;
constexpr std::size_t skin_path_length = 45;
constexpr std::size_t skin_digit_index = 40;  // 41st character of the skin path
// The colour digit is the 7th character from the line's end, its sign the
// 8th; the interval is read from the last five characters.
constexpr std::size_t color_from_end = 7;
constexpr std::size_t interval_digits = 5;
constexpr std::size_t interval_width = 6;
// The file written when no skin was ever chosen: the colour field, the
// interval field and CR LF, without any skin path.
constexpr std::size_t no_skin_file_length = 10;

bool is_digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A one-digit number as the writer puts it: the digit, after a blank or a
// minus sign. Any other character where the digit belongs reads as 0.
std::int16_t signed_digit(char sign, char digit) {
    const auto value = static_cast<std::int16_t>(is_digit(digit) ? digit - '0' : 0);
    return sign == '-' ? static_cast<std::int16_t>(-value) : value;
}

std::int16_t color_of(const std::string& line) {
    const std::size_t at = line.size() - color_from_end;
    return signed_digit(line[at - 1], line[at]);
}

std::string interval_field_of(const std::string& line) {
    return line.substr(line.size() - interval_digits);
}

// The short file holds exactly what the writer gives for an empty skin path.
bool is_no_skin_file(const std::string& text) {
    if (text.size() != no_skin_file_length || text.compare(8, 2, "\r\n") != 0) return false;
    std::int16_t interval = 0;
    return (text[0] == ' ' || text[0] == '-') && is_digit(text[1]) &&
           parse_interval_field(interval_field_of(text.substr(0, 8)), interval);
}

}  // namespace

bool parse_interval_field(const std::string& field, std::int16_t& value) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
    const std::size_t first_digit = i;
    long number = 0;
    while (i < field.size() && std::isdigit(static_cast<unsigned char>(field[i]))) {
        number = number * 10 + (field[i++] - '0');
        if (number > 100000) return false;
    }
    if (i == first_digit) return false;
    while (i < field.size() && field[i] == ' ') ++i;
    if (i != field.size()) return false;
    if (negative) number = -number;
    if (number < std::numeric_limits<std::int16_t>::min() ||
        number > std::numeric_limits<std::int16_t>::max())
        return false;
    value = static_cast<std::int16_t>(number);
    return true;
}

SettingsOutcome load_settings(FileSystem& fs, ConsoleView& view, Settings& settings,
                              const std::string& path) {
    std::string text;
    switch (fs.read_file(path, text)) {
        case FsError::ok: break;
        case FsError::file_not_found: return SettingsOutcome::no_file;
        default: return SettingsOutcome::unreadable;
    }
    settings.settings_text = cp1251_to_utf8(text);
    if (is_no_skin_file(text)) {
        // No picture to load: the designed black background stays.
        const std::string line = text.substr(0, text.size() - 2);
        settings.skin_path.clear();
        settings.skin_number = 0;
        settings.font_color = color_of(line);
        view.set_text_color(color_for_code(settings.font_color));
        parse_interval_field(interval_field_of(line), settings.open_interval);
        view.set_timer_interval(settings.open_interval);
        return SettingsOutcome::applied;
    }
    if (text.size() != settings_file_length) return SettingsOutcome::wrong_length;

    const std::string line = text.substr(0, line_length);
    settings.skin_path = cp1251_to_utf8(line.substr(0, skin_path_length));
    settings.skin_number = signed_digit(line[skin_digit_index - 1], line[skin_digit_index]);
    // The field is kept as read, to be written back unchanged at unload,
    // whether or not its picture may be shown.
    const LoadResult skin = load_own_skin(view, settings.skin_path);

    settings.font_color = color_of(line);
    view.set_text_color(color_for_code(settings.font_color));

    std::int16_t interval = 0;
    if (!parse_interval_field(interval_field_of(line), interval))
        return SettingsOutcome::bad_interval;
    settings.open_interval = interval;
    view.set_timer_interval(interval);

    if (skin == LoadResult::file_not_found) return SettingsOutcome::skin_missing;
    if (skin == LoadResult::failed) return SettingsOutcome::skin_unusable;
    return SettingsOutcome::applied;
}

std::string skin_path_of(std::int16_t number) {
    return product::skin_path_prefix + number_text(number) + ".jpg";
}

// The path must be the very text the console writes for the number it
// holds: the prefix, the blank or minus sign, one digit (no "-0"), ".jpg".
bool is_own_skin_path(const std::string& path) {
    const std::size_t sign = std::string_view(product::skin_path_prefix).size();
    if (path.size() <= sign + 1 || !is_digit(path[sign + 1])) return false;
    return path == skin_path_of(signed_digit(path[sign], path[sign + 1]));
}

LoadResult load_own_skin(ConsoleView& view, const std::string& path) {
    return is_own_skin_path(path) ? view.load_skin(path) : LoadResult::file_not_found;
}

bool fits_digit_field(double value) {
    return value >= -9 && value <= 9;
}

bool may_write_at_unload(SettingsOutcome outcome) {
    return outcome != SettingsOutcome::unreadable;
}

std::string format_settings(const Settings& settings) {
    std::string interval = number_text(settings.open_interval);
    if (interval.size() < interval_width) interval.insert(0, interval_width - interval.size(), ' ');
    return settings.skin_path + number_text(settings.font_color) + interval + "\r\n";
}

FsError save_settings(FileSystem& fs, const Settings& settings, const std::string& path) {
    // A path read from the file or built by a command always has a
    // Windows-1251 form; anything else is not written in place of it.
    const std::optional<std::string> content = utf8_to_cp1251(format_settings(settings));
    if (!content) return FsError::invalid_name;
    const FsError error = fs.rewrite_file(path, *content);
    // Only where there is no file yet is one created, which takes the
    // right to add files to the program folder (an administrator's).
    if (error == FsError::file_not_found) return fs.write_file(path, *content);
    return error;
}

}  // namespace vh
