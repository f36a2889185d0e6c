#include "platform/win32/win_shell_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/wide.h"

namespace vh {

// The folder is not created when it is missing: a failure gives nothing.
std::string WinShellFolders::common_programs() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT,
                                path)))
        return {};
    std::wstring folder(path);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return to_utf8(folder);
}

}  // namespace vh
