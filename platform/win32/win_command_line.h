// What a program was started with, as Windows splits its command line, and
// the local time for the lines of its log.
#pragma once

#include <string>
#include <vector>

namespace vh {

// The arguments of a command line after the program's name, split by
// CommandLineToArgvW (quotes group blanks and are removed), in UTF-8.
std::vector<std::string> command_line_arguments(const std::wstring& command_line);

// The running program's own arguments (GetCommandLineW).
std::vector<std::string> program_arguments();

// The local time as "2026-12-07 20:45:01".
std::string local_time_text();

}  // namespace vh
