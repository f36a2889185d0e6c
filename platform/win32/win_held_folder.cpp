// Held folders, for the elevated programs: see platform/held_folder.h.
#include "platform/win32/win_held_folder.h"

#include <winternl.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/file_system.h"
#include "platform/names.h"
#include "platform/win32/wide.h"
#include "platform/win32/win_entry_security.h"
#include "platform/win32/win_file_system.h"

namespace vh {

namespace {

// One component of a name, nothing that could climb out of the folder or
// name a stream: not empty, not "." or "..", no separator, no colon.
std::optional<std::wstring> single_name(const std::string& name) {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string("\\/:\0", 4)) != std::string::npos)
        return std::nullopt;
    return to_wide_exact(name);
}

// A file where a folder was asked for (STATUS_NOT_A_DIRECTORY) is refused
// like a folder where a file was asked for.
FsError error_of(DWORD code) {
    return fs_error_recorded(code == ERROR_DIRECTORY ? ERROR_ACCESS_DENIED : code);
}

FsError held(WinHandle handle, std::unique_ptr<HeldFolder>& child) {
    EntryFacts facts;
    const DWORD status = read_entry_facts(handle.get(), true, facts);
    if (status != ERROR_SUCCESS) return error_of(status);
    child = std::make_unique<WinHeldFolder>(std::move(handle), facts);
    return FsError::ok;
}

RelativeOpen folder_open(ULONG disposition) {
    RelativeOpen how;
    how.access = held_folder_access;
    how.share = held_folder_share;
    how.disposition = disposition;
    how.options = FILE_DIRECTORY_FILE;
    return how;
}

// Read-only stops the deletion of a file; it is cleared through the same
// handle first and put back when the entry stays.
bool set_attributes(HANDLE entry, DWORD attributes) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(entry, FileBasicInfo, &basic, sizeof(basic));
}

}  // namespace

FsError WinFileSystem::hold_drive_root(const std::string& drive,
                                       std::unique_ptr<HeldFolder>& root) {
    if (drive.size() != 2 || drive[1] != ':' || !std::isalpha(static_cast<unsigned char>(drive[0])))
        return FsError::invalid_name;
    const std::wstring path = L"\\\\?\\" + to_wide(drive) + L"\\";
    WinHandle handle(CreateFileW(path.c_str(), held_folder_access, held_folder_share, nullptr,
                                 OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr));
    if (!handle) return error_of(GetLastError());
    return held(std::move(handle), root);
}

FsError WinHeldFolder::open_entry(const std::string& name, RelativeOpen how, WinHandle& entry) {
    if (facts_.attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FsError::link;
    const std::optional<std::wstring> wide = single_name(name);
    if (!wide) return FsError::invalid_name;
    return error_of(open_relative(handle_.get(), *wide, how, entry));
}

// FileIdBothDirectoryRestartInfo starts from the first entry, then
// FileIdBothDirectoryInfo goes on until ERROR_NO_MORE_FILES; each call
// fills the buffer with as many records as fit, chained by NextEntryOffset.
// Each record is given to take, its short 8.3 name too.
namespace {
template <typename Take>
DWORD list_records(HANDLE folder, Take take) {
    std::vector<std::uint64_t> buffer(8192);  // 64 KB, 8-byte aligned records
    const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(buffer[0]));
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;;
         kind = FileIdBothDirectoryInfo) {
        if (!GetFileInformationByHandleEx(folder, kind, buffer.data(), size)) {
            const DWORD code = GetLastError();
            return code == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : code;
        }
        const auto* bytes = reinterpret_cast<const BYTE*>(buffer.data());
        for (DWORD offset = 0;;) {
            const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
            const std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
            const std::wstring short_name(record->ShortName,
                                          record->ShortNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") take(name, short_name, record->FileAttributes);
            if (!record->NextEntryOffset) break;
            offset += record->NextEntryOffset;
        }
    }
}
}  // namespace

FsError WinHeldFolder::list(std::vector<FolderEntry>& entries) {
    if (facts_.attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FsError::link;
    std::vector<FolderEntry> found;
    const DWORD status = list_records(
        handle_.get(), [&](const std::wstring& name, const std::wstring&, DWORD attributes) {
            found.push_back({to_utf8(name), attributes});
        });
    if (status != ERROR_SUCCESS) return error_of(status);
    std::sort(found.begin(), found.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return name_less(a.name, b.name);
    });
    entries = std::move(found);
    return FsError::ok;
}

// Windows tells a junction or symbolic link by the attributes of the
// entry's own handle, opened as the link. Wine's stand-in for a junction, a
// Unix symbolic link, is opened as what it leads to and is told a link only
// in its folder's listing: the listing is asked too, through a second
// handle to this folder (a listing handle keeps its position).
DWORD WinHeldFolder::read_facts(const std::string& name, HANDLE entry, bool read_owner,
                                EntryFacts& facts) {
    DWORD status = read_entry_facts(entry, read_owner, facts);
    if (status != ERROR_SUCCESS) return status;
    RelativeOpen how;
    how.access = FILE_LIST_DIRECTORY;
    WinHandle folder;
    status = open_relative(handle_.get(), L"", how, folder);
    if (status != ERROR_SUCCESS) return status;
    return list_records(folder.get(), [&](const std::wstring& found,
                                          const std::wstring& short_name, DWORD attributes) {
        if (names_equal_ignoring_case(to_utf8(found), name) ||
            (!short_name.empty() && names_equal_ignoring_case(to_utf8(short_name), name)))
            facts.attributes |= attributes & FILE_ATTRIBUTE_REPARSE_POINT;
    });
}

