#include "shared/command_line.h"

#include <string_view>

namespace vh {

namespace {

// ASCII-only upper case: the switches are Latin, and a path's letters are
// left alone.
std::string upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The splitter removes the quotes of "/LOG=\"C:\a b\x.log\""; a caller that
// hands the argument over with its quotes still on gets one pair removed.
std::string unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

const char* const silent_switches[] = {"/S", "/SILENT", "/VERYSILENT"};
constexpr std::string_view log_switch = "/LOG=";

constexpr const char* accepted = " (допустимы /S, /SILENT, /VERYSILENT и /LOG=путь)";

}  // namespace

Switches parse_switches(const std::vector<std::string>& arguments) {
    Switches result;
    // Every argument is read, so that a /LOG after a refused switch still
    // names where the refusal is written; the first refusal is the one told.
    const auto refuse = [&](const std::string& why) {
        if (result.refused.empty()) result.refused = why;
    };
    for (const std::string& argument : arguments) {
        const std::string upper = upper_ascii(argument);
        bool silent = false;
        for (const char* name : silent_switches) silent = silent || upper == name;
        if (silent) {
            result.silent = true;
        } else if (upper.starts_with(log_switch)) {
            const std::string path = unquoted(std::string_view(argument).substr(log_switch.size()));
            if (path.empty())
                refuse("Ключ /LOG= без пути к файлу журнала");
            else if (result.log_path && *result.log_path != path)
                refuse("Ключ /LOG= указан дважды с разными путями");
            else
                result.log_path = path;
        } else {
            refuse("Неизвестный ключ командной строки: " + argument + accepted);
        }
    }
    return result;
}

std::string command_line_text(const std::string& program,
                              const std::vector<std::string>& arguments) {
    std::string text = program;
    for (const std::string& argument : arguments)
        text += argument.find(' ') == std::string::npos ? " " + argument : " \"" + argument + "\"";
    return text;
}

}  // namespace vh
