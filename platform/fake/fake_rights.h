// The rights the fake file system checks, one bit each: coarser than
// Windows' access mask, fine enough for who may add, change and delete.
#pragma once

#include <cstdint>

#include "platform/file_rights.h"

namespace vh::fake_rights {

constexpr std::uint32_t read = 1;           // read, list, run
constexpr std::uint32_t write = 2;          // write a file's data; add a file to a folder
constexpr std::uint32_t add_folder = 4;     // add a subfolder (or append to a file)
constexpr std::uint32_t remove = 8;         // delete the entry itself
constexpr std::uint32_t remove_child = 16;  // delete any entry of the folder
constexpr std::uint32_t change_rights = 32; // its owner and rules
constexpr std::uint32_t all = 63;

constexpr std::uint32_t of(Access access) {
    switch (access) {
    case Access::full_control: return all;
    case Access::read_execute: return read;
    case Access::read_execute_write: return read | write | add_folder;
    case Access::modify: return read | write | add_folder | remove;
    case Access::read_execute_add_files: return read | write;
    }
    return 0;
}

// The account a trustee names, as the fake spells owners and rules.
inline const char* account_of(Trustee trustee) {
    return trustee_sddl(trustee);
}

}  // namespace vh::fake_rights
