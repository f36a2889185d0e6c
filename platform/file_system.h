// The file-system operations the three programs need, as Windows performs
// them. Paths and names are UTF-8 (text that is not UTF-8 names no file:
// invalid_name); names compare without regard to letter case but keep the
// case they were created with. File contents are bytes, never converted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_rights.h"
#include "platform/held_folder.h"

namespace vh {

enum class FsError {
    ok,
    file_not_found,     // the file itself is missing
    path_not_found,     // a directory on the way is missing
    access_denied,      // read-only file, directory where a file was expected...
    sharing_violation,  // the file is open in another program
    dir_not_empty,
    already_exists,
    invalid_name,
    // A link (junction, symbolic link) or a file with more than one name,
    // where an elevated program neither follows nor writes in place.
    link,
    other,
};

// Windows file attribute bits, with their Windows values.
namespace attr {
constexpr std::uint32_t read_only = 0x01;
constexpr std::uint32_t hidden = 0x02;
constexpr std::uint32_t system = 0x04;
constexpr std::uint32_t directory = 0x10;
constexpr std::uint32_t archive = 0x20;
constexpr std::uint32_t reparse_point = 0x400;  // a junction or a symbolic link
}  // namespace attr

// The Windows error code that each error stands for (0 for ok and other).
std::uint32_t windows_error_code(FsError error);

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Reads the whole file.
    virtual FsError read_file(const std::string& path, std::string& content) = 0;
    // Creates the file or empties an existing one, then writes content.
    virtual FsError write_file(const std::string& path, const std::string& content) = 0;
    // Renames a file, replacing an existing destination in one step.
    virtual FsError move_file_replacing(const std::string& from, const std::string& to) = 0;
    virtual FsError delete_file(const std::string& path) = 0;
    // Whether an existing file could be replaced or deleted now, changing
    // nothing: ok; file_not_found or path_not_found when it is not there;
    // sharing_violation while a program holds it open or runs it;
    // access_denied for a directory, a read-only, hidden or system file, or
    // one the rights protect.
    virtual FsError check_replaceable(const std::string& path) = 0;
    // Copies the bytes of from to to, replacing an existing to. As Windows'
    // CopyFile does, the copy also takes the source's alternate data streams.
    // The source is opened without following a link: one that is a link or
    // has more than one name is refused with FsError::link.
    virtual FsError copy_file(const std::string& from, const std::string& to) = 0;
    // Deletes the named alternate data stream of a file, such as the
    // "Zone.Identifier" that marks a downloaded file. ok when the file has
    // no such stream, or lies where the file system keeps no streams;
    // file_not_found or path_not_found when the file itself is missing.
    virtual FsError delete_stream(const std::string& path, const std::string& stream) = 0;
    // Names (no path) of the files in dir that are neither hidden nor
    // system, without subdirectories, in ascending order of name.
    virtual FsError list_files(const std::string& dir, std::vector<std::string>& names) = 0;
    // Looks up one directory entry by its full path, without listing the
    // directory: gives the name as stored (its case may differ from the
    // path's) and its attributes; directories, hidden and system files are
    // found too. file_not_found when the directory has no such entry,
    // path_not_found when the directory is missing; a path holding the
    // wildcards * or ? is refused as invalid_name.
    virtual FsError find_file(const std::string& path, std::string& stored_name,
                              std::uint32_t& attributes) = 0;
    // Creates one directory whose parent exists; already_exists if it is there.
    virtual FsError create_directory(const std::string& path) = 0;
    // Creates every missing directory of a path ending in a backslash.
    virtual FsError make_directory_path(const std::string& path) = 0;
    // Removes an empty directory.
    virtual FsError remove_directory(const std::string& path) = 0;
    virtual FsError get_attributes(const std::string& path, std::uint32_t& attributes) = 0;
    virtual FsError set_attributes(const std::string& path, std::uint32_t attributes) = 0;

    // The size of a file in bytes.
    virtual FsError file_size(const std::string& path, std::uint64_t& size) = 0;
    // Writes content over an existing file from its first byte, in one
    // write that reaches the disk before it returns, then cuts the file to
    // content's length. The file is never emptied or replaced, so it needs
    // only the right to write that file, not to add files to its folder.
    // file_not_found when there is no such file.
    virtual FsError rewrite_file(const std::string& path, const std::string& content) = 0;
    // Gives a file or folder the owner and the explicit rights described,
    // replacing its own and inheriting nothing from its parent. The entry is
    // opened without following a link: a link, or a file with more than one
    // name, is refused with FsError::link and left as it is.
    virtual FsError set_rights(const std::string& path, const FileRights& rights) = 0;

    // The handle-based layer of the elevated programs (platform/held_folder.h).
    // Opens the root folder of a drive ("C:") and holds it; every folder
    // below is reached from there through HeldFolder::hold.
    virtual FsError hold_drive_root(const std::string& drive,
                                    std::unique_ptr<HeldFolder>& root) = 0;
    // Opens the log at path once, creating it when missing, without
    // following a link: a link or a file with more than one name is refused
    // with FsError::link, a folder with access_denied, and left as it is.
    virtual FsError open_log(const std::string& path, std::unique_ptr<LogFile>& log) = 0;

    // The Windows error code behind a failure that the last operation gave:
    // the one Windows gave, where the implementation knows it, else the code
    // that stands for the error (0 for ok and for other).
    virtual std::uint32_t windows_error(FsError error) const { return windows_error_code(error); }
};

}  // namespace vh
