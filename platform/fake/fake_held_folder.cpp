// The fake file system's handle-based layer, and the users who act on it.
// A held folder keeps its node: what it lists, creates and removes is that
// node's, whatever its path has come to lead to since.
#include <algorithm>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_rights.h"
#include "platform/names.h"

namespace vh {

namespace {

bool is_single_name(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

class FakeHeldFolder : public HeldFolder {
public:
    FakeHeldFolder(FakeFileSystem& fs, std::shared_ptr<FakeFileSystem::Node> node,
                   std::string path)
        : fs_(fs), node_(std::move(node)), facts_(fs.facts_of(*node_)), path_(std::move(path)) {
        ++node_->holds;
    }
    ~FakeHeldFolder() override { --node_->holds; }

    const EntryFacts& facts() const override { return facts_; }

    FsError list(std::vector<FolderEntry>& entries) override {
        fs_.noted("list_entries", path_);
        FsError e = FsError::ok;
        if (!fs_.begin_operation(e)) return e;
        if (node_->is_link()) return FsError::link;  // the link itself lists nothing
        entries.clear();
        for (const auto& [key, child] : node_->children)
            entries.push_back({node_->name_of(key, *child), fs_.facts_of(*child).attributes});
        std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
            return name_less(a.name, b.name);
        });
        return FsError::ok;
    }

    FsError entry_facts(const std::string& name, EntryFacts& facts) override {
        std::shared_ptr<FakeFileSystem::Node> child;
        if (FsError e = child_of("entry_facts", name, child); e != FsError::ok) return e;
        facts = fs_.facts_of(*child);
        return FsError::ok;
    }

    FsError hold(const std::string& name, std::unique_ptr<HeldFolder>& held) override {
        std::shared_ptr<FakeFileSystem::Node> child;
        if (FsError e = child_of("hold", name, child); e != FsError::ok) return e;
        // Held with read and write sharing: a second hold is let in.
        if (!child->is_dir()) return FsError::access_denied;  // ERROR_DIRECTORY
        held = std::make_unique<FakeHeldFolder>(fs_, child, path_ + "\\" + child->name);
        return FsError::ok;
    }

    FsError create(const std::string& name, const FileRights& rights,
                   std::unique_ptr<HeldFolder>& held) override {
        fs_.noted("create_held", path_ + "\\" + name);
        FsError e = FsError::ok;
        if (!fs_.begin_operation(e)) return e;
        if (!is_single_name(name)) return FsError::invalid_name;
        if (node_->children.count(fold_case(name))) return FsError::already_exists;
        if (node_->closed_to_new_entries) return FsError::access_denied;
        auto child = fs_.new_entry(*node_, name, true, fs_.caller_);
        child->rights = rights;
        child->owner = fake_rights::account_of(rights.owner);
        node_->children[fold_case(name)] = child;
        held = std::make_unique<FakeHeldFolder>(fs_, child, path_ + "\\" + name);
        return FsError::ok;
    }

    FsError remove(const std::string& name) override {
        std::shared_ptr<FakeFileSystem::Node> child;
        if (FsError e = child_of("remove_entry", name, child); e != FsError::ok) return e;
        // Opened for deletion first: a held entry refuses before its contents count.
        if (child->in_use || child->holds) return FsError::sharing_violation;
        if (child->is_dir() && !child->is_link() && !child->children.empty())
            return FsError::dir_not_empty;
        --child->links;
        node_->erase_child(fold_case(name));
        return FsError::ok;
    }

    FsError set_rights(const FileRights& rights) override {
        fs_.noted("set_held_rights", path_);
        FsError e = FsError::ok;
        if (!fs_.begin_operation(e)) return e;
        node_->rights = rights;
        node_->owner = fake_rights::account_of(rights.owner);
        return FsError::ok;
    }

    FsError set_file_rights(const std::string& name, const FileRights& rights) override {
        std::shared_ptr<FakeFileSystem::Node> child;
        if (FsError e = plain_file("set_file_rights", name, child); e != FsError::ok) return e;
        child->rights = rights;
        child->owner = fake_rights::account_of(rights.owner);
        return FsError::ok;
    }

