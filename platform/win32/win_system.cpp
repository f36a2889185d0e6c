#include "platform/win32/win_system.h"

#include <windows.h>

#include <vector>

#include "platform/win32/win_handle.h"
#include "platform/win32/wow64_redirection.h"

namespace vh {

StartResult WinProcessStarter::start(const std::string& command_line, WindowShow show,
                                     const std::string& working_dir) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show == WindowShow::hidden ? SW_HIDE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    // A program named under System32 is the one a 64-bit program would
    // start, even when only its 64-bit version exists.
    const Wow64RedirectionOff system32_as_named;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        working_dir.empty() ? nullptr : working_dir.c_str(), &startup,
                        &process)) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                   ? StartResult::file_not_found
                   : StartResult::failed;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return StartResult::ok;
}

bool WinKeyState::pressed(int virtual_key) {
    return GetAsyncKeyState(virtual_key) != 0;
}

namespace {

// Shut-down and restart need SE_SHUTDOWN_NAME enabled in the process token.
void enable_shutdown_privilege() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
        return;
    WinHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

void WinSessionControl::exit_windows(unsigned flags) {
    if (flags != EWX_LOGOFF) enable_shutdown_privilege();
    ExitWindowsEx(flags, 0);
}

std::string windows_directory() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const UINT n = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.assign(n + 1, '\0');
    }
    while (!buffer.empty() && buffer.back() == '\\') buffer.pop_back();
    return buffer;
}

namespace {
std::string module_path() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(),
                                           static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}
}  // namespace

std::string own_directory() {
    const std::string path = module_path();
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash);
}

std::string own_file_name() {
    const std::string path = module_path();
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace vh
