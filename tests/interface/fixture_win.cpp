#include <windows.h>

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/win_file_rights.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/wide.h"
#include "tests/interface/fixture.h"

namespace vh::testing {

namespace {
class WinInUse : public InUse {
public:
    explicit WinInUse(const std::string& path)
        : file_(CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

private:
    WinHandle file_;
};
}  // namespace

FileSystem& file_system_under_test() {
    static WinFileSystem fs;
    return fs;
}

Registry& registry_under_test() {
    static WinRegistry registry;
    return registry;
}

std::unique_ptr<InUse> hold_in_use(const std::string& path) {
    return std::make_unique<WinInUse>(path);
}

std::optional<std::string> rights_text(const std::string& path) {
    return security_descriptor_text_of(path);
}

bool rights_are_kept(const std::string& scratch_file) {
    return keeps_security_descriptors(scratch_file);
}

}  // namespace vh::testing

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

// Whether the folder has an entry of that name, even a link that leads
// nowhere.
bool listed(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
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

// The links made, and whether each is a Unix one.
std::vector<std::pair<std::wstring, bool>> links_made;

bool make_unix_symlink(const std::wstring& link, const std::wstring& target) {
    const std::optional<std::wstring> unix_link = unix_path(link), unix_target = unix_path(target);
    if (!unix_link || !unix_target) return false;
    links_made.emplace_back(link, true);
    return run_unix(L"Z:\\bin\\ln", L"ln -s \"" + *unix_target + L"\" \"" + *unix_link + L"\"",
                    [&] { return listed(link); });
}

}  // namespace

bool make_directory_link(const std::string& link, const std::string& target) {
    const std::wstring wide_link = to_wide(link), wide_target = to_wide(target);
    if (!CreateDirectoryW(wide_link.c_str(), nullptr)) return false;
    {
        WinHandle folder(CreateFileW(wide_link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                     nullptr));
        if (folder && set_mount_point(folder.get(), wide_target)) {
            links_made.emplace_back(wide_link, false);
            return true;
        }
    }
    RemoveDirectoryW(wide_link.c_str());
    return make_unix_symlink(wide_link, wide_target);
}

// Windows removes a junction itself with RemoveDirectoryW; Wine would act on
// what its stand-in leads to, so that one is removed from the Linux side.
void remove_directory_links() {
    for (const auto& [link, is_unix] : links_made) {
        if (!is_unix) {
            RemoveDirectoryW(link.c_str());
            continue;
        }
        if (const std::optional<std::wstring> unix_link = unix_path(link))
            run_unix(L"Z:\\bin\\rm", L"rm -f \"" + *unix_link + L"\"", [&] { return !listed(link); });
    }
    links_made.clear();
}

bool make_hard_link(const std::string& link, const std::string& existing) {
    return CreateHardLinkW(to_wide(link).c_str(), to_wide(existing).c_str(), nullptr);
}

}  // namespace vh::testing
