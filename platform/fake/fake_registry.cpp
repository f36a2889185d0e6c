#include "platform/fake/fake_registry.h"

#include <cstring>

#include "platform/names.h"
#include "platform/text_codec.h"

namespace vh {

FakeRegistry::FakeRegistry() {
    roots_[hkey_local_machine] = std::make_unique<Key>();
    roots_[hkey_current_user] = std::make_unique<Key>();
}

FakeRegistry::Key* FakeRegistry::root_key(RegKey root) const {
    auto it = roots_.find(root);
    if (it != roots_.end()) return it->second.get();
    return key_of(root);
}

FakeRegistry::Key* FakeRegistry::key_of(RegKey handle) const {
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second;
}

FakeRegistry::Key* FakeRegistry::walk(Key* from, const std::string& path, bool create) const {
    Key* key = from;
    size_t start = 0;
    while (key && start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = fold_case(path.substr(start, end - start));
        start = end + 1;
        if (part.empty()) continue;
        auto& slot = key->subkeys[part];
        if (!slot) {
            if (!create) {
                key->subkeys.erase(part);
                return nullptr;
            }
            slot = std::make_unique<Key>();
        }
        key = slot.get();
    }
    return key;
}

long FakeRegistry::missing_key_status(RegKey handle) const {
    return handles_.count(handle) ? reg_key_deleted : reg_invalid_handle;
}

bool FakeRegistry::begin_operation() {
    ++operations_;
    if (fail_at_ != 0 && operations_ == fail_at_) {
        fail_at_ = 0;
        return false;
    }
    return true;
}

void FakeRegistry::fail_operation(int n) {
    fail_at_ = n == 0 ? 0 : operations_ + n;
}

long FakeRegistry::create_key(RegKey root, const std::string& path, RegKey& key) {
    if (!begin_operation()) return reg_access_denied;
    Key* from = root_key(root);
    if (!from) return missing_key_status(root);
    if (read_only_ && !walk(from, path, false)) return reg_access_denied;
    Key* found = walk(from, path, true);
    key = next_handle_++;
    handles_[key] = found;
    return reg_ok;
}

long FakeRegistry::open_key(RegKey root, const std::string& path, RegKey& key) {
    if (!begin_operation()) return reg_access_denied;
    Key* from = root_key(root);
    if (!from) return missing_key_status(root);
    Key* found = walk(from, path, false);
    if (!found) return reg_file_not_found;
    key = next_handle_++;
    handles_[key] = found;
    return reg_ok;
}

long FakeRegistry::query_value(RegKey handle, const std::string& name, std::uint32_t* type,
                               char* data, std::uint32_t* size) {
    if (!begin_operation()) return reg_access_denied;
    Key* key = root_key(handle);
    if (!key) return missing_key_status(handle);
    auto it = key->values.find(fold_case(name));
    if (it == key->values.end()) return reg_file_not_found;
    const Value& v = it->second;
    if (type) *type = v.type;
    const auto needed = static_cast<std::uint32_t>(v.bytes.size());
    if (data) {
        if (!size || *size < needed) {
            if (size) *size = needed;
            return reg_more_data;
        }
        std::memcpy(data, v.bytes.data(), needed);
    }
    if (size) *size = needed;
    return reg_ok;
}

long FakeRegistry::set_value(RegKey handle, const std::string& name, std::uint32_t type,
                             const char* data, std::uint32_t size) {
    if (!begin_operation()) return reg_access_denied;
    Key* key = root_key(handle);
    if (!key) return missing_key_status(handle);
    if (read_only_) return reg_access_denied;
    const bool text = type == reg_sz || type == reg_expand_sz || type == reg_multi_sz;
    if (text && !utf8_to_utf16(std::string_view(data ? data : "", data ? size : 0)))
        return reg_invalid_parameter;
    key->values[fold_case(name)] = Value{type, std::string(data ? data : "", data ? size : 0)};
    return reg_ok;
}

long FakeRegistry::close_key(RegKey handle) {
    if (roots_.count(handle)) return reg_ok;
    return handles_.erase(handle) ? reg_ok : reg_invalid_handle;
}

long FakeRegistry::delete_value(RegKey handle, const std::string& name) {
    if (!begin_operation()) return reg_access_denied;
    Key* key = root_key(handle);
    if (!key) return missing_key_status(handle);
    if (read_only_) return reg_access_denied;
    return key->values.erase(fold_case(name)) ? reg_ok : reg_file_not_found;
}

long FakeRegistry::delete_key(RegKey root, const std::string& path) {
    if (!begin_operation()) return reg_access_denied;
    Key* from = root_key(root);
    if (!from) return missing_key_status(root);
    const std::size_t slash = path.find_last_of('\\');
    const std::string parent_path = slash == std::string::npos ? "" : path.substr(0, slash);
    const std::string name = fold_case(slash == std::string::npos ? path : path.substr(slash + 1));
    if (name.empty()) return reg_invalid_parameter;
    Key* parent = walk(from, parent_path, false);
    if (!parent || !parent->subkeys.count(name)) return reg_file_not_found;
    Key* doomed = parent->subkeys[name].get();
    if (read_only_ || !doomed->subkeys.empty()) return reg_access_denied;
    for (auto& [handle, key] : handles_)
        if (key == doomed) key = nullptr;
    parent->subkeys.erase(name);
    return reg_ok;
}

void FakeRegistry::put_value(RegKey root, const std::string& path, const std::string& name,
                             std::uint32_t type, const std::string& bytes) {
    walk(root_key(root), path, true)->values[fold_case(name)] = Value{type, bytes};
}

std::optional<FakeRegistry::Value> FakeRegistry::value(RegKey root, const std::string& path,
                                                       const std::string& name) const {
    Key* key = walk(root_key(root), path, false);
    if (!key) return std::nullopt;
    auto it = key->values.find(fold_case(name));
    if (it == key->values.end()) return std::nullopt;
    return it->second;
}

bool FakeRegistry::key_exists(RegKey root, const std::string& path) const {
    return walk(root_key(root), path, false) != nullptr;
}

void FakeRegistry::collect(const Key& key, const std::string& path,
                           std::map<std::string, std::string>& out) {
    for (const auto& [name, value] : key.values)
        out[path + "\\" + name] = std::to_string(value.type) + ":" + value.bytes;
    for (const auto& [name, subkey] : key.subkeys) {
        out[path + "\\" + name + "\\"] = "";
        collect(*subkey, path + "\\" + name, out);
    }
}

std::map<std::string, std::string> FakeRegistry::snapshot(RegKey root) const {
    std::map<std::string, std::string> out;
    if (const Key* key = root_key(root)) collect(*key, "", out);
    return out;
}

}  // namespace vh
