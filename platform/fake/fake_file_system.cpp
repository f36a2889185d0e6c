#include "platform/fake/fake_file_system.h"

#include <algorithm>
#include <cstring>

#include "platform/fake/fake_rights.h"
#include "platform/names.h"
#include "platform/text_codec.h"

namespace vh {

namespace {

bool is_device_name(const std::string& part) {
    std::string base = fold_case(part.substr(0, part.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* d : devices)
        if (base == d) return true;
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// Windows names are UTF-16: text that is not UTF-8 names no file.
bool has_invalid_character(const std::string& part) {
    if (!utf8_to_utf16(part)) return true;
    for (char c : part) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || std::strchr("<>:\"|?*", c) != nullptr) return true;
    }
    return false;
}

}  // namespace

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

FakeFileSystem::Resolved FakeFileSystem::resolve(const std::string& raw) const {
    Resolved r;
    std::string path = raw;
    std::replace(path.begin(), path.end(), '/', '\\');
    std::string drive{current_drive_, ':'};
    std::string rest = path;
    if (path.size() >= 2 && path[1] == ':') {
        drive = std::string{fold_case(path[0]), ':'};
        rest = path.substr(2);
    } else if (path.rfind("\\\\", 0) == 0) {
        r.error = FsError::path_not_found;  // network paths do not exist here
        return r;
    }
    r.parts.push_back(drive);
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        std::string part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (r.parts.size() > 1) r.parts.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
        if (part.empty()) continue;
        if (has_invalid_character(part)) {
            r.error = FsError::invalid_name;
            return r;
        }
        if (is_device_name(part)) {
            r.error = FsError::other;
            return r;
        }
        r.parts.push_back(part);
    }
    return r;
}

FakeFileSystem::Node* FakeFileSystem::find(const std::vector<std::string>& parts,
                                           bool follow_last) const {
    return find_shared(parts, follow_last).get();
}

// As Windows resolves a path: a junction or symbolic link on the way leads
// to its target, and the rest of the path goes on from there.
std::shared_ptr<FakeFileSystem::Node> FakeFileSystem::find_shared(
    const std::vector<std::string>& start, bool follow_last) const {
    std::vector<std::string> parts = start;
    for (int jumps = 0; jumps < 32; ++jumps) {
        auto d = drives_.find(parts.front());
        if (d == drives_.end()) return nullptr;
        std::shared_ptr<Node> node = d->second;
        size_t i = 1;
        for (; i < parts.size(); ++i) {
            if (!node->is_dir() || node->is_link()) return nullptr;
            auto c = node->children.find(fold_case(parts[i]));
            if (c == node->children.end()) return nullptr;
            node = c->second;
            if (node->is_link() && (i + 1 < parts.size() || follow_last)) break;
        }
        if (i == parts.size()) return node;
        Resolved target = resolve(node->link_target);
        if (target.error != FsError::ok) return nullptr;
        target.parts.insert(target.parts.end(), parts.begin() + static_cast<long>(i) + 1,
                            parts.end());
        parts = std::move(target.parts);
    }
    return nullptr;  // a loop of links
}

