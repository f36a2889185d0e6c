// How the fake file system finds an entry by its path, as Windows does:
// drive letters, '.' and '..', trailing dots and blanks dropped, device and
// invalid names refused, and junctions and symbolic links followed.
#include <cstring>

#include "platform/fake/fake_file_system.h"
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

}  // namespace vh
