// The switches Setup.exe and Uninstall.exe take on their command line: run
// silently (no window, no question) and write a log. Portable: it reads the
// arguments as Windows has split them, in UTF-8, without the program's name.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vh {

struct Switches {
    bool silent = false;                  // /S, /SILENT or /VERYSILENT, any case
    std::optional<std::string> log_path;  // /LOG=path
    // Why the command line is refused (an unknown switch, a /LOG without a
    // path, two different logs); empty when it is accepted.
    std::string refused;
};

// An argument that is not one of the switches refuses the whole command
// line, so that a mistyped switch never goes unnoticed.
Switches parse_switches(const std::vector<std::string>& arguments);

// The program's name and its arguments as one line for a log, an argument
// with a blank in quotes.
std::string command_line_text(const std::string& program,
                              const std::vector<std::string>& arguments);

// Exit codes of both programs.
namespace exit_code {
inline constexpr int done = 0;
inline constexpr int package_incomplete = 1;  // nothing changed
inline constexpr int check_failed = 2;        // a check before changing anything failed
inline constexpr int failed_part_way = 3;     // stopped after changing something
inline constexpr int bad_switch = 4;          // refused command line, nothing done
inline constexpr int log_not_written = 5;     // done, but the log asked for was not written
}  // namespace exit_code

}  // namespace vh
