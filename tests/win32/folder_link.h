// A link to a folder, as a standard user makes one where he may write, for
// the tests of the elevated programs. On Windows it is a junction (a mount
// point). Programs under Wine cannot make junctions; a Unix symbolic link to
// a folder, made from the Linux side, is what Wine shows as one (a directory
// with the reparse-point attribute, followed when opened by name). Wine's
// DeleteFileW and RemoveDirectoryW on it would act on the folder it leads
// to, so it is removed from the Linux side there.
#pragma once

#include <string>

namespace vh::testing {

// Makes link (which must not exist) lead to the existing folder target.
bool make_folder_link(const std::wstring& link, const std::wstring& target);
// Removes the link itself, never what it leads to; nothing when the name is
// not a link.
void remove_folder_link(const std::wstring& link);
// Whether the name is a link (a reparse point), as its folder lists it.
bool is_folder_link(const std::wstring& path);

}  // namespace vh::testing