FakeFileSystem::Node* FakeFileSystem::parent_of(const std::vector<std::string>& parts,
                                                FsError& error) const {
    if (parts.size() < 2) {
        error = FsError::access_denied;  // the drive root itself
        return nullptr;
    }
    Node* parent = find(std::vector<std::string>(parts.begin(), parts.end() - 1));
    if (parent == nullptr || !parent->is_dir()) {
        error = FsError::path_not_found;
        return nullptr;
    }
    return parent;
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

void FakeFileSystem::act_before_operation(int n, std::function<void()> action) {
    act_at_ = n == 0 ? 0 : operations_ + n;
    action_ = std::move(action);
}

void FakeFileSystem::fail_operation(int n, FsError error) {
    fail_at_ = n == 0 ? 0 : operations_ + n;
    fail_error_ = error;
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
    from_parent->children.erase(fold_case(rf.parts.back()));
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
    entry.parent->children.erase(entry.key);
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
    Node* source = find(rf.parts);
    if (!source) return FsError::file_not_found;
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
            names.push_back(child->name);
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
    entry.parent->children.erase(entry.key);
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

void FakeFileSystem::put_file(const std::string& path, const std::string& content,
                              std::uint32_t attributes) {
    Resolved r = resolve(path);
    put_directory(r.parts.front() + "\\" + [&] {
        std::string p;
        for (size_t i = 1; i + 1 < r.parts.size(); ++i) p += r.parts[i] + "\\";
        return p;
    }());
    Node* parent = find(std::vector<std::string>(r.parts.begin(), r.parts.end() - 1));
    auto& slot = parent->children[fold_case(r.parts.back())];
    if (!slot) slot = new_entry(*parent, r.parts.back(), false, caller_);
    slot->name = r.parts.back();
    slot->content = content;
    slot->attributes = attributes & ~attr::directory;
}

void FakeFileSystem::put_directory(const std::string& path) {
    const int saved_fail = fail_at_;
    fail_at_ = 0;
    make_directory_path(path);
    --operations_;
    fail_at_ = saved_fail;
}

void FakeFileSystem::put_stream(const std::string& path, const std::string& stream,
                                const std::string& content) {
    if (Node* node = find(resolve(path).parts)) node->streams[fold_case(stream)] = content;
}

std::map<std::string, std::string> FakeFileSystem::streams(const std::string& path) const {
    Resolved r = resolve(path);
    Node* node = r.error == FsError::ok ? find(r.parts) : nullptr;
    return node ? node->streams : std::map<std::string, std::string>{};
}

void FakeFileSystem::set_in_use(const std::string& path, bool in_use) {
    if (Node* node = find(resolve(path).parts)) node->in_use = in_use;
}

void FakeFileSystem::set_closed_to_new_entries(const std::string& dir, bool closed) {
    if (Node* node = find(resolve(dir).parts)) node->closed_to_new_entries = closed;
}

std::optional<FileRights> FakeFileSystem::rights(const std::string& path) const {
    Resolved r = resolve(path);
    Node* node = r.error == FsError::ok ? find(r.parts) : nullptr;
    if (!node) return std::nullopt;
    return node->rights;
}

bool FakeFileSystem::exists(const std::string& path) const {
    Resolved r = resolve(path);
    return r.error == FsError::ok && find(r.parts) != nullptr;
}

bool FakeFileSystem::is_directory(const std::string& path) const {
    Resolved r = resolve(path);
    Node* node = r.error == FsError::ok ? find(r.parts) : nullptr;
    return node && node->is_dir();
}

std::optional<std::string> FakeFileSystem::content(const std::string& path) const {
    Resolved r = resolve(path);
    Node* node = r.error == FsError::ok ? find(r.parts) : nullptr;
    if (!node || node->is_dir()) return std::nullopt;
    return node->content;
}

void FakeFileSystem::collect(const Node& node, const std::string& path,
                             std::map<std::string, std::string>& out) const {
    for (const auto& [key, child] : node.children) {
        std::string child_path = path + "\\" + child->name;
        std::string description = std::to_string(child->attributes) + ":" + child->content;
        if (child->is_link()) description += "|->" + child->link_target;
        if (child->rights) description += "|" + security_descriptor_text(*child->rights);
        for (const auto& [stream, data] : child->streams) description += "|:" + stream + "=" + data;
        if (child->is_dir()) {
            out[child_path + "\\"] = description;
            collect(*child, child_path, out);
        } else {
            out[child_path] = description;
        }
    }
}

std::map<std::string, std::string> FakeFileSystem::snapshot() const {
    std::map<std::string, std::string> out;
    for (const auto& [key, root] : drives_) collect(*root, key, out);
    return out;
}

}  // namespace vh