    FsError inherit_file_rights(const std::string& name) override {
        std::shared_ptr<FakeFileSystem::Node> child;
        if (FsError e = plain_file("inherit_file_rights", name, child); e != FsError::ok) return e;
        const auto fresh = fs_.new_entry(*node_, child->name, false, child->owner);
        child->rights.reset();
        child->inherited = fresh->inherited;
        return FsError::ok;
    }

private:
    FsError child_of(const char* operation, const std::string& name,
                     std::shared_ptr<FakeFileSystem::Node>& child) {
        fs_.noted(operation, path_ + "\\" + name);
        FsError e = FsError::ok;
        if (!fs_.begin_operation(e)) return e;
        if (!is_single_name(name)) return FsError::invalid_name;
        const auto found = node_->children.find(fold_case(name));
        if (found == node_->children.end()) return FsError::file_not_found;
        child = found->second;
        return FsError::ok;
    }

    FsError plain_file(const char* operation, const std::string& name,
                       std::shared_ptr<FakeFileSystem::Node>& child) {
        if (FsError e = child_of(operation, name, child); e != FsError::ok) return e;
        if (child->is_link() || child->links > 1) return FsError::link;
        return child->is_dir() ? FsError::access_denied : FsError::ok;
    }

    FakeFileSystem& fs_;
    std::shared_ptr<FakeFileSystem::Node> node_;
    EntryFacts facts_;
    const std::string path_;
};

class FakeLogFile : public LogFile {
public:
    explicit FakeLogFile(std::shared_ptr<FakeFileSystem::Node> node) : node_(std::move(node)) {
        node_->in_use = true;
    }
    ~FakeLogFile() override { node_->in_use = false; }
    FsError write_all(const std::string& content) override {
        node_->content = content;
        return FsError::ok;
    }

private:
    std::shared_ptr<FakeFileSystem::Node> node_;
};

FsError FakeFileSystem::hold_drive_root(const std::string& drive,
                                        std::unique_ptr<HeldFolder>& root) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    const auto found = drives_.find(fold_case(drive));
    if (found == drives_.end()) return FsError::path_not_found;
    root = std::make_unique<FakeHeldFolder>(*this, found->second, found->second->name);
    return FsError::ok;
}

FsError FakeFileSystem::open_log(const std::string& path, std::unique_ptr<LogFile>& log) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    Node* parent = parent_of(r.parts, e);
    if (!parent) return e;
    std::shared_ptr<Node> node = find_shared(r.parts, false);
    if (!node) {
        if (parent->closed_to_new_entries) return FsError::access_denied;
        node = new_entry(*parent, r.parts.back(), false, caller_);
        parent->children[fold_case(r.parts.back())] = node;
    }
    if (node->is_link() || node->links > 1) return FsError::link;
    if (node->is_dir() || (node->attributes & attr::read_only)) return FsError::access_denied;
    if (node->in_use) return FsError::sharing_violation;
    log = std::make_unique<FakeLogFile>(node);
    return FsError::ok;
}

// What users do. Their steps are not the program's operations and are not
// counted; each is checked against the rights and the holds as Windows
// would check it.
FsError FakeFileSystem::user_make_directory(const std::string& account, const std::string& path) {
    Resolved r = resolve(path);
    if (r.error != FsError::ok || r.parts.size() < 2) return FsError::invalid_name;
    FsError e = FsError::ok;
    Node* parent = parent_of(r.parts, e);
    if (!parent) return e;
    if (find(r.parts, false)) return FsError::already_exists;
    if (!allowed(account, nullptr, *parent, fake_rights::add_folder)) return FsError::access_denied;
    parent->children[fold_case(r.parts.back())] = new_entry(*parent, r.parts.back(), true, account);
    return FsError::ok;
}

// Making an empty folder a mount point takes the right to write its data.
FsError FakeFileSystem::user_make_link(const std::string& account, const std::string& path,
                                       const std::string& target) {
    Resolved r = resolve(path);
    if (r.error != FsError::ok || r.parts.size() < 2) return FsError::invalid_name;
    Node* existing = find(r.parts, false);
    if (!existing) {
        if (FsError e = user_make_directory(account, path); e != FsError::ok) return e;
        existing = find(r.parts, false);
    } else if (!existing->is_dir() || !existing->children.empty()) {
        return FsError::dir_not_empty;
    } else if (!allowed(account, nullptr, *existing, fake_rights::write)) {
        return FsError::access_denied;
    }
    existing->link_target = target;
    return FsError::ok;
}

