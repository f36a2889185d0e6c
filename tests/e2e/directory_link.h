// A link to a folder, as a standard user makes one in the installation
// tree (tests/win32/folder_link.h), named in the end-to-end tests' UTF-8.
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
