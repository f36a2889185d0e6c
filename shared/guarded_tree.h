// The installation tree as the elevated programs reach it: every level from
// the drive's root down opened through its held parent, without following a
// link, and held open while they work, so that no user can point a name of
// the tree elsewhere in between. What a level may be:
// - a link (junction, symbolic link) is never followed: in the two alias
//   folders, which every user may write, it is removed as a link; anywhere
//   else the program refuses;
// - a level that exists must be owned by an administrator (Administrators,
//   SYSTEM, TrustedInstaller): one a user made first is refused.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vh {

enum class LevelFault {
    none,
    link,           // a junction or symbolic link where a folder should be
    foreign_owner,  // made by someone who is not an administrator
    not_a_folder,   // a file where a folder should be
    unreadable,     // could not be opened (held by another program, refused)
};

struct TreeFault {
    LevelFault kind = LevelFault::none;
    std::string folder;  // the level's full path
    FsError error = FsError::ok;
    explicit operator bool() const { return kind != LevelFault::none; }
};

// The tree's levels, each after its parent.
enum class TreeLevel { root, product, skins, aliases, program_aliases, folder_aliases, count };

class GuardedTree {
public:
    explicit GuardedTree(FileSystem& fs) : fs_(fs) {}

    // Opens and holds every level that exists, changing nothing; the first
    // level that may not be used is the fault.
    TreeFault open();

    const std::string& path(TreeLevel level) const;
    // The held level; none when it is missing (or an alias folder's link).
    HeldFolder* held(TreeLevel level) const;
    bool is_link(TreeLevel level) const { return at(level).link; }

    // Setup: a missing level is created with these rights from its first
    // moment, an alias folder's link removed first; an existing level gets
    // them through its handle.
    FsError secure(TreeLevel level, const FileRights& rights);

    // The uninstaller: removes an alias folder with everything in it,
    // through handles, a link inside as a link; each file named to
    // on_file first. Missing is done.
    // failed: what could not be removed.
    FsError remove_alias_folder(TreeLevel level,
                                const std::function<void(const std::string&)>& on_file,
                                std::string& failed);
    // Lets go of a level (before its parent removes it by path).
    void release(TreeLevel level);
    void release(const std::string& path);

private:
    struct Level {
        std::string name;
        std::string path;
        std::unique_ptr<HeldFolder> held;
        bool link = false;
    };
    Level& at(TreeLevel level) { return levels_[static_cast<int>(level)]; }
    const Level& at(TreeLevel level) const { return levels_[static_cast<int>(level)]; }
    static TreeLevel parent_of(TreeLevel level);
    static bool user_writable(TreeLevel level);
    TreeFault open_level(TreeLevel level);

    FileSystem& fs_;
    std::unique_ptr<HeldFolder> drive_;
    Level levels_[static_cast<int>(TreeLevel::count)];
};

// Empties a held folder through its handle: files and links removed without
// following, subfolders held and emptied in turn (at most depth levels),
// then removed. on_file hears each path first.
FsError empty_held_folder(HeldFolder& folder, const std::string& path, int depth,
                          const std::function<void(const std::string&)>& on_file,
                          std::string& failed);

}  // namespace vh
