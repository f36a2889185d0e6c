// The fake file system's test set-up: what a test puts in place, holds or
// arms before the program runs, and what it reads back afterwards. None of
// these counts as an operation of the program.
#include "platform/fake/fake_file_system.h"

#include "platform/names.h"

namespace vh {

void FakeFileSystem::act_before_operation(int n, std::function<void()> action) {
    act_at_ = n == 0 ? 0 : operations_ + n;
    action_ = std::move(action);
}

void FakeFileSystem::fail_operation(int n, FsError error) {
    fail_at_ = n == 0 ? 0 : operations_ + n;
    fail_error_ = error;
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
        std::string child_path = path + "\\" + node.name_of(key, *child);
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
