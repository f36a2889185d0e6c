#include "platform/win32/win_system.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>

#include "platform/win32/win_handle.h"
#include "platform/win32/wide.h"
#include "platform/win32/wow64_redirection.h"

namespace vh {

namespace {

// Not in every SDK's headers: the program's manifest asks for administrator
// rights and the caller is not elevated.
constexpr DWORD elevation_required = 740;

// What a failed CreateProcessW means to the caller: a missing file, a
// program that asks for administrator rights or a file that is no program
// (a document, a shortcut, a console file: the shell can open those), or
// another refusal.
StartResult start_failure(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return StartResult::file_not_found;
        case elevation_required:
        case ERROR_BAD_EXE_FORMAT:
        case ERROR_BAD_FORMAT:
        case ERROR_INVALID_EXE_SIGNATURE:
        case ERROR_EXE_MARKED_INVALID:
        case ERROR_EXE_MACHINE_TYPE_MISMATCH: return StartResult::needs_shell;
        default: return StartResult::failed;
    }
}

}  // namespace

StartResult WinProcessStarter::start(const std::string& command_line, WindowShow show,
                                     const std::string& working_dir) {
    // CreateProcessW may write into the command line: it gets its own copy.
    std::optional<std::wstring> line = to_wide_exact(command_line);
    const std::optional<std::wstring> directory = to_wide_exact(working_dir);
    if (!line || !directory) return StartResult::failed;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show == WindowShow::hidden ? SW_HIDE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // A program named under System32 is the one a 64-bit program would
    // start, even when only its 64-bit version exists.
    const Wow64RedirectionOff system32_as_named;
    if (!CreateProcessW(nullptr, line->data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory->empty() ? nullptr : directory->c_str(), &startup,
                        &process)) {
        return start_failure(GetLastError());
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return StartResult::ok;
}

StartResult WinProcessStarter::open_with_shell(const std::string& program,
                                               const std::string& arguments, WindowShow show) {
    const std::optional<std::wstring> file = to_wide_exact(program);
    const std::optional<std::wstring> parameters = to_wide_exact(arguments);
    if (!file || !parameters || file->empty()) return StartResult::failed;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // Errors are told in the console's own window, never in a message box;
    // the call returns only when the shell has done its part.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
    // The path as the user wrote it, System32 included, and with System32
    // redirected as the shell's 32-bit DLLs need: the program that opens the
    // file (mmc.exe for a console file) may be a 64-bit one, and an elevated
    // start runs without redirection; neither can see Sysnative, the name
    // that reaches the 64-bit System32 only from a 32-bit program.
    info.lpFile = file->c_str();
    info.lpParameters = parameters->empty() ? nullptr : parameters->c_str();
    info.nShow = show == WindowShow::hidden ? SW_HIDE : SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                   ? StartResult::file_not_found
                   : StartResult::failed;
    }
    if (info.hProcess) CloseHandle(info.hProcess);
    return StartResult::ok;
}

bool WinKeyState::pressed(int virtual_key) {
    return GetAsyncKeyState(virtual_key) != 0;
}

KeySample WinKeyState::sample(int virtual_key) {
    const auto state = static_cast<unsigned short>(GetAsyncKeyState(virtual_key));
    return {(state & 0x8000) != 0, (state & 0x0001) != 0};
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
    if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

// The reason tells Windows (and its event log) that the user asked for it.
bool WinSessionControl::exit_windows(unsigned flags) {
    if (flags != EWX_LOGOFF) enable_shutdown_privilege();
    return ExitWindowsEx(flags, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER |
                                    SHTDN_REASON_FLAG_PLANNED) != 0;
}

std::string windows_directory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const UINT n = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.assign(n + 1, L'\0');
    }
    while (!buffer.empty() && buffer.back() == L'\\') buffer.pop_back();
    return to_utf8(buffer);
}

std::string module_path() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(),
                                           static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return to_utf8(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

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
