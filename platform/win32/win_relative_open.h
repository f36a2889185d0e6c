// Opening an entry relative to a folder that is already open: the name is
// looked up in that very folder, whatever its path has become since, and a
// link (junction, symbolic link) is opened as the link, never followed.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/win_handle.h"

namespace vh {

// How to open: the rights wanted, the sharing allowed to others, the NT
// create disposition (FILE_OPEN, FILE_CREATE) and options
// (FILE_DIRECTORY_FILE, FILE_NON_DIRECTORY_FILE); a security descriptor for
// an entry that is created.
struct RelativeOpen {
    ACCESS_MASK access = 0;
    ULONG share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    ULONG disposition = 1;  // FILE_OPEN
    ULONG options = 0;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
};

// Opens name (one component, no separators) in the folder open as folder;
// an empty name opens the object of folder itself again, with new rights.
// Gives the Windows error code, ERROR_SUCCESS when entry holds the handle.
DWORD open_relative(HANDLE folder, const std::wstring& name, const RelativeOpen& how,
                    WinHandle& entry);

}  // namespace vh
