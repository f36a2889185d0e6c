// The rights of the installation tree, set with the owner first: an
// administrator may make Administrators the owner of any file once the
// "take ownership" privilege is enabled, and as a member of the owner it
// may then write the DACL whatever the DACL said before
// (win_entry_security.cpp).
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <optional>

#include "platform/win32/win_file_rights.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/wide.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/win_entry_security.h"

namespace vh {

// Opened as the entry itself, not what a link leads to, sharing everything
// so that a program holding the file open does not stop it. A link, or a
// file that has other names (one of them could be anyone's file), is left
// as it is; the owner and rights then go through this same handle.
FsError WinFileSystem::set_rights(const std::string& path, const FileRights& rights) {
    const std::optional<std::wstring> wide = to_wide_exact(path);
    if (!wide) return FsError::invalid_name;
    enable_take_ownership();
    WinHandle entry(CreateFileW(wide->c_str(), READ_CONTROL | WRITE_OWNER | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
    if (!entry) return fs_error_recorded(GetLastError());
    EntryFacts facts;
    const DWORD status = read_entry_facts(entry.get(), false, facts);
    if (status != ERROR_SUCCESS) return fs_error_recorded(status);
    facts.attributes |= link_bit_of_name(wide->c_str());
    if (!is_plain_entry(facts)) return FsError::link;
    return fs_error_recorded(give_rights(entry.get(), rights));
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