// The owner needs READ_CONTROL, which the entry's own DACL may deny to
// administrators; the attributes come with listing the folder. Such an
// entry is told as one whose owner cannot be read.
FsError WinHeldFolder::entry_facts(const std::string& name, EntryFacts& facts) {
    RelativeOpen how;
    how.access = FILE_READ_ATTRIBUTES | READ_CONTROL;
    WinHandle entry;
    FsError error = open_entry(name, how, entry);
    const bool owner_readable = error != FsError::access_denied;
    if (!owner_readable) {
        how.access = FILE_READ_ATTRIBUTES;
        error = open_entry(name, how, entry);
    }
    if (error != FsError::ok) return error;
    return error_of(read_facts(name, entry.get(), owner_readable, facts));
}

FsError WinHeldFolder::hold(const std::string& name, std::unique_ptr<HeldFolder>& child) {
    WinHandle handle;
    const FsError error = open_entry(name, folder_open(FILE_OPEN), handle);
    if (error != FsError::ok) return error;
    EntryFacts facts;
    const DWORD status = read_facts(name, handle.get(), true, facts);
    if (status != ERROR_SUCCESS) return error_of(status);
    child = std::make_unique<WinHeldFolder>(std::move(handle), facts);
    return FsError::ok;
}

// The security descriptor goes with the creation itself, so there is no
// moment when the folder has the rights it would inherit.
FsError WinHeldFolder::create(const std::string& name, const FileRights& rights,
                              std::unique_ptr<HeldFolder>& child) {
    LocalMemory descriptor;
    if (!descriptor_of(rights, descriptor)) return error_of(GetLastError());
    RelativeOpen how = folder_open(FILE_CREATE);
    how.descriptor = descriptor.p;
    WinHandle handle;
    const FsError error = open_entry(name, how, handle);
    return error == FsError::ok ? held(std::move(handle), child) : error;
}

// The entry itself is opened (a link as the link) and marked for deletion
// through its handle: the name goes when the handle closes. Windows refuses
// the mark for a folder that is not empty.
FsError WinHeldFolder::remove(const std::string& name) {
    RelativeOpen how;
    how.access = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
    WinHandle entry;
    const FsError error = open_entry(name, how, entry);
    if (error != FsError::ok) return error;
    EntryFacts facts;  // only the attributes: a link goes as a link all the same
    DWORD status = read_entry_facts(entry.get(), false, facts);
    if (status != ERROR_SUCCESS) return error_of(status);
    const bool read_only = facts.attributes & FILE_ATTRIBUTE_READONLY;
    if (read_only && !set_attributes(entry.get(), facts.attributes & ~FILE_ATTRIBUTE_READONLY))
        return error_of(GetLastError());
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition,
                                   sizeof(disposition)))
        return entry.close() ? FsError::ok : error_of(GetLastError());
    status = GetLastError();
    if (read_only) set_attributes(entry.get(), facts.attributes);
    return error_of(status);
}

FsError WinHeldFolder::set_rights(const FileRights& rights) {
    if (facts_.attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FsError::link;
    enable_take_ownership();
    WinHandle entry;
    RelativeOpen how;
    how.access = READ_CONTROL | WRITE_OWNER;
    const DWORD status = open_relative(handle_.get(), L"", how, entry);
    if (status != ERROR_SUCCESS) return error_of(status);
    return error_of(give_rights(entry.get(), rights));
}

// Any kind of entry is opened, so that a link to a folder is told as a
// link rather than as a folder.
FsError WinHeldFolder::open_plain_file(const std::string& name, ACCESS_MASK access,
                                       WinHandle& file) {
    RelativeOpen how;
    how.access = access | FILE_READ_ATTRIBUTES;
    const FsError error = open_entry(name, how, file);
    if (error != FsError::ok) return error;
    EntryFacts facts;
    const DWORD status = read_facts(name, file.get(), false, facts);
    if (status != ERROR_SUCCESS) return error_of(status);
    if (!is_plain_entry(facts)) return FsError::link;
    return facts.attributes & FILE_ATTRIBUTE_DIRECTORY ? FsError::access_denied : FsError::ok;
}

FsError WinHeldFolder::set_file_rights(const std::string& name, const FileRights& rights) {
    enable_take_ownership();
    WinHandle file;
    const FsError error = open_plain_file(name, READ_CONTROL | WRITE_OWNER, file);
    return error == FsError::ok ? error_of(give_rights(file.get(), rights)) : error;
}

FsError WinHeldFolder::inherit_file_rights(const std::string& name) {
    WinHandle file;
    const FsError error = open_plain_file(name, READ_CONTROL | WRITE_DAC, file);
    return error == FsError::ok ? error_of(give_inherited_rights(handle_.get(), file.get()))
                                : error;
}

}  // namespace vh
