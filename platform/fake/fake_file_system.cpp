#include "platform/fake/fake_file_system.h"

#include <algorithm>

#include "platform/fake/fake_rights.h"
#include "platform/names.h"

namespace vh {

FakeFileSystem::FakeFileSystem() {
    add_drive('C');
}

void FakeFileSystem::add_drive(char letter) {
    const std::string key{fold_case(letter), ':'};
    if (drives_.count(key)) return;
    auto root = std::make_shared<Node>();
    root->name = key;
    root->attributes = attr::directory;
    // A system drive's root as Windows sets it up: signed-in users may add
    // folders, and change and delete whatever is created below.
    root->owner = "TI";
    using namespace fake_rights;
    root->inherited = {{"SY", all, true, true}, {"BA", all, true, true},
                       {"BU", read, true, true}, {"AU", add_folder, false, false},
                       {"AU", read | write | add_folder | remove, true, true, true}};
    drives_[key] = std::move(root);
}

void FakeFileSystem::set_current_drive(char letter) {
    current_drive_ = fold_case(letter);
}

bool FakeFileSystem::begin_operation(FsError& error) {
    ++operations_;
    if (act_at_ != 0 && operations_ == act_at_) {
        act_at_ = 0;
        const std::function<void()> action = std::move(action_);
        action();
    }
    if (fail_at_ != 0 && operations_ == fail_at_) {
        fail_at_ = 0;
        error = fail_error_;
        return false;
    }
    return true;
}

FsError FakeFileSystem::read_file(const std::string& path, std::string& content) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    Node* parent = parent_of(r.parts, e);
    if (!parent) return e;
    Node* node = find(r.parts);
    if (!node) return FsError::file_not_found;
    if (node->is_dir()) return FsError::access_denied;
    content = node->content;
    return FsError::ok;
}

FsError FakeFileSystem::write_file(const std::string& path, const std::string& content) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    Node* parent = parent_of(r.parts, e);
    if (!parent) return e;
    Node* node = find(r.parts);
    if (node) {
        // Replacing a hidden or system file without asking for those
        // attributes is refused by Windows, like a read-only one.
        if (node->is_dir() ||
            (node->attributes & (attr::read_only | attr::hidden | attr::system)) ||
            !allowed(caller_, parent, *node, fake_rights::write))
            return FsError::access_denied;
        if (node->in_use) return FsError::sharing_violation;
        node->content = content;
        node->attributes |= attr::archive;
        return FsError::ok;
    }
    if (parent->closed_to_new_entries || !allowed(caller_, nullptr, *parent, fake_rights::write))
        return FsError::access_denied;
    auto created = new_entry(*parent, r.parts.back(), false, caller_);
    created->content = content;
    parent->children[fold_case(r.parts.back())] = std::move(created);
    return FsError::ok;
}

FsError FakeFileSystem::move_file_replacing(const std::string& from, const std::string& to) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved rf = resolve(from), rt = resolve(to);
    if (rf.error != FsError::ok) return rf.error;
    if (rt.error != FsError::ok) return rt.error;
    Node* from_parent = parent_of(rf.parts, e);
    if (!from_parent) return e;
    Node* source = find(rf.parts, false);
    if (!source) return FsError::file_not_found;
    if (source->in_use || source->holds) return FsError::sharing_violation;
    if (!allowed(caller_, from_parent, *source, fake_rights::remove)) return FsError::access_denied;
    Node* to_parent = parent_of(rt.parts, e);
    if (!to_parent) return e;
    if (to_parent->closed_to_new_entries) return FsError::access_denied;
    if (Node* target = find(rt.parts)) {
        if (target == source) return FsError::ok;
        if (target->is_dir() || (target->attributes & attr::read_only))
            return FsError::access_denied;
        if (target->in_use) return FsError::sharing_violation;
    }
    auto node = std::move(from_parent->children[fold_case(rf.parts.back())]);
    from_parent->erase_child(fold_case(rf.parts.back()));
    node->name = rt.parts.back();
    to_parent->children[fold_case(rt.parts.back())] = std::move(node);
    return FsError::ok;
}

FsError FakeFileSystem::existing_entry(const std::string& path, Existing& entry,
                                       bool follow_last) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    entry.parent = parent_of(r.parts, e);
    if (!entry.parent) return e;
    entry.node = find(r.parts, follow_last);
    if (!entry.node) return FsError::file_not_found;
    entry.key = fold_case(r.parts.back());
    return FsError::ok;
}

