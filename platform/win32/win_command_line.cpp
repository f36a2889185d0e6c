#include "platform/win32/win_command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/win32/wide.h"

namespace vh {

std::vector<std::string> command_line_arguments(const std::wstring& command_line) {
    std::vector<std::string> arguments;
    // An empty line would give the program's own path as its only argument.
    if (command_line.find_first_not_of(L" \t") == std::wstring::npos) return arguments;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(command_line.c_str(), &count);
    if (!argv) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(to_utf8(argv[i]));
    LocalFree(argv);
    return arguments;
}

std::vector<std::string> program_arguments() {
    return command_line_arguments(GetCommandLineW());
}

std::string local_time_text() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

}  // namespace vh
