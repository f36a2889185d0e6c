// An in-memory file system that behaves like Windows: drive letters, names
// that ignore case but keep it, '.' and '..' resolved and trailing dots and
// blanks dropped as the Win32 path rules do, read-only / hidden / system
// attributes, files held open by a running program, and the Win32 error for
// each refusal. It also keeps what matters to a program that runs elevated
// among users: junctions and symbolic links (followed by paths, not by the
// handle-based layer), hard links, owners, the rights a new entry inherits
// from its folder unless it is given its own (C:\ lets every signed-in user
// add folders and change what they hold), folders held open, and users who
// act in between, as far as those rights and holds let them. Tests use it
// to run the programs' logic without Windows.
#pragma once

#include <cstdint>
#include <functional>
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
    // The handle-based layer (fake_held_folder.cpp).
    FsError hold_drive_root(const std::string& drive, std::unique_ptr<HeldFolder>& root) override;
    FsError open_log(const std::string& path, std::unique_ptr<LogFile>& log) override;

    // Who does what follows: the program's own operations run as this
    // account (an elevated administrator, whose entries Administrators own,
    // unless set), and what it creates is owned by it. "BA" an elevated
    // administrator, "SY" LocalSystem, any other name a standard user.
    void set_caller(const std::string& account) { caller_ = account; }
    const std::string& caller() const { return caller_; }
    // A user who is a member of Administrators (an owner Setup accepts).
    void add_administrator(const std::string& account) { administrators_.push_back(account); }

    // What a user does, as his rights and the folders held open let him:
    // each returns what Windows would answer him. The account is any name
    // but "BA", "SY" and "TI".
    FsError user_make_directory(const std::string& account, const std::string& path);
    // A junction at path leading to target: a new one, or an empty folder
    // of his made one.
    FsError user_make_link(const std::string& account, const std::string& path,
                           const std::string& target);
    FsError user_hard_link(const std::string& account, const std::string& path,
                           const std::string& existing);
    FsError user_write(const std::string& account, const std::string& path,
                       const std::string& content);
    FsError user_rename(const std::string& account, const std::string& from,
                        const std::string& to);
    FsError user_remove(const std::string& account, const std::string& path);
    // Runs action just before the n-th operation from now (1 = the next),
    // once: a user who acts between two steps of a program.
    void act_before_operation(int n, std::function<void()> action);

    // Set-up: the entry's owner ("BA", "SY", "TI" or an account).
    void set_owner(const std::string& path, const std::string& owner);
    std::string owner(const std::string& path) const;
    // The entry's links counted: how many names it has.
    std::uint32_t link_count(const std::string& path) const;
    bool is_link(const std::string& path) const;
    // How many holds are open on the entry.
    int holds(const std::string& path) const;

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

    // One rule of an entry's rights as the fake keeps them: "SY", "BA",
    // "BU", "AU", "CO" or an account; rights as fake_rights.h spells them.
    struct Rule {
        std::string who;
        std::uint32_t rights = 0;
        bool to_files = false, to_folders = false, only_inherited = false;
    };
    struct Node {
        std::string name;  // as created
        std::uint32_t attributes = attr::archive;
        std::string content;
        std::map<std::string, std::string> streams;  // key: folded name
        bool in_use = false;
        bool closed_to_new_entries = false;
        std::optional<FileRights> rights;  // given explicitly, inheriting nothing
        std::vector<Rule> inherited;       // otherwise: what it took from its folder
        std::string owner = "BA";
        std::string link_target;  // a junction or symbolic link: where it leads
        std::uint32_t links = 1;  // names of the same file
        int holds = 0;
        std::map<std::string, std::shared_ptr<Node>> children;  // key: folded name
        // A child that is a second name of a file elsewhere: its name here.
        std::map<std::string, std::string> link_names;  // key: folded name
        const std::string& name_of(const std::string& key, const Node& child) const {
            const auto found = link_names.find(key);
            return found == link_names.end() ? child.name : found->second;
        }
        void erase_child(const std::string& key) {
            children.erase(key);
            link_names.erase(key);
        }
        bool is_dir() const { return (attributes & attr::directory) != 0; }
        bool is_link() const { return !link_target.empty(); }
    };
    friend class FakeHeldFolder;
    friend class FakeLogFile;

protected:
    // Each operation made through a held folder, with the path it reached
    // (a journal of the operations overrides it).
    virtual void noted(const char* operation, const std::string& path) {
        (void)operation;
        (void)path;
    }

private:
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
    FsError existing_entry(const std::string& path, Existing& entry, bool follow_last = true);
    // A link on the way is followed, and the last part's too unless told.
    Node* find(const std::vector<std::string>& parts, bool follow_last = true) const;
    std::shared_ptr<Node> find_shared(const std::vector<std::string>& parts,
                                      bool follow_last) const;
    // A new entry of parent's, owned by owner, with the rules it inherits.
    std::shared_ptr<Node> new_entry(const Node& parent, const std::string& name, bool folder,
                                    const std::string& owner) const;
    std::vector<Rule> rules_of(const Node& node) const;
    // Whether account may do what rights asks (fake_rights.h) to node in
    // folder parent.
    bool allowed(const std::string& account, const Node* parent, const Node& node,
                 std::uint32_t rights) const;
    OwnerKind owner_kind(const std::string& owner) const;
    EntryFacts facts_of(const Node& node) const;
    Node* parent_of(const std::vector<std::string>& parts, FsError& error) const;
    bool begin_operation(FsError& error);
    void collect(const Node& node, const std::string& path,
                 std::map<std::string, std::string>& out) const;

    std::map<std::string, std::shared_ptr<Node>> drives_;  // key: "C:"
    std::string caller_ = "BA";
    std::vector<std::string> administrators_;
    int act_at_ = 0;
    std::function<void()> action_;
    char current_drive_ = 'C';
    int operations_ = 0;
    int fail_at_ = 0;
    FsError fail_error_ = FsError::access_denied;
};

}  // namespace vh
