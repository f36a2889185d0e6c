// The rights the installer gives the installation tree. Administrators own
// every part of it and SYSTEM and Administrators have full control; users
// may read and run it, and change only what the console of every user
// writes: the settings file (written over in place, never deleted) and the
// alias folders, where each adds alias files and changes and deletes his
// own, but cannot change the folders themselves. Nothing is inherited from above the tree,
// so rights given to users on C:\ never reach it.
#pragma once

#include <string>
#include <vector>

#include "platform/file_rights.h"

namespace vh {

struct PathRights {
    std::string path;
    FileRights rights;
};

// The folders, each before the folders inside it, from the folder that
// holds the installation directory down.
std::vector<PathRights> tree_folder_rights();

// The files the installer puts into the tree.
std::vector<PathRights> tree_file_rights();

}  // namespace vh