FsError FakeFileSystem::user_hard_link(const std::string& account, const std::string& path,
                                       const std::string& existing) {
    Resolved r = resolve(path), x = resolve(existing);
    if (r.error != FsError::ok || x.error != FsError::ok) return FsError::invalid_name;
    FsError e = FsError::ok;
    Node* parent = parent_of(r.parts, e);
    if (!parent) return e;
    std::shared_ptr<Node> file = find_shared(x.parts, true);
    if (!file || file->is_dir()) return FsError::file_not_found;
    if (find(r.parts, false)) return FsError::already_exists;
    if (!allowed(account, nullptr, *parent, fake_rights::write)) return FsError::access_denied;
    ++file->links;
    parent->children[fold_case(r.parts.back())] = file;
    parent->link_names[fold_case(r.parts.back())] = r.parts.back();
    return FsError::ok;
}

FsError FakeFileSystem::user_write(const std::string& account, const std::string& path,
                                   const std::string& content) {
    const std::string saved = caller_;
    caller_ = account;
    const int saved_operations = operations_, saved_fail = fail_at_;
    fail_at_ = 0;
    const FsError e = write_file(path, content);
    operations_ = saved_operations;
    fail_at_ = saved_fail;
    caller_ = saved;
    return e;
}

FsError FakeFileSystem::user_rename(const std::string& account, const std::string& from,
                                    const std::string& to) {
    Resolved rf = resolve(from), rt = resolve(to);
    if (rf.error != FsError::ok || rt.error != FsError::ok) return FsError::invalid_name;
    FsError e = FsError::ok;
    Node* from_parent = parent_of(rf.parts, e);
    Node* to_parent = parent_of(rt.parts, e);
    if (!from_parent || !to_parent) return e;
    const auto node = find_shared(rf.parts, false);
    if (!node) return FsError::file_not_found;
    if (find(rt.parts, false)) return FsError::already_exists;
    if (node->holds || node->in_use) return FsError::sharing_violation;
    if (!allowed(account, from_parent, *node, fake_rights::remove) ||
        !allowed(account, nullptr, *to_parent,
                 node->is_dir() ? fake_rights::add_folder : fake_rights::write))
        return FsError::access_denied;
    from_parent->erase_child(fold_case(rf.parts.back()));
    node->name = rt.parts.back();
    to_parent->children[fold_case(rt.parts.back())] = node;
    return FsError::ok;
}

FsError FakeFileSystem::user_remove(const std::string& account, const std::string& path) {
    const std::string saved = caller_;
    caller_ = account;
    const int saved_operations = operations_, saved_fail = fail_at_;
    fail_at_ = 0;
    std::uint32_t attributes = 0;
    FsError e = get_attributes(path, attributes);
    if (e == FsError::ok)
        e = (attributes & attr::directory) ? remove_directory(path) : delete_file(path);
    operations_ = saved_operations;
    fail_at_ = saved_fail;
    caller_ = saved;
    return e;
}

void FakeFileSystem::set_owner(const std::string& path, const std::string& owner) {
    if (Node* node = find(resolve(path).parts, false)) node->owner = owner;
}

std::string FakeFileSystem::owner(const std::string& path) const {
    const Node* node = find(resolve(path).parts, false);
    return node ? node->owner : "";
}

std::uint32_t FakeFileSystem::link_count(const std::string& path) const {
    const Node* node = find(resolve(path).parts, false);
    return node ? node->links : 0;
}

bool FakeFileSystem::is_link(const std::string& path) const {
    const Node* node = find(resolve(path).parts, false);
    return node && node->is_link();
}

int FakeFileSystem::holds(const std::string& path) const {
    const Node* node = find(resolve(path).parts, false);
    return node ? node->holds : 0;
}

}  // namespace vh
