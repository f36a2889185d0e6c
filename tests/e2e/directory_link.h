// A link to a folder, as a standard user makes one in the installation tree.
// Programs under Wine cannot make junctions; a Unix symbolic link to a
// folder, made from the Linux side, is what Wine shows as one (a directory
// with the reparse-point attribute, followed when opened by name). Wine's
// DeleteFileW and RemoveDirectoryW on it would act on the folder it leads
// to, so it is removed from the Linux side too.
#pragma once

#include <string>

namespace vh::e2e {

// Makes link (which must not exist) lead to the existing folder target.
bool make_directory_link(const std::string& link, const std::string& target);
// Removes the link itself, never what it leads to; nothing when the name
// is not a link.
void remove_directory_link(const std::string& link);
// Whether the name is a link (a reparse point), as its folder lists it.
bool is_directory_link(const std::string& path);

}  // namespace vh::e2e
