#include "console/settings.h"

#include <cctype>
#include <limits>
#include <optional>

#include "platform/text_codec.h"

namespace vh {

namespace {

constexpr std::size_t line_length = 53;
constexpr std::size_t skin_path_length = 45;
constexpr std::size_t skin_digit_index = 40;   // 41st character of the skin path
constexpr std::size_t color_digit_index = 46;  // 7th character from the line's end
constexpr std::size_t interval_index = 48;     // the last five characters
constexpr std::size_t interval_width = 6;

std::int16_t digit_value(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) ? static_cast<std::int16_t>(c - '0') : 0;
}

std::string temporary_path_for(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('\\');
    const std::string stem =
        dot != std::string::npos && (slash == std::string::npos || dot > slash)
            ? path.substr(0, dot)
            : path;
    return stem + ".tmp";
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
    if (text.size() != settings_file_length) return SettingsOutcome::wrong_length;

    const std::string line = text.substr(0, line_length);
    settings.skin_path = cp1251_to_utf8(line.substr(0, skin_path_length));
    settings.skin_number = digit_value(line[skin_digit_index]);
    const LoadResult skin = view.load_skin(settings.skin_path);

    settings.font_color = digit_value(line[color_digit_index]);
    view.set_text_color(color_for_code(settings.font_color));

    std::int16_t interval = 0;
    if (!parse_interval_field(line.substr(interval_index), interval))
        return SettingsOutcome::bad_interval;
    settings.open_interval = interval;
    view.set_timer_interval(interval);

    if (skin == LoadResult::file_not_found) return SettingsOutcome::skin_missing;
    if (skin == LoadResult::failed) return SettingsOutcome::skin_unusable;
    return SettingsOutcome::applied;
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
    const std::string temporary = temporary_path_for(path);
    FsError error = fs.write_file(temporary, *content);
    if (error == FsError::ok) error = fs.move_file_replacing(temporary, path);
    if (error != FsError::ok) fs.delete_file(temporary);
    return error;
}

}  // namespace vh
