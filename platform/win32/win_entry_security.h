// Facts and rights of an entry reached through its handle, never by name.
#pragma once

#include <windows.h>

#include "platform/file_rights.h"
#include "platform/held_folder.h"

namespace vh {

// Memory that a security function allocated with LocalAlloc.
struct LocalMemory {
    void* p = nullptr;
    LocalMemory() = default;
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;
    ~LocalMemory() {
        if (p) LocalFree(p);
    }
};

// rights as a self-relative security descriptor; false when Windows cannot
// read the text.
bool descriptor_of(const FileRights& rights, LocalMemory& descriptor);

// Turns on the take-ownership privilege of this process, once.
void enable_take_ownership();

// Attributes and number of names of the entry open as entry (which needs
// FILE_READ_ATTRIBUTES) and, when read_owner and the handle has
// READ_CONTROL, its owner; otherwise the owner stays OwnerKind::other.
DWORD read_entry_facts(HANDLE entry, bool read_owner, EntryFacts& facts);

// The reparse bit of the entry at path as its folder lists it, the last
// part not followed. Windows tells a link through the handle opened as the
// link already; Wine's stand-in for a junction, a Unix symbolic link, is
// opened as what it leads to and is told a link only by its name.
DWORD link_bit_of_name(const wchar_t* path);

// Whether an elevated program may write or re-right the entry in place:
// not a link, and a file with only this one name.
bool is_plain_entry(const EntryFacts& facts);

// Gives the entry open as entry (with WRITE_OWNER) this owner first, then,
// through a second handle to the same object, these rights as a protected
// DACL.
DWORD give_rights(HANDLE entry, const FileRights& rights);

// Gives the file open as file (with READ_CONTROL and WRITE_DAC) what it
// inherits from the folder open as folder (with READ_CONTROL).
DWORD give_inherited_rights(HANDLE folder, HANDLE file);

}  // namespace vh
