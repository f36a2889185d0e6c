#include "shared/start_menu.h"

#include "shared/product.h"
#include "shared/registry_strings.h"

namespace vh {

std::string common_programs_folder(Registry& registry, ShellFolders* shell) {
    std::string programs = getstring(registry, hkey_local_machine, product::shell_folders_key,
                                     product::common_programs_value);
    if (programs.empty() && shell) programs = shell->common_programs();
    return programs;
}

}  // namespace vh
