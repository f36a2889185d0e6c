// The product's entry in Apps & features ("Programs and Features"): the
// values Windows shows for it and the command it runs to remove it, under
// HKEY_LOCAL_MACHINE\<product::uninstall_key>. The installer writes it; the
// uninstaller removes it once the tree is gone.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace vh {

// The uninstaller's path, in quotes, as Windows runs it.
std::string uninstall_command(const std::string& uninstaller_path);

// Writes every value of the entry for the installed tree; estimated_size_kb
// is what the installation takes on disk. DisplayName comes last, so that
// a write that stops half-way leaves no entry that Windows lists. Gives the
// status of the first refused call, reg_ok when all are written.
long write_uninstall_entry(Registry& registry, std::uint32_t estimated_size_kb);

enum class EntryRemoval {
    absent,      // no entry
    not_ours,    // its UninstallString starts another program: left alone
    removed,
    failed,      // could not be read or deleted
};

// Removes the entry when its UninstallString starts the uninstaller at
// uninstaller_path (with or without quotes, in any letter case).
EntryRemoval remove_uninstall_entry(Registry& registry, const std::string& uninstaller_path);

// Kilobytes for a size in bytes, rounded up, as Windows shows sizes.
std::uint32_t size_in_kb(std::uint64_t bytes);

}  // namespace vh
