// The handle-based layer of the elevated programs. Setup and the uninstaller
// run as an administrator or as LocalSystem in a tree at the root of C:,
// where every user may create folders, and two of whose folders stay
// writable by every user. A name there can be pointed elsewhere by a user at
// any moment (a junction, a symbolic link, a hard link, a folder renamed
// away), so the elevated programs reach the tree only through folders that
// they hold open:
// - each level is opened relative to its held parent, without following a
//   link, and held open without delete sharing, so that nobody can rename,
//   move or delete it while it is held;
// - what is listed, created, removed or re-righted inside a held folder is
//   reached through its handle, never again by a path that could lead
//   elsewhere;
// - a folder is created with its final rights, never protected afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_rights.h"

namespace vh {

enum class FsError;

// Who owns a file or folder, as far as an elevated program cares.
enum class OwnerKind {
    administrators,     // BUILTIN\Administrators: what an elevated administrator creates
    system,             // NT AUTHORITY\SYSTEM
    trusted_installer,  // NT SERVICE\TrustedInstaller
    administrator,      // a user who is a member of Administrators
    other,              // anyone else: a standard user, or an owner that cannot be read
};

// Whether only administrators can have made the entry theirs.
inline bool owned_by_administrators(OwnerKind owner) {
    return owner != OwnerKind::other;
}

// An entry as it is, a link not followed: its attributes (attr::directory,
// attr::reparse_point for a junction or symbolic link, ...), its owner and
// how many names it has (hard links; 1 for a folder).
struct EntryFacts {
    std::uint32_t attributes = 0;
    OwnerKind owner = OwnerKind::other;
    std::uint32_t links = 1;
};

// One entry of a folder as listed through its handle.
struct FolderEntry {
    std::string name;
    std::uint32_t attributes = 0;
};

// A folder opened without following a link and held open: while it is
// held, nobody can rename, move or delete it. Closed when destroyed.
class HeldFolder {
public:
    virtual ~HeldFolder() = default;

    // The folder itself, as it was when opened.
    virtual const EntryFacts& facts() const = 0;
    // Every entry: files, folders, links, hidden and system ones, in
    // ascending order of name.
    virtual FsError list(std::vector<FolderEntry>& entries) = 0;
    // The entry name, looked at without following it. file_not_found when
    // there is none.
    virtual FsError entry_facts(const std::string& name, EntryFacts& facts) = 0;
    // Opens the existing subfolder name without following a link and holds
    // it. A link is opened as the link: its facts say so.
    virtual FsError hold(const std::string& name, std::unique_ptr<HeldFolder>& child) = 0;
    // Creates the subfolder name with these rights from its first moment,
    // then holds it. already_exists when anything has that name.
    virtual FsError create(const std::string& name, const FileRights& rights,
                           std::unique_ptr<HeldFolder>& child) = 0;
    // Removes the entry name without following it: a link goes as a link
    // (its target stays as it is), a file as one name (its other hard links
    // stay), a folder only when empty (dir_not_empty otherwise). A
    // read-only file or empty folder is removed all the same.
    virtual FsError remove(const std::string& name) = 0;
    // Gives the folder itself this owner and these rights, inheriting
    // nothing; existing entries inside keep theirs.
    virtual FsError set_rights(const FileRights& rights) = 0;
    // Gives the file name this owner and these rights, through a handle
    // opened without following: a link, or a file with more than one name,
    // is refused with FsError::link and left as it is.
    virtual FsError set_file_rights(const std::string& name, const FileRights& rights) = 0;
    // Gives the file name only what it inherits from this folder (the
    // folder's rules that reach files, CREATOR OWNER's given to the file's
    // owner), keeping its owner; refused like set_file_rights.
    virtual FsError inherit_file_rights(const std::string& name) = 0;
};

// A log that an elevated program writes: opened once and kept open, not
// through a link. Closed when destroyed.
class LogFile {
public:
    virtual ~LogFile() = default;
    // Replaces the whole content of the file through its handle.
    virtual FsError write_all(const std::string& content) = 0;
};

}  // namespace vh
