#include "shared/guarded_tree.h"

#include "shared/product.h"

namespace vh {

namespace {

// The names of the levels, from the drive down.
std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

TreeLevel GuardedTree::parent_of(TreeLevel level) {
    switch (level) {
    case TreeLevel::product: return TreeLevel::root;
    case TreeLevel::skins:
    case TreeLevel::aliases: return TreeLevel::product;
    case TreeLevel::program_aliases:
    case TreeLevel::folder_aliases: return TreeLevel::aliases;
    default: return TreeLevel::count;  // the root's parent is the drive
    }
}

bool GuardedTree::user_writable(TreeLevel level) {
    return level == TreeLevel::program_aliases || level == TreeLevel::folder_aliases;
}

const std::string& GuardedTree::path(TreeLevel level) const {
    return at(level).path;
}

HeldFolder* GuardedTree::held(TreeLevel level) const {
    return at(level).held.get();
}

TreeFault GuardedTree::open() {
    const std::vector<std::string> product_parts = split(product::install_dir);
    // "C:", "Tessarimondale", "Varnholde"
    const std::string drive = product_parts.front();
    at(TreeLevel::root) = {product_parts[1], drive + "\\" + product_parts[1], nullptr, false};
    at(TreeLevel::product) = {product_parts[2], product::install_dir, nullptr, false};
    at(TreeLevel::skins) = {"Skins", product::skins_dir, nullptr, false};
    at(TreeLevel::aliases) = {"Alliases", product::aliases_dir, nullptr, false};
    at(TreeLevel::program_aliases) = {"Exe_files", product::program_alias_dir, nullptr, false};
    at(TreeLevel::folder_aliases) = {"Dirs", product::folder_alias_dir, nullptr, false};
    if (FsError e = fs_.hold_drive_root(drive, drive_); e != FsError::ok)
        return {LevelFault::unreadable, drive + "\\", e};
    for (int i = 0; i < static_cast<int>(TreeLevel::count); ++i)
        if (TreeFault fault = open_level(static_cast<TreeLevel>(i))) return fault;
    return {};
}

TreeFault GuardedTree::open_level(TreeLevel level) {
    Level& self = at(level);
    HeldFolder* parent = level == TreeLevel::root ? drive_.get() : held(parent_of(level));
    if (!parent) return {};  // under a missing level: missing too
    std::unique_ptr<HeldFolder> folder;
    const FsError e = parent->hold(self.name, folder);
    if (e == FsError::file_not_found) return {};
    if (e == FsError::access_denied) {
        // Not a folder, or a link to a file: look without following.
        EntryFacts facts;
        if (parent->entry_facts(self.name, facts) == FsError::ok &&
            !(facts.attributes & attr::directory) && !(facts.attributes & attr::reparse_point))
            return {LevelFault::not_a_folder, self.path, e};
    }
    if (e != FsError::ok) return {LevelFault::unreadable, self.path, e};
    // Judged by the handle: what was opened is what is used.
    const EntryFacts& facts = folder->facts();
    if (facts.attributes & attr::reparse_point) {
        if (!user_writable(level)) return {LevelFault::link, self.path, FsError::link};
        self.link = true;
        return {};
    }
    if (!(facts.attributes & attr::directory))
        return {LevelFault::not_a_folder, self.path, FsError::access_denied};
    if (!owned_by_administrators(facts.owner))
        return {LevelFault::foreign_owner, self.path, FsError::access_denied};
    self.held = std::move(folder);
    return {};
}

FsError GuardedTree::secure(TreeLevel level, const FileRights& rights) {
    Level& self = at(level);
    if (self.held) return self.held->set_rights(rights);
    HeldFolder* parent = level == TreeLevel::root ? drive_.get() : held(parent_of(level));
    if (!parent) return FsError::path_not_found;
    if (self.link) {
        if (FsError e = parent->remove(self.name); e != FsError::ok) return e;
        self.link = false;
    }
    return parent->create(self.name, rights, self.held);
}

void GuardedTree::release(TreeLevel level) {
    at(level).held.reset();
}

void GuardedTree::release(const std::string& path) {
    for (Level& level : levels_)
        if (level.path == path) level.held.reset();
}

FsError GuardedTree::remove_alias_folder(TreeLevel level,
                                         const std::function<void(const std::string&)>& on_file,
                                         std::string& failed) {
    Level& self = at(level);
    failed = self.path;
    HeldFolder* parent = held(parent_of(level));
    if (!parent) return FsError::ok;
    if (self.held) {
        const FsError e = empty_held_folder(*self.held, self.path, 8, on_file, failed);
        if (e != FsError::ok) return e;
        self.held.reset();
        failed = self.path;
    } else if (!self.link) {
        return FsError::ok;  // missing
    }
    self.link = false;
    const FsError e = parent->remove(self.name);
    return e == FsError::file_not_found ? FsError::ok : e;
}

FsError empty_held_folder(HeldFolder& folder, const std::string& path, int depth,
                          const std::function<void(const std::string&)>& on_file,
                          std::string& failed) {
    std::vector<FolderEntry> entries;
    failed = path;
    if (FsError e = folder.list(entries); e != FsError::ok) return e;
    for (const FolderEntry& entry : entries) {
        const std::string entry_path = path + "\\" + entry.name;
        failed = entry_path;
        const bool subfolder = (entry.attributes & attr::directory) &&
                               !(entry.attributes & attr::reparse_point);
        if (subfolder) {
            if (depth <= 0) return FsError::dir_not_empty;
            std::unique_ptr<HeldFolder> child;
            if (FsError e = folder.hold(entry.name, child); e != FsError::ok) return e;
            // Opened without following: a link made in between is not emptied.
            if (!(child->facts().attributes & attr::reparse_point))
                if (FsError e = empty_held_folder(*child, entry_path, depth - 1, on_file, failed);
                    e != FsError::ok)
                    return e;
            child.reset();
            failed = entry_path;  // held without delete sharing: let go before removing
        } else {
            on_file(entry_path);
        }
        if (FsError e = folder.remove(entry.name); e != FsError::ok) return e;
    }
    return FsError::ok;
}

}  // namespace vh
