#include "platform/win32/win_entry_security.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/win_relative_open.h"

namespace vh {

namespace {

// NT SERVICE\TrustedInstaller, the owner of Windows' own files.
const wchar_t* const trusted_installer_sid =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

bool is_trusted_installer(PSID sid) {
    LocalMemory known;
    return ConvertStringSidToSidW(trusted_installer_sid, &known.p) && EqualSid(sid, known.p);
}

// The user this process runs as, when the process is an administrator
// (its token has Administrators enabled: elevated, or LocalSystem).
bool is_this_administrator(PSID sid) {
    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(admins);
    BOOL member = FALSE;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size) ||
        !CheckTokenMembership(nullptr, admins, &member) || !member)
        return false;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    WinHandle token(raw);
    std::vector<std::uint64_t> buffer(64);  // TOKEN_USER and its SID, aligned
    DWORD needed = 0;
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(),
                             static_cast<DWORD>(buffer.size() * sizeof(buffer[0])), &needed))
        return false;
    return EqualSid(sid, reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

// Administrators, SYSTEM and TrustedInstaller are recognised by their SIDs.
// Another user counts as an administrator only when it is the one running
// this program as an administrator: whether any other account belongs to
// Administrators is answered only by the account database (netapi32 or
// SAM), which an elevated program does not load for this. An entry owned by
// another administrator is then refused as foreign, which errs on the safe
// side.
OwnerKind owner_kind(PSID owner) {
    if (!owner || !IsValidSid(owner)) return OwnerKind::other;
    if (IsWellKnownSid(owner, WinBuiltinAdministratorsSid)) return OwnerKind::administrators;
    if (IsWellKnownSid(owner, WinLocalSystemSid)) return OwnerKind::system;
    if (is_trusted_installer(owner)) return OwnerKind::trusted_installer;
    if (is_this_administrator(owner)) return OwnerKind::administrator;
    return OwnerKind::other;
}

// An ACE as read from an ACL: its header leads, its SID follows the mask.
PSID ace_sid(ACCESS_ALLOWED_ACE* ace) {
    return &ace->SidStart;
}

}  // namespace

bool descriptor_of(const FileRights& rights, LocalMemory& descriptor) {
    return ConvertStringSecurityDescriptorToSecurityDescriptorW(
        to_wide(security_descriptor_text(rights)).c_str(), SDDL_REVISION_1, &descriptor.p,
        nullptr);
}

// SeTakeOwnershipPrivilege grants WRITE_OWNER on every file; an elevated
// administrator holds it but disabled. Without it (not elevated, or under a
// system without privileges) the calls report what they are refused.
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

DWORD read_entry_facts(HANDLE entry, bool read_owner, EntryFacts& facts) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(entry, &info)) return GetLastError();
    facts.attributes = info.dwFileAttributes;
    facts.links = info.nNumberOfLinks;
    facts.owner = OwnerKind::other;
    if (!read_owner) return ERROR_SUCCESS;
    PSID owner = nullptr;
    LocalMemory descriptor;
    if (GetSecurityInfo(entry, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor.p) == ERROR_SUCCESS)
        facts.owner = owner_kind(owner);
    return ERROR_SUCCESS;
}

DWORD link_bit_of_name(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & FILE_ATTRIBUTE_REPARSE_POINT;
}

bool is_plain_entry(const EntryFacts& facts) {
    return !(facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           ((facts.attributes & FILE_ATTRIBUTE_DIRECTORY) || facts.links <= 1);
}

// WRITE_OWNER comes with the privilege whatever the DACL says; WRITE_DAC
// comes to the owner's members, so it is asked for only once Administrators
// own the entry. The second handle reopens the same object (an empty name
// relative to the first), never the name, which may lead elsewhere by then.
DWORD give_rights(HANDLE entry, const FileRights& rights) {
    LocalMemory descriptor;
    if (!descriptor_of(rights, descriptor)) return GetLastError();
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor.p, &owner, &defaulted) ||
        !GetSecurityDescriptorDacl(descriptor.p, &present, &dacl, &defaulted) || !present)
        return ERROR_INVALID_SECURITY_DESCR;
    enable_take_ownership();
    DWORD status = SetSecurityInfo(entry, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner,
                                   nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return status;
    WinHandle writable;
    RelativeOpen how;
    how.access = READ_CONTROL | WRITE_DAC;  // the DACL is read before it is replaced
    status = open_relative(entry, L"", how, writable);
    if (status != ERROR_SUCCESS) return status;
    return SetSecurityInfo(writable.get(), SE_FILE_OBJECT,
                           DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                           nullptr, nullptr, dacl, nullptr);
}

