// Whether a typed alias name can serve as the name of an alias file: only a
// plain file name directly inside its alias directory is accepted, so that no
// alias command can reach a file anywhere else.
#pragma once

#include <string_view>

namespace vh {

// False for: the empty name; names holding \ / : * ? " < > | or a control
// character; "." and ".."; names ending in a dot or a blank (Windows would
// drop those and use another name); the reserved device names CON, PRN, AUX,
// NUL, COM1..COM9, LPT1..LPT9, CONIN$ and CONOUT$, also with an extension;
// names longer than a file name may be, or too long to follow directory
// (both counted in the characters Windows counts); names with a character
// that the alias files' code page, Windows-1251, does not have.
bool is_usable_alias_name(std::string_view name, std::string_view directory);

}  // namespace vh
