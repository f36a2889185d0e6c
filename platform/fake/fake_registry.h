// An in-memory registry that behaves like advapi32's ANSI functions: key and
// value names ignore case, values keep their type and exact bytes (embedded
// zeros included), handles must be closed, and sizes are reported in bytes.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace vh {

class FakeRegistry : public Registry {
public:
    FakeRegistry();

    long create_key(RegKey root, const std::string& path, RegKey& key) override;
    long open_key(RegKey root, const std::string& path, RegKey& key) override;
    long query_value(RegKey key, const std::string& name, std::uint32_t* type, char* data,
                     std::uint32_t* size) override;
    long set_value(RegKey key, const std::string& name, std::uint32_t type, const char* data,
                   std::uint32_t size) override;
    long close_key(RegKey key) override;
    long delete_value(RegKey key, const std::string& name) override;
    long delete_key(RegKey root, const std::string& path) override;

    // Test helpers: store or read a value directly, bypassing handles.
    void put_value(RegKey root, const std::string& path, const std::string& name,
                   std::uint32_t type, const std::string& bytes);
    struct Value {
        std::uint32_t type = reg_none;
        std::string bytes;
    };
    std::optional<Value> value(RegKey root, const std::string& path,
                               const std::string& name) const;
    bool key_exists(RegKey root, const std::string& path) const;
    // Every value of a root, keyed "path\\name" in folded case, with its
    // type and bytes: what a test compares to see that nothing else changed.
    std::map<std::string, std::string> snapshot(RegKey root) const;
    int open_handles() const { return static_cast<int>(handles_.size()); }
    // Writes and deletions are refused with access denied (a user without
    // admin rights).
    void set_read_only(bool read_only) { read_only_ = read_only; }

    // Fault injection: the n-th operation from now fails with access denied.
    void fail_operation(int n);
    int operations_done() const { return operations_; }

private:
    struct Key {
        std::map<std::string, std::unique_ptr<Key>> subkeys;  // folded name
        std::map<std::string, Value> values;                    // folded name
    };
    Key* root_key(RegKey root) const;
    Key* walk(Key* from, const std::string& path, bool create) const;
    Key* key_of(RegKey handle) const;
    // The status for a handle that names no key: deleted or never opened.
    long missing_key_status(RegKey handle) const;
    static void collect(const Key& key, const std::string& path,
                        std::map<std::string, std::string>& out);
    bool begin_operation();

    std::map<RegKey, std::unique_ptr<Key>> roots_;
    std::map<RegKey, Key*> handles_;  // null: its key was deleted
    RegKey next_handle_ = 0x1000;
    bool read_only_ = false;
    int operations_ = 0;
    int fail_at_ = 0;
};

}  // namespace vh