// A symbolic link goes as the link; a hard link as one name of its file.
FsError FakeFileSystem::delete_file(const std::string& path) {
    Existing entry;
    if (FsError e = existing_entry(path, entry, false); e != FsError::ok) return e;
    Node& node = *entry.node;
    if (node.is_dir() || (node.attributes & attr::read_only) ||
        !allowed(caller_, entry.parent, node, fake_rights::remove))
        return FsError::access_denied;
    if (node.in_use || node.holds) return FsError::sharing_violation;
    --node.links;
    entry.parent->erase_child(entry.key);
    return FsError::ok;
}

FsError FakeFileSystem::check_replaceable(const std::string& path) {
    Existing entry;
    if (FsError e = existing_entry(path, entry); e != FsError::ok) return e;
    const Node& node = *entry.node;
    if (node.is_dir() || (node.attributes & (attr::read_only | attr::hidden | attr::system)))
        return FsError::access_denied;
    return node.in_use ? FsError::sharing_violation : FsError::ok;
}

FsError FakeFileSystem::copy_file(const std::string& from, const std::string& to) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved rf = resolve(from), rt = resolve(to);
    if (rf.error != FsError::ok) return rf.error;
    if (rt.error != FsError::ok) return rt.error;
    if (!parent_of(rf.parts, e)) return e;
    // The source is opened without following a link (see FileSystem).
    Node* source = find(rf.parts, false);
    if (!source) return FsError::file_not_found;
    if (source->is_link() || source->links > 1) return FsError::link;
    if (source->is_dir()) return FsError::access_denied;
    Node* to_parent = parent_of(rt.parts, e);
    if (!to_parent) return e;
    if (Node* target = find(rt.parts)) {
        if (target == source) return FsError::sharing_violation;
        if (target->is_dir() ||
            (target->attributes & (attr::read_only | attr::hidden | attr::system)))
            return FsError::access_denied;
        if (target->in_use) return FsError::sharing_violation;
        target->content = source->content;
        target->streams = source->streams;
        target->attributes = source->attributes | attr::archive;
        return FsError::ok;
    }
    if (to_parent->closed_to_new_entries) return FsError::access_denied;
    auto created = new_entry(*to_parent, rt.parts.back(), false, caller_);
    created->content = source->content;
    created->streams = source->streams;
    created->attributes = source->attributes | attr::archive;
    to_parent->children[fold_case(rt.parts.back())] = std::move(created);
    return FsError::ok;
}

// Deleting a stream opens it for deletion: a read-only file refuses, a
// file a program runs or holds without delete sharing is in use.
FsError FakeFileSystem::delete_stream(const std::string& path, const std::string& stream) {
    Existing entry;
    if (FsError e = existing_entry(path, entry); e != FsError::ok) return e;
    Node& node = *entry.node;
    const auto found = node.streams.find(fold_case(stream));
    if (found == node.streams.end()) return FsError::ok;
    if (node.attributes & attr::read_only) return FsError::access_denied;
    if (node.in_use) return FsError::sharing_violation;
    node.streams.erase(found);
    return FsError::ok;
}

FsError FakeFileSystem::list_files(const std::string& dir, std::vector<std::string>& names) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(dir);
    if (r.error != FsError::ok) return r.error;
    Node* node = find(r.parts);
    if (!node || !node->is_dir()) return FsError::path_not_found;
    names.clear();
    for (const auto& [key, child] : node->children)
        if (!(child->attributes & (attr::directory | attr::hidden | attr::system)))
            names.push_back(node->name_of(key, *child));
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return name_less(a, b); });
    return FsError::ok;
}

FsError FakeFileSystem::find_file(const std::string& path, std::string& stored_name,
                                  std::uint32_t& attributes) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    if (!parent_of(r.parts, e)) return e;
    const Node* node = find(r.parts);
    if (!node) return FsError::file_not_found;
    stored_name = node->name;
    attributes = node->attributes;
    return FsError::ok;
}

