#include "setup/tree_rights.h"

#include "shared/product.h"

namespace vh {

namespace {

using enum Trustee;
using enum Access;
using enum Reach;

std::string parent_of_install_dir() {
    const std::string dir = product::install_dir;
    return dir.substr(0, dir.rfind('\\'));
}

FileRights closed_folder_rights() {
    return {administrators,
            {{system, full_control, this_and_contents},
             {administrators, full_control, this_and_contents},
             {users, read_execute, this_and_contents}}};
}

// Every user lists the folder, reads and runs every alias and adds his own;
// only an alias's author (its owner, through CREATOR OWNER, as Windows does
// for what users create under C:\) changes or deletes it; the folder itself
// only administrators change.
FileRights alias_folder_rights() {
    return {administrators,
            {{system, full_control, this_and_contents},
             {administrators, full_control, this_and_contents},
             {users, read_execute_add_files, this_only},
             {users, read_execute, files_only},
             {creator_owner, modify, files_only}}};
}

FileRights closed_file_rights() {
    return {administrators,
            {{system, full_control, this_only},
             {administrators, full_control, this_only},
             {users, read_execute, this_only}}};
}

FileRights settings_rights() {
    return {administrators,
            {{system, full_control, this_only},
             {administrators, full_control, this_only},
             {users, read_execute_write, this_only}}};
}

}  // namespace

std::vector<PathRights> tree_folder_rights() {
    using namespace product;
    return {
        {parent_of_install_dir(), closed_folder_rights()},
        {install_dir, closed_folder_rights()},
        {skins_dir, closed_folder_rights()},
        {aliases_dir, closed_folder_rights()},
        {program_alias_dir, alias_folder_rights()},
        {folder_alias_dir, alias_folder_rights()},
    };
}

std::vector<PathRights> tree_file_rights() {
    using namespace product;
    std::vector<PathRights> files = {
        {console_program, closed_file_rights()},
        {std::string(install_dir) + "\\" + uninstaller_name, closed_file_rights()},
        {icon_file, closed_file_rights()},
        {readme_file, closed_file_rights()},
        {product::settings_file, settings_rights()},
    };
    for (char n = '1'; n <= '6'; ++n)
        files.push_back({skin_path_prefix + std::string(" ") + n + ".jpg", closed_file_rights()});
    return files;
}

}  // namespace vh
