// FileSystem on the Win32 file functions.
#pragma once

#include "platform/file_system.h"

namespace vh {

class WinFileSystem : public FileSystem {
public:
    FsError read_file(const std::string& path, std::string& content) override;
    FsError write_file(const std::string& path, const std::string& content) override;
    FsError move_file_replacing(const std::string& from, const std::string& to) override;
    FsError delete_file(const std::string& path) override;
    FsError check_replaceable(const std::string& path) override;
    FsError copy_file(const std::string& from, const std::string& to) override;
    FsError delete_stream(const std::string& path, const std::string& stream) override;
    FsError list_files(const std::string& dir, std::vector<std::string>& names) override;
    FsError find_file(const std::string& path, std::string& stored_name,
                      std::uint32_t& attributes) override;
    FsError create_directory(const std::string& path) override;
    FsError make_directory_path(const std::string& path) override;
    FsError remove_directory(const std::string& path) override;
    FsError get_attributes(const std::string& path, std::uint32_t& attributes) override;
    FsError set_attributes(const std::string& path, std::uint32_t attributes) override;
    FsError file_size(const std::string& path, std::uint64_t& size) override;
    FsError rewrite_file(const std::string& path, const std::string& content) override;
    // In win_file_rights.cpp.
    FsError set_rights(const std::string& path, const FileRights& rights) override;
    // In win_held_folder.cpp.
    FsError hold_drive_root(const std::string& drive, std::unique_ptr<HeldFolder>& root) override;
    // In win_log_file.cpp.
    FsError open_log(const std::string& path, std::unique_ptr<LogFile>& log) override;
    std::uint32_t windows_error(FsError error) const override;
};

// Maps a GetLastError code to the portable error.
FsError fs_error_from_win32(unsigned long code);
// The same, and keeps the code for windows_error when it is a failure.
FsError fs_error_recorded(unsigned long code);

}  // namespace vh
