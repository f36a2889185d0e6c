#include "tests/win32/folder_link.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win_handle.h"

namespace vh::testing {

namespace {

// A mount point's reparse data: the target as an NT path ("\??\C:\..."),
// then as it is shown, each ending in a null character.
bool set_mount_point(HANDLE folder, const std::wstring& target) {
    const std::wstring nt = L"\\??\\" + target;
    const WORD nt_bytes = static_cast<WORD>(nt.size() * 2), print_bytes =
                                                              static_cast<WORD>(target.size() * 2);
    std::vector<BYTE> data(8 + 8);
    auto put_word = [&](std::size_t at, WORD value) { std::memcpy(&data[at], &value, 2); };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(&data[0], &tag, 4);
    put_word(8, 0);
    put_word(10, nt_bytes);
    put_word(12, static_cast<WORD>(nt_bytes + 2));
    put_word(14, print_bytes);
    const auto* nt_data = reinterpret_cast<const BYTE*>(nt.c_str());
    const auto* print_data = reinterpret_cast<const BYTE*>(target.c_str());
    data.insert(data.end(), nt_data, nt_data + nt_bytes + 2);
    data.insert(data.end(), print_data, print_data + print_bytes + 2);
    put_word(4, static_cast<WORD>(data.size() - 8));
    DWORD returned = 0;
    return DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(),
                           static_cast<DWORD>(data.size()), nullptr, 0, &returned, nullptr);
}

// The Unix name of a Windows path under Wine; none elsewhere.
std::optional<std::wstring> unix_path(const std::wstring& path) {
    using UnixNameFn = char*(CDECL*)(const WCHAR*);
    const auto unix_name = reinterpret_cast<UnixNameFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unix_name ? unix_name(path.c_str()) : nullptr;
    if (!name) return std::nullopt;
    std::wstring wide = to_wide(name);
    HeapFree(GetProcessHeap(), 0, name);
    return wide;
}

// The attributes of the entry as its folder lists it: a link that leads
// nowhere is listed all the same.
std::optional<DWORD> listed_attributes(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(search);
    return found.dwFileAttributes;
}

// Wine runs a Linux program that CreateProcessW is given, without a process
// handle to wait for: done tells when it has run.
template <typename Done>
bool run_unix(const wchar_t* program, std::wstring command, Done done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WinHandle started(process.hProcess), thread(process.hThread);
    for (int i = 0; i < 100; ++i) {
        if (done()) return true;
        Sleep(20);
    }
    return false;
}

bool make_unix_symlink(const std::wstring& link, const std::wstring& target) {
    const std::optional<std::wstring> unix_link = unix_path(link), unix_target = unix_path(target);
    if (!unix_link || !unix_target) return false;
    return run_unix(L"Z:\\bin\\ln", L"ln -s \"" + *unix_target + L"\" \"" + *unix_link + L"\"",
                    [&] { return is_folder_link(link); });
}

}  // namespace

bool make_folder_link(const std::wstring& link, const std::wstring& target) {
    if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
    {
        WinHandle folder(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                     nullptr));
        if (folder && set_mount_point(folder.get(), target)) return true;
    }
    RemoveDirectoryW(link.c_str());
    return make_unix_symlink(link, target);
}

// Windows removes a junction itself with RemoveDirectoryW; Wine would act on
// what its stand-in leads to, so that one is removed from the Linux side.
void remove_folder_link(const std::wstring& link) {
    if (!is_folder_link(link)) return;
    if (const std::optional<std::wstring> unix_link = unix_path(link)) {
        run_unix(L"Z:\\bin\\rm", L"rm -f \"" + *unix_link + L"\"",
                 [&] { return !listed_attributes(link); });
        return;
    }
    RemoveDirectoryW(link.c_str());
}

bool is_folder_link(const std::wstring& path) {
    const std::optional<DWORD> attributes = listed_attributes(path);
    return attributes && (*attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace vh::testing
