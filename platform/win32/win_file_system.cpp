#include "platform/win32/win_file_system.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "platform/names.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/wide.h"

namespace vh {

namespace {
// ERROR_REPARSE_POINT_ENCOUNTERED, which MinGW-w64's headers do not name.
constexpr DWORD reparse_point_encountered = 4395;
}  // namespace

FsError fs_error_from_win32(unsigned long code) {
    switch (code) {
        case ERROR_SUCCESS: return FsError::ok;
        case ERROR_FILE_NOT_FOUND: return FsError::file_not_found;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME: return FsError::path_not_found;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT: return FsError::access_denied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return FsError::sharing_violation;
        case ERROR_DIR_NOT_EMPTY: return FsError::dir_not_empty;
        case reparse_point_encountered: return FsError::link;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS: return FsError::already_exists;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE: return FsError::invalid_name;
        default: return FsError::other;
    }
}

namespace {

// The Windows code of this thread's last failed call, for windows_error.
thread_local DWORD last_failure = ERROR_SUCCESS;

}  // namespace

FsError fs_error_recorded(unsigned long code) {
    if (code != ERROR_SUCCESS) last_failure = code;
    return fs_error_from_win32(code);
}

namespace {

FsError recorded(DWORD code) {
    return fs_error_recorded(code);
}

FsError last_error() {
    return recorded(GetLastError());
}

FsError result(BOOL ok) {
    return ok ? FsError::ok : last_error();
}

// A path that is not UTF-8 names no file: it is refused before any call,
// so that no other file is ever touched in its place.
using WidePath = std::optional<std::wstring>;
WidePath wide_path(const std::string& path) {
    return to_wide_exact(path);
}

DWORD attributes_of(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

// Windows refuses to replace a read-only file, and to re-create a hidden or
// system file without naming those attributes; Wine lets both through. The
// checks make every host give Windows' answer.
bool refuses_replacement(const std::wstring& path, DWORD protecting) {
    const DWORD attributes = attributes_of(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & protecting);
}

}  // namespace

FsError WinFileSystem::read_file(const std::string& path, std::string& content) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    WinHandle file(CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return last_error();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024)
        return FsError::other;
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!data.empty() &&
        (!ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr) ||
         got != data.size()))
        return last_error();
    content = std::move(data);
    return FsError::ok;
}

FsError WinFileSystem::write_file(const std::string& path, const std::string& content) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    if (refuses_replacement(*wide, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                       FILE_ATTRIBUTE_SYSTEM))
        return FsError::access_denied;
    WinHandle file(CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return last_error();
    DWORD written = 0;
    if (!content.empty() &&
        (!WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                    nullptr) ||
         written != content.size()))
        return last_error();
    return file.close() ? FsError::ok : last_error();
}

FsError WinFileSystem::move_file_replacing(const std::string& from, const std::string& to) {
    const WidePath wide_from = wide_path(from), wide_to = wide_path(to);
    if (!wide_from || !wide_to) return FsError::invalid_name;
    if (refuses_replacement(*wide_to, FILE_ATTRIBUTE_READONLY) &&
        attributes_of(*wide_from) != INVALID_FILE_ATTRIBUTES)
        return FsError::access_denied;
    return result(MoveFileExW(wide_from->c_str(), wide_to->c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

FsError WinFileSystem::delete_file(const std::string& path) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    return result(DeleteFileW(wide->c_str()));
}

// Opening the file for writing and deleting, sharing nothing, is refused
// while any other handle is open on it, and Windows refuses write access
// to the program file of a running process (its image is mapped) with a
// sharing violation, whichever session runs it. OPEN_EXISTING with no
// truncation leaves the file as it was; the handle is closed at once.
FsError WinFileSystem::check_replaceable(const std::string& path) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    const DWORD attributes = attributes_of(*wide);
    if (attributes == INVALID_FILE_ATTRIBUTES) return last_error();
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY |
                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        return FsError::access_denied;
    WinHandle file(CreateFileW(wide->c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? FsError::ok : last_error();
}

FsError WinFileSystem::copy_file(const std::string& from, const std::string& to) {
    const WidePath wide_from = wide_path(from), wide_to = wide_path(to);
    if (!wide_from || !wide_to) return FsError::invalid_name;
    if (refuses_replacement(*wide_to, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                          FILE_ATTRIBUTE_SYSTEM) &&
        attributes_of(*wide_from) != INVALID_FILE_ATTRIBUTES)
        return FsError::access_denied;
    // The source is opened first without following a link and held, without
    // write or delete sharing, while CopyFileW copies it: a package in a
    // folder users can write may name, through a link or a second name, a
    // file only administrators may read, which an elevated copy would
    // otherwise carry to where users read it.
    WinHandle source(CreateFileW(wide_from->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!source) return last_error();
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(source.get(), &info)) return last_error();
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks > 1) {
        recorded(reparse_point_encountered);
        return FsError::link;
    }
    return result(CopyFileW(wide_from->c_str(), wide_to->c_str(), FALSE));
}

// A stream is named after its file and a colon. On a file system without
// streams (FAT) the name is refused as invalid; there is nothing to delete.
FsError WinFileSystem::delete_stream(const std::string& path, const std::string& stream) {
    const WidePath wide = wide_path(path), wide_stream = wide_path(stream);
    if (!wide || !wide_stream) return FsError::invalid_name;
    if (attributes_of(*wide) == INVALID_FILE_ATTRIBUTES) return last_error();
    if (DeleteFileW((*wide + L":" + *wide_stream).c_str())) return FsError::ok;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_INVALID_NAME ||
        code == ERROR_INVALID_PARAMETER)
        return FsError::ok;
    return recorded(code);
}

FsError WinFileSystem::list_files(const std::string& dir, std::vector<std::string>& names) {
    const WidePath wide = wide_path(dir);
    if (!wide) return FsError::invalid_name;
    const DWORD attributes = attributes_of(*wide);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FsError::path_not_found;
    std::wstring pattern = *wide;
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    names.clear();
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND ? FsError::ok : recorded(code);
    }
    const DWORD skipped =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if (!(found.dwFileAttributes & skipped)) names.push_back(to_utf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return name_less(a, b); });
    return FsError::ok;
}

