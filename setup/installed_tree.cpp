#include "setup/installed_tree.h"

#include <iterator>
#include <vector>

#include "setup/install_procedure.h"
#include "setup/tree_rights.h"

namespace vh {

namespace {

// The tree's levels in the order they are made, and whether the window
// names them.
struct TreeFolder {
    TreeLevel level;
    bool shown;
};
constexpr TreeFolder tree_folders[] = {
    {TreeLevel::root, false},           {TreeLevel::product, false},
    {TreeLevel::aliases, false},        {TreeLevel::skins, true},
    {TreeLevel::folder_aliases, true},  {TreeLevel::program_aliases, true},
};

const FileRights& rights_for(const std::vector<PathRights>& rights, const std::string& path) {
    for (const PathRights& entry : rights)
        if (entry.path == path) return entry.rights;
    return rights.front().rights;
}

bool sound_facts(const EntryFacts& facts) {
    return !(facts.attributes & (attr::reparse_point | attr::directory)) && facts.links == 1 &&
           owned_by_administrators(facts.owner);
}

}  // namespace

FsError InstalledTree::make_folders(const std::function<void(const std::string&)>& shown,
                                    const std::function<void()>& done, Failure& failed) {
    const std::vector<PathRights> rights = tree_folder_rights();
    for (const TreeFolder& folder : tree_folders) {
        const std::string& path = tree_.path(folder.level);
        failed = {path, false};
        if (folder.shown) shown(path + "\\");
        const bool existed = tree_.held(folder.level) != nullptr;
        if (FsError e = tree_.secure(folder.level, rights_for(rights, path)); e != FsError::ok)
            return e;
        if (existed)
            if (FsError e = reinherit_aliases(folder.level, failed); e != FsError::ok) return e;
        if (folder.shown) done();
    }
    return FsError::ok;
}

// Alias files made under an older installation's rights, which let every
// user change them, take only what the folder now gives: their authors keep
// them, the others may read and run them. Links and files with other names
// are left as they are: never re-righted in place.
FsError InstalledTree::reinherit_aliases(TreeLevel level, Failure& failed) {
    if (level != TreeLevel::program_aliases && level != TreeLevel::folder_aliases)
        return FsError::ok;
    HeldFolder* folder = tree_.held(level);
    std::vector<FolderEntry> entries;
    if (FsError e = folder->list(entries); e != FsError::ok) return e;
    for (const FolderEntry& entry : entries) {
        if (entry.attributes & (attr::directory | attr::reparse_point)) continue;
        failed = {tree_.path(level) + "\\" + entry.name, true};
        const FsError e = folder->inherit_file_rights(entry.name);
        if (e != FsError::ok && e != FsError::link && e != FsError::file_not_found) return e;
    }
    return FsError::ok;
}

FsError InstalledTree::clear_destination(const std::string& destination) {
    std::string name;
    HeldFolder* held = holding_folder(destination, name);
    if (!held) return FsError::ok;  // the Start menu's folder: administrators' only
    EntryFacts facts;
    const FsError e = held->entry_facts(name, facts);
    if (e == FsError::file_not_found) return FsError::ok;
    if (e != FsError::ok) return e;
    if (!sound_facts(facts)) return held->remove(name);
    // An earlier copy of a read-only package: made writable to be replaced.
    std::uint32_t attributes = 0;
    if (fs_.get_attributes(destination, attributes) == FsError::ok &&
        (attributes & attr::read_only))
        return fs_.set_attributes(destination, attr::archive);
    return FsError::ok;
}

// The held folder of the tree that holds path, and path's name in it.
HeldFolder* InstalledTree::holding_folder(const std::string& path, std::string& name) const {
    const size_t slash = path.rfind('\\');
    const std::string folder = path.substr(0, slash);
    name = path.substr(slash + 1);
    for (TreeLevel level : {TreeLevel::skins, TreeLevel::product})
        if (folder == tree_.path(level)) return tree_.held(level);
    return nullptr;
}

bool InstalledTree::sound(const std::string& path) const {
    std::string name;
    HeldFolder* held = holding_folder(path, name);
    EntryFacts facts;
    return !held || held->entry_facts(name, facts) != FsError::ok || sound_facts(facts);
}

bool InstalledTree::only_read_only(const std::string& path) {
    std::uint32_t attributes = 0;
    return fs_.get_attributes(path, attributes) == FsError::ok && (attributes & attr::read_only) &&
           !(attributes & (attr::hidden | attr::system | attr::directory | attr::reparse_point));
}

std::string tree_fault_text(const TreeFault& fault) {
    const std::string what = fault.folder;
    switch (fault.kind) {
    case LevelFault::link:
        return "Установка прервана: " + what +
               " — не папка, а ссылка на другое место. Удалите эту ссылку и запустите установку снова.";
    case LevelFault::foreign_owner:
        return "Установка прервана: папку " + what +
               " создал не администратор, ей нельзя доверять. Удалите её и запустите установку снова.";
    case LevelFault::not_a_folder:
        return "Установка прервана: на месте папки " + what +
               " находится файл. Удалите его и запустите установку снова.";
    default: break;
    }
    return "Установка прервана: не удалось открыть папку " + what + " (" +
           failure_reason(fault.error) +
           "). Закройте программы, которые её используют, и запустите установку снова.";
}

}  // namespace vh
