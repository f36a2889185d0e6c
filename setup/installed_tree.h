// The installation tree as Setup writes it: the guarded levels made with
// their rights, alias files made under older rights brought to the new
// ones, and a tree file that is not what it seems cleared before a copy.
#pragma once

#include <functional>
#include <string>

#include "platform/file_system.h"
#include "shared/guarded_tree.h"

namespace vh {

class InstalledTree {
public:
    explicit InstalledTree(FileSystem& fs) : fs_(fs), tree_(fs) {}

    // Opens and holds every level that exists; the level that may not be
    // used, if any.
    TreeFault open() { return tree_.open(); }

    // Makes the tree's folders in their order, a missing one with its
    // rights from the first moment, an existing one given them through its
    // handle; shown(path) before each folder the window names, done() after
    // it. failed: what could not be made or re-righted, a folder or an
    // alias file.
    struct Failure {
        std::string path;
        bool file = false;
    };
    FsError make_folders(const std::function<void(const std::string&)>& shown,
                         const std::function<void()>& done, Failure& failed);

    // A file of the tree that is a link, has more than one name or is not
    // the administrators' goes (the link itself, never its target), so that
    // the copy makes a new file; a read-only one is made writable.
    FsError clear_destination(const std::string& destination);
    // Whether a file of the tree is what it seems (or is not there).
    bool sound(const std::string& path) const;
    // Whether only its read-only attribute keeps the file from being
    // replaced.
    bool only_read_only(const std::string& path);

private:
    FsError reinherit_aliases(TreeLevel level, Failure& failed);
    HeldFolder* holding_folder(const std::string& path, std::string& name) const;

    FileSystem& fs_;
    GuardedTree tree_;
};

// What the administrator is told to do with a level that cannot be used.
std::string tree_fault_text(const TreeFault& fault);

}  // namespace vh