// FindFirstFileW also matches a short 8.3 name, so the entries it gives are
// walked until one whose own name is the one asked for.
FsError WinFileSystem::find_file(const std::string& path, std::string& stored_name,
                                 std::uint32_t& attributes) {
    if (path.find_first_of("*?") != std::string::npos) return FsError::invalid_name;
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    const std::size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(wide->c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return last_error();
    bool matched = false;
    do {
        matched = names_equal_ignoring_case(to_utf8(found.cFileName), name);
    } while (!matched && FindNextFileW(search, &found));
    FindClose(search);
    if (!matched) return FsError::file_not_found;
    stored_name = to_utf8(found.cFileName);
    attributes = found.dwFileAttributes;
    return FsError::ok;
}

FsError WinFileSystem::create_directory(const std::string& path) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    return result(CreateDirectoryW(wide->c_str(), nullptr));
}

// Each directory of the path in turn, from the drive down; one that is
// already there is left as it is. A path not ending in a backslash names a
// file last, which is not created.
FsError WinFileSystem::make_directory_path(const std::string& path) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    const std::size_t first = wide->size() > 2 && (*wide)[1] == L':' ? 3 : 0;
    for (std::size_t end = wide->find(L'\\', first); end != std::wstring::npos;
         end = wide->find(L'\\', end + 1)) {
        const std::wstring level = wide->substr(0, end);
        if (level.empty()) continue;
        if (CreateDirectoryW(level.c_str(), nullptr)) continue;
        const DWORD code = GetLastError();
        if (code != ERROR_ALREADY_EXISTS) return recorded(code);
        const DWORD existing = attributes_of(level);
        if (existing == INVALID_FILE_ATTRIBUTES || !(existing & FILE_ATTRIBUTE_DIRECTORY))
            return FsError::already_exists;  // a file stands where a directory must go
    }
    return FsError::ok;
}

FsError WinFileSystem::remove_directory(const std::string& path) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    return result(RemoveDirectoryW(wide->c_str()));
}

FsError WinFileSystem::get_attributes(const std::string& path, std::uint32_t& attributes) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    const DWORD value = attributes_of(*wide);
    if (value == INVALID_FILE_ATTRIBUTES) return last_error();
    attributes = value;
    return FsError::ok;
}

FsError WinFileSystem::set_attributes(const std::string& path, std::uint32_t attributes) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    return result(
        SetFileAttributesW(wide->c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL));
}

FsError WinFileSystem::file_size(const std::string& path, std::uint64_t& size) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) return last_error();
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FsError::access_denied;
    size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return FsError::ok;
}

// The whole content goes in one WriteFile at offset 0 of the file as it
// stands: nothing truncates it first, so until the write is done the old
// bytes are all there. With write-through the call returns once the data is
// on the disk; the flush covers the size when it changes. No other program
// may open the file meanwhile, so no reader sees a write in progress.
FsError WinFileSystem::rewrite_file(const std::string& path, const std::string& content) {
    const WidePath wide = wide_path(path);
    if (!wide) return FsError::invalid_name;
    if (refuses_replacement(*wide, FILE_ATTRIBUTE_READONLY)) return FsError::access_denied;
    WinHandle file(CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file) return last_error();
    LARGE_INTEGER old_size{};
    if (!GetFileSizeEx(file.get(), &old_size)) return last_error();
    DWORD written = 0;
    if (!content.empty() && !WriteFile(file.get(), content.data(),
                                       static_cast<DWORD>(content.size()), &written, nullptr))
        return last_error();
    if (written != content.size()) return FsError::other;
    if (static_cast<std::uint64_t>(old_size.QuadPart) > content.size() &&
        !SetEndOfFile(file.get()))
        return last_error();
    if (!FlushFileBuffers(file.get())) return last_error();
    return file.close() ? FsError::ok : last_error();
}

// A refusal that no call gave (a name that is not UTF-8, a read-only file
// refused before the call) has no code of its own: the code it stands for.
std::uint32_t WinFileSystem::windows_error(FsError error) const {
    if (last_failure != ERROR_SUCCESS && fs_error_from_win32(last_failure) == error)
        return last_failure;
    return windows_error_code(error);
}

}  // namespace vh