FsError FakeFileSystem::create_directory(const std::string& path) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    if (find(r.parts)) return FsError::already_exists;
    Node* parent = parent_of(r.parts, e);
    if (!parent) return e;
    if (parent->closed_to_new_entries ||
        !allowed(caller_, nullptr, *parent, fake_rights::add_folder))
        return FsError::access_denied;
    parent->children[fold_case(r.parts.back())] = new_entry(*parent, r.parts.back(), true, caller_);
    return FsError::ok;
}

FsError FakeFileSystem::make_directory_path(const std::string& path) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    Node* node = find({r.parts.front()});
    if (!node) return FsError::path_not_found;
    for (size_t i = 1; i < r.parts.size(); ++i) {
        if (node->closed_to_new_entries && !node->children.count(fold_case(r.parts[i])))
            return FsError::access_denied;
        auto& slot = node->children[fold_case(r.parts[i])];
        if (!slot) {
            slot = new_entry(*node, r.parts[i], true, caller_);
        } else if (!slot->is_dir()) {
            return FsError::already_exists;
        } else if (slot->is_link()) {
            // An existing level is used as it is: a link leads on.
            Node* target = find(std::vector<std::string>(r.parts.begin(),
                                                         r.parts.begin() + static_cast<long>(i) + 1));
            if (!target) return FsError::path_not_found;
            node = target;
            continue;
        }
        node = slot.get();
    }
    return FsError::ok;
}

// A junction goes as the link, whatever its target holds.
FsError FakeFileSystem::remove_directory(const std::string& path) {
    Existing entry;
    if (FsError e = existing_entry(path, entry, false); e != FsError::ok) return e;
    const Node& node = *entry.node;
    if (!node.is_dir()) return FsError::other;  // ERROR_DIRECTORY
    if (!node.children.empty()) return FsError::dir_not_empty;
    if ((node.attributes & attr::read_only) ||
        !allowed(caller_, entry.parent, node, fake_rights::remove))
        return FsError::access_denied;
    if (node.holds) return FsError::sharing_violation;
    entry.parent->erase_child(entry.key);
    return FsError::ok;
}

FsError FakeFileSystem::get_attributes(const std::string& path, std::uint32_t& attributes) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    Node* node = find(r.parts, false);
    if (!node) return parent_of(r.parts, e) ? FsError::file_not_found : e;
    attributes = node->attributes | (node->is_link() ? attr::reparse_point : 0);
    return FsError::ok;
}

FsError FakeFileSystem::set_attributes(const std::string& path, std::uint32_t attributes) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    Node* node = find(r.parts);
    if (!node) return parent_of(r.parts, e) ? FsError::file_not_found : e;
    const std::uint32_t settable = attr::read_only | attr::hidden | attr::system | attr::archive;
    node->attributes = (node->attributes & attr::directory) | (attributes & settable);
    return FsError::ok;
}

FsError FakeFileSystem::file_size(const std::string& path, std::uint64_t& size) {
    Existing entry;
    if (FsError e = existing_entry(path, entry); e != FsError::ok) return e;
    if (entry.node->is_dir()) return FsError::access_denied;
    size = entry.node->content.size();
    return FsError::ok;
}

// Open for writing, as Windows checks it: a read-only file or a folder is
// refused, a file another program holds cannot be written. Hidden and
// system files may be, as they are opened and not re-created.
FsError FakeFileSystem::rewrite_file(const std::string& path, const std::string& content) {
    Existing entry;
    if (FsError e = existing_entry(path, entry); e != FsError::ok) return e;
    Node& node = *entry.node;
    if (node.is_dir() || (node.attributes & attr::read_only) ||
        !allowed(caller_, entry.parent, node, fake_rights::write))
        return FsError::access_denied;
    if (node.in_use) return FsError::sharing_violation;
    node.content = content;
    node.attributes |= attr::archive;
    return FsError::ok;
}

FsError FakeFileSystem::set_rights(const std::string& path, const FileRights& rights) {
    FsError e = FsError::ok;
    if (!begin_operation(e)) return e;
    Resolved r = resolve(path);
    if (r.error != FsError::ok) return r.error;
    Node* node = find(r.parts, false);
    if (!node) return parent_of(r.parts, e) ? FsError::file_not_found : e;
    if (r.parts.size() < 2) return FsError::access_denied;  // a drive's root
    if (node->is_link() || node->links > 1) return FsError::link;
    node->rights = rights;
    node->owner = fake_rights::account_of(rights.owner);
    return FsError::ok;
}

}  // namespace vh
