// The rights of the installation tree, set with the owner first: an
// administrator may make Administrators the owner of any file once the
// "take ownership" privilege is enabled, and as a member of the owner it
// may then write the DACL whatever the DACL said before.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <optional>

#include "platform/win32/win_file_rights.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/wide.h"
#include "platform/win32/win_handle.h"

namespace vh {

namespace {

// Memory that a security function allocated with LocalAlloc.
struct LocalMemory {
    void* p = nullptr;
    ~LocalMemory() {
        if (p) LocalFree(p);
    }
};

// SeTakeOwnershipPrivilege grants WRITE_OWNER on every file; an elevated
// administrator holds it but disabled. Without it (not elevated, or under a
// system without privileges) the calls below report what they are refused.
void enable_take_ownership() {
    static const bool done = [] {
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
            return false;
        WinHandle token(raw);
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!LookupPrivilegeValueW(nullptr, SE_TAKE_OWNERSHIP_NAME,
                                   &privileges.Privileges[0].Luid))
            return false;
        return AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) &&
               GetLastError() == ERROR_SUCCESS;
    }();
    (void)done;
}

}  // namespace

FsError WinFileSystem::set_rights(const std::string& path, const FileRights& rights) {
    const std::optional<std::wstring> wide = to_wide_exact(path);
    if (!wide) return FsError::invalid_name;
    if (GetFileAttributesW(wide->c_str()) == INVALID_FILE_ATTRIBUTES)
        return fs_error_from_win32(GetLastError());
    LocalMemory descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            to_wide(security_descriptor_text(rights)).c_str(), SDDL_REVISION_1, &descriptor.p,
            nullptr))
        return fs_error_from_win32(GetLastError());
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor.p, &owner, &defaulted) ||
        !GetSecurityDescriptorDacl(descriptor.p, &present, &dacl, &defaulted) || !present)
        return FsError::other;
    enable_take_ownership();
    std::wstring name = *wide;  // the functions take a writable string
    DWORD status = SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                                         owner, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        status = SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                       DACL_SECURITY_INFORMATION |
                                           PROTECTED_DACL_SECURITY_INFORMATION,
                                       nullptr, nullptr, dacl, nullptr);
    return fs_error_from_win32(status);
}

std::optional<std::string> security_descriptor_text_of(const std::string& path) {
    const std::optional<std::wstring> wide = to_wide_exact(path);
    if (!wide) return std::nullopt;
    std::wstring name = *wide;
    const SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    LocalMemory descriptor;
    if (GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, parts, nullptr, nullptr, nullptr,
                              nullptr, &descriptor.p) != ERROR_SUCCESS)
        return std::nullopt;
    LocalMemory text;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor.p, SDDL_REVISION_1, parts, reinterpret_cast<LPWSTR*>(&text.p), nullptr))
        return std::nullopt;
    return to_utf8(static_cast<const wchar_t*>(text.p));
}

bool keeps_security_descriptors(const std::string& scratch_file) {
    const std::optional<std::wstring> wide = to_wide_exact(scratch_file);
    if (!wide) return false;
    WinHandle file(CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !file.close()) return false;
    // Set without this file's own code, so that what is measured is the
    // file system alone.
    const wchar_t* const text = L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)";
    LocalMemory descriptor;
    const bool kept =
        ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &descriptor.p,
                                                             nullptr) &&
        SetFileSecurityW(wide->c_str(),
                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                         descriptor.p) &&
        security_descriptor_text_of(scratch_file).value_or("").find("D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)") !=
            std::string::npos;
    DeleteFileW(wide->c_str());
    return kept;
}

}  // namespace vh
