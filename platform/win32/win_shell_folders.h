// The shell's own answer for its folders (shell32).
#pragma once

#include "platform/shell_folders.h"

namespace vh {

class WinShellFolders : public ShellFolders {
public:
    std::string common_programs() override;
};

}  // namespace vh
