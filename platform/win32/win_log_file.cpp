// The log of an elevated program, in a folder that others may be able to
// write: opened once, as the file itself, and checked before a byte goes in.
#include <windows.h>

#include <optional>

#include "platform/win32/wide.h"
#include "platform/win32/win_entry_security.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_handle.h"

namespace vh {

namespace {

class WinLogFile : public LogFile {
public:
    explicit WinLogFile(WinHandle file) : file_(std::move(file)) {}

    // Written over from the first byte, then cut to the new length, all
    // through the handle that was checked.
    FsError write_all(const std::string& content) override {
        LARGE_INTEGER start{};
        DWORD written = 0;
        if (!SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) ||
            (!content.empty() && !WriteFile(file_.get(), content.data(),
                                            static_cast<DWORD>(content.size()), &written,
                                            nullptr)) ||
            !SetEndOfFile(file_.get()))
            return fs_error_recorded(GetLastError());
        if (written != content.size()) return FsError::other;
        FlushFileBuffers(file_.get());
        return FsError::ok;
    }

private:
    WinHandle file_;
};

}  // namespace

// OPEN_ALWAYS never empties an existing file, so a refused file is left
// with every byte it had. FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic
// link as the link, whose attributes then say so; a folder is refused by
// CreateFileW itself without FILE_FLAG_BACKUP_SEMANTICS (access denied).
// Others may read the log while it is open, not write or delete it.
FsError WinFileSystem::open_log(const std::string& path, std::unique_ptr<LogFile>& log) {
    const std::optional<std::wstring> wide = to_wide_exact(path);
    if (!wide) return FsError::invalid_name;
    WinHandle file(CreateFileW(wide->c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return fs_error_recorded(GetLastError());
    EntryFacts facts;
    const DWORD status = read_entry_facts(file.get(), false, facts);
    if (status != ERROR_SUCCESS) return fs_error_recorded(status);
    facts.attributes |= link_bit_of_name(wide->c_str());
    if (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) return FsError::access_denied;
    if (!is_plain_entry(facts)) return FsError::link;
    log = std::make_unique<WinLogFile>(std::move(file));
    return FsError::ok;
}

}  // namespace vh
