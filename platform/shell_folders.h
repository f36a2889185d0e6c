// Folders that the Windows shell knows, for when the registry has no word.
#pragma once

#include <string>

namespace vh {

class ShellFolders {
public:
    virtual ~ShellFolders() = default;
    // The Start menu's Programs folder of all users (CSIDL_COMMON_PROGRAMS),
    // without a trailing backslash; empty when the shell cannot give it.
    virtual std::string common_programs() = 0;
};

}  // namespace vh
