// The in-memory file system with a journal of the paths each operation was
// given, so that a fault-injection sweep knows which file its N-th, failing
// operation was about. Only operations made after start_journal() are kept,
// in the order the fake counts them.
#pragma once

#include <string>
#include <vector>

#include "platform/fake/fake_file_system.h"

namespace vh::testing {

class JournalledFileSystem : public FakeFileSystem {
public:
    void start_journal() { journal_on_ = true; }
    void stop_journal() { journal_on_ = false; }
    // The paths of the n-th journalled operation (1 = the first).
    const std::vector<std::string>& paths_of(int n) const { return journal_.at(n - 1); }
    int journalled() const { return static_cast<int>(journal_.size()); }
    // The name of the n-th journalled operation's function ("copy_file").
    const std::string& operation_of(int n) const { return operations_.at(n - 1); }
    // Whether the operation changes nothing on the disk.
    static bool only_looks(const std::string& operation) {
        return operation == "read_file" || operation == "list_files" ||
               operation == "get_attributes" || operation == "check_replaceable" ||
               operation == "file_size" || operation == "hold_drive_root" ||
               operation == "hold" || operation == "entry_facts" || operation == "list_entries";
    }

    FsError read_file(const std::string& path, std::string& content) override {
        note("read_file", {path});
        return FakeFileSystem::read_file(path, content);
    }
    FsError write_file(const std::string& path, const std::string& content) override {
        note("write_file", {path});
        return FakeFileSystem::write_file(path, content);
    }
    FsError move_file_replacing(const std::string& from, const std::string& to) override {
        note("move_file_replacing", {from, to});
        return FakeFileSystem::move_file_replacing(from, to);
    }
    FsError delete_file(const std::string& path) override {
        note("delete_file", {path});
        return FakeFileSystem::delete_file(path);
    }
    FsError check_replaceable(const std::string& path) override {
        note("check_replaceable", {path});
        return FakeFileSystem::check_replaceable(path);
    }
    FsError copy_file(const std::string& from, const std::string& to) override {
        note("copy_file", {from, to});
        return FakeFileSystem::copy_file(from, to);
    }
    FsError delete_stream(const std::string& path, const std::string& stream) override {
        note("delete_stream", {path});
        return FakeFileSystem::delete_stream(path, stream);
    }
    FsError list_files(const std::string& dir, std::vector<std::string>& names) override {
        note("list_files", {dir});
        return FakeFileSystem::list_files(dir, names);
    }
    FsError create_directory(const std::string& path) override {
        note("create_directory", {path});
        return FakeFileSystem::create_directory(path);
    }
    FsError make_directory_path(const std::string& path) override {
        note("make_directory_path", {path});
        return FakeFileSystem::make_directory_path(path);
    }
    FsError remove_directory(const std::string& path) override {
        note("remove_directory", {path});
        return FakeFileSystem::remove_directory(path);
    }
    FsError get_attributes(const std::string& path, std::uint32_t& attributes) override {
        note("get_attributes", {path});
        return FakeFileSystem::get_attributes(path, attributes);
    }
    FsError set_attributes(const std::string& path, std::uint32_t attributes) override {
        note("set_attributes", {path});
        return FakeFileSystem::set_attributes(path, attributes);
    }
    FsError file_size(const std::string& path, std::uint64_t& size) override {
        note("file_size", {path});
        return FakeFileSystem::file_size(path, size);
    }
    FsError rewrite_file(const std::string& path, const std::string& content) override {
        note("rewrite_file", {path});
        return FakeFileSystem::rewrite_file(path, content);
    }
    FsError set_rights(const std::string& path, const FileRights& rights) override {
        note("set_rights", {path});
        return FakeFileSystem::set_rights(path, rights);
    }

    FsError hold_drive_root(const std::string& drive, std::unique_ptr<HeldFolder>& root) override {
        note("hold_drive_root", {drive});
        return FakeFileSystem::hold_drive_root(drive, root);
    }
    FsError open_log(const std::string& path, std::unique_ptr<LogFile>& log) override {
        note("open_log", {path});
        return FakeFileSystem::open_log(path, log);
    }

protected:
    void noted(const char* operation, const std::string& path) override { note(operation, {path}); }

private:
    void note(const char* operation, std::vector<std::string> paths) {
        if (!journal_on_) return;
        operations_.push_back(operation);
        journal_.push_back(std::move(paths));
    }
    bool journal_on_ = false;
    std::vector<std::string> operations_;
    std::vector<std::vector<std::string>> journal_;
};

}  // namespace vh::testing