// The folder's allow and deny rules that reach files (OBJECT_INHERIT_ACE),
// in the folder's order, as Windows gives them to a file created there:
// marked inherited, without inheritance flags of their own, generic rights
// mapped to file rights, CREATOR OWNER replaced by the file's owner. They
// are set as the file's whole DACL, unprotected, so that the file follows
// the folder from then on; its owner is left as it is.
DWORD give_inherited_rights(HANDLE folder, HANDLE file) {
    PACL folder_dacl = nullptr;
    LocalMemory folder_descriptor, file_descriptor;
    DWORD status = GetSecurityInfo(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                   nullptr, &folder_dacl, nullptr, &folder_descriptor.p);
    if (status != ERROR_SUCCESS) return status;
    PSID file_owner = nullptr;
    status = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &file_owner,
                             nullptr, nullptr, nullptr, &file_descriptor.p);
    if (status != ERROR_SUCCESS) return status;
    BYTE creator_owner[SECURITY_MAX_SID_SIZE];
    DWORD creator_size = sizeof(creator_owner);
    if (!CreateWellKnownSid(WinCreatorOwnerSid, nullptr, creator_owner, &creator_size))
        return GetLastError();
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    struct Rule {
        BYTE type;
        ACCESS_MASK mask;
        PSID sid;
    };
    std::vector<Rule> rules;
    // InitializeAcl takes the ACL's exact size: the header, then each ACE
    // without its SID's first DWORD, plus the SID.
    DWORD size = sizeof(ACL);
    const WORD count = folder_dacl ? folder_dacl->AceCount : 0;
    for (WORD i = 0; i < count; ++i) {
        void* raw = nullptr;
        if (!GetAce(folder_dacl, i, &raw)) return GetLastError();
        auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);  // deny ACEs have the same layout
        const BYTE type = ace->Header.AceType;
        if (!(ace->Header.AceFlags & OBJECT_INHERIT_ACE) ||
            (type != ACCESS_ALLOWED_ACE_TYPE && type != ACCESS_DENIED_ACE_TYPE))
            continue;
        PSID sid = EqualSid(ace_sid(ace), creator_owner) ? file_owner : ace_sid(ace);
        if (!sid || !IsValidSid(sid)) return ERROR_INVALID_SID;
        ACCESS_MASK mask = ace->Mask;
        MapGenericMask(&mask, &mapping);
        rules.push_back({type, mask, sid});
        size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
    }
    if (size > 65532) return ERROR_INVALID_ACL;  // an ACL's size is a WORD
    std::vector<std::uint64_t> storage((size + 7) / 8);
    PACL dacl = reinterpret_cast<PACL>(storage.data());
    if (!InitializeAcl(dacl, size, ACL_REVISION)) return GetLastError();
    for (const Rule& rule : rules) {
        const BOOL added =
            rule.type == ACCESS_ALLOWED_ACE_TYPE
                ? AddAccessAllowedAceEx(dacl, ACL_REVISION, INHERITED_ACE, rule.mask, rule.sid)
                : AddAccessDeniedAceEx(dacl, ACL_REVISION, INHERITED_ACE, rule.mask, rule.sid);
        if (!added) return GetLastError();
    }
    return SetSecurityInfo(file, SE_FILE_OBJECT,
                           DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
                           nullptr, nullptr, dacl, nullptr);
}

}  // namespace vh
