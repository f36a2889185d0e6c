#include "tests/e2e/directory_link.h"

#include <optional>

#include "tests/e2e/driver.h"

namespace vh::e2e {

namespace {

// The Unix name of a Windows path under Wine; none elsewhere.
std::optional<std::wstring> unix_path(const std::string& path) {
    using UnixNameFn = char*(CDECL*)(const WCHAR*);
    const auto unix_name = reinterpret_cast<UnixNameFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unix_name ? unix_name(to_utf16(path).c_str()) : nullptr;
    if (!name) return std::nullopt;
    std::wstring wide = to_utf16(name);
    HeapFree(GetProcessHeap(), 0, name);
    return wide;
}

// The attributes of the entry as its folder lists it: a link that leads
// nowhere is listed all the same.
std::optional<DWORD> listed_attributes(const std::string& path) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(to_utf16(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(search);
    return found.dwFileAttributes;
}

// Wine runs a Linux program that CreateProcessW is given, but gives no
// handle to wait on: done tells when it has run.
bool run_unix(const wchar_t* program, std::wstring command, const std::function<bool()>& done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return wait_until(done, 5s);
}

}  // namespace

bool make_directory_link(const std::string& link, const std::string& target) {
    const std::optional<std::wstring> unix_link = unix_path(link), unix_target = unix_path(target);
    if (!unix_link || !unix_target) return false;
    return run_unix(L"Z:\\bin\\ln", L"ln -s \"" + *unix_target + L"\" \"" + *unix_link + L"\"",
                    [&] { return is_directory_link(link); });
}

void remove_directory_link(const std::string& link) {
    if (!is_directory_link(link)) return;
    if (const std::optional<std::wstring> unix_link = unix_path(link))
        run_unix(L"Z:\\bin\\rm", L"rm -f \"" + *unix_link + L"\"",
                 [&] { return !listed_attributes(link); });
}

bool is_directory_link(const std::string& path) {
    const std::optional<DWORD> attributes = listed_attributes(path);
    return attributes && (*attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace vh::e2e
