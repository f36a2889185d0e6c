// An in-memory file system that behaves like Windows: drive letters, names
// that ignore case but keep it, '.' and '..' resolved and trailing dots and
// blanks dropped as the Win32 path rules do, read-only / hidden / system
// attributes, files held open by a running program, and the Win32 error for
// each refusal. Tests use it to run the programs' logic without Windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vh {

class FakeFileSystem : public FileSystem {
public:
    FakeFileSystem();  // drive C: exists and is current

    // What is there: these change nothing.
    FsError read_file(const std::string& path, std::string& content) override;
    FsError list_files(const std::string& dir, std::vector<std::string>& names) override;
    FsError find_file(const std::string& path, std::string& stored_name,
                      std::uint32_t& attributes) override;
    FsError get_attributes(const std::string& path, std::uint32_t& attributes) override;
    // Files.
    FsError write_file(const std::string& path, const std::string& content) override;
    FsError copy_file(const std::string& from, const std::string& to) override;
    FsError delete_stream(const std::string& path, const std::string& stream) override;
    FsError move_file_replacing(const std::string& from, const std::string& to) override;
    FsError check_replaceable(const std::string& path) override;
    FsError delete_file(const std::string& path) override;
    FsError set_attributes(const std::string& path, std::uint32_t attributes) override;
    // Directories.
    FsError create_directory(const std::string& path) override;
    FsError make_directory_path(const std::string& path) override;
    FsError remove_directory(const std::string& path) override;
    // Sizes, rewriting in place and rights.
    FsError file_size(const std::string& path, std::uint64_t& size) override;
    FsError rewrite_file(const std::string& path, const std::string& content) override;
    FsError set_rights(const std::string& path, const FileRights& rights) override;

    // Test set-up helpers (not counted as operations, never fail).
    void add_drive(char letter);
    void set_current_drive(char letter);
    void put_file(const std::string& path, const std::string& content,
                  std::uint32_t attributes = attr::archive);  // makes parents
    void put_directory(const std::string& path);               // makes parents
    // An alternate data stream of an existing file (a download's
    // "Zone.Identifier", say).
    void put_stream(const std::string& path, const std::string& stream,
                    const std::string& content);
    // The file's streams by name; none when the file is missing.
    std::map<std::string, std::string> streams(const std::string& path) const;
    // A file in use by a running program: it can be read, but not written,
    // renamed or deleted.
    void set_in_use(const std::string& path, bool in_use);
    // A folder to which nothing can be added: files and folders cannot be
    // created in it or moved into it (a user with the rights to read the
    // folder and write its existing files only).
    void set_closed_to_new_entries(const std::string& dir, bool closed);
    // The rights last given to the entry; none when never set.
    std::optional<FileRights> rights(const std::string& path) const;
    bool exists(const std::string& path) const;
    bool is_directory(const std::string& path) const;
    std::optional<std::string> content(const std::string& path) const;

    // Every file and directory with its attributes and content, keyed by its
    // full path as created ("C:\a\b"); directories end in a backslash.
    std::map<std::string, std::string> snapshot() const;

    // Fault injection: the n-th operation from now (1 = the next one) fails
    // with the given error, without any effect. 0 disarms.
    void fail_operation(int n, FsError error = FsError::access_denied);
    int operations_done() const { return operations_; }

private:
    struct Node {
        std::string name;  // as created
        std::uint32_t attributes = attr::archive;
        std::string content;
        std::map<std::string, std::string> streams;  // key: folded name
        bool in_use = false;
        bool closed_to_new_entries = false;
        std::optional<FileRights> rights;
        std::map<std::string, std::unique_ptr<Node>> children;  // key: folded name
        bool is_dir() const { return (attributes & attr::directory) != 0; }
    };
    struct Resolved {
        FsError error = FsError::ok;
        std::vector<std::string> parts;  // drive first ("C:")
    };

    // An entry that an operation removes, with the folder it is removed from.
    struct Existing {
        Node* parent = nullptr;
        Node* node = nullptr;
        std::string key;  // its key in the parent
    };

    Resolved resolve(const std::string& path) const;
    // Counts the operation and finds the entry, telling a missing one as
    // Windows does.
    FsError existing_entry(const std::string& path, Existing& entry);
    Node* find(const std::vector<std::string>& parts) const;
    Node* parent_of(const std::vector<std::string>& parts, FsError& error) const;
    bool begin_operation(FsError& error);
    void collect(const Node& node, const std::string& path,
                 std::map<std::string, std::string>& out) const;

    std::map<std::string, std::unique_ptr<Node>> drives_;  // key: "C:"
    char current_drive_ = 'C';
    int operations_ = 0;
    int fail_at_ = 0;
    FsError fail_error_ = FsError::access_denied;
};

}  // namespace vh
