// Where the product's Start-menu folder lies: inside the Programs folder of
// all users' Start menu, which the installer and the uninstaller look up the
// same way.
#pragma once

#include <string>

#include "platform/registry.h"
#include "platform/shell_folders.h"

namespace vh {

// The registry's "Common Programs", or else the shell's answer (when there
// is a shell to ask); empty when neither names the folder.
std::string common_programs_folder(Registry& registry, ShellFolders* shell);

}  // namespace vh
