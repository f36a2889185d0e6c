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
    // The paths of the n-th journalled operation (1 = the first).
    const std::vector<std::string>& paths_of(int n) const { return journal_.at(n - 1); }
    int journalled() const { return static_cast<int>(journal_.size()); }

    FsError read_file(const std::string& path, std::string& content) override {
        note({path});
        return FakeFileSystem::read_file(path, content);
    }
    FsError write_file(const std::string& path, const std::string& content) override {
        note({path});
        return FakeFileSystem::write_file(path, content);
    }
    FsError move_file_replacing(const std::string& from, const std::string& to) override {
        note({from, to});
        return FakeFileSystem::move_file_replacing(from, to);
    }
    FsError delete_file(const std::string& path) override {
        note({path});
        return FakeFileSystem::delete_file(path);
    }
    FsError copy_file(const std::string& from, const std::string& to) override {
        note({from, to});
        return FakeFileSystem::copy_file(from, to);
    }
    FsError list_files(const std::string& dir, std::vector<std::string>& names) override {
        note({dir});
        return FakeFileSystem::list_files(dir, names);
    }
    FsError create_directory(const std::string& path) override {
        note({path});
        return FakeFileSystem::create_directory(path);
    }
    FsError make_directory_path(const std::string& path) override {
        note({path});
        return FakeFileSystem::make_directory_path(path);
    }
    FsError remove_directory(const std::string& path) override {
        note({path});
        return FakeFileSystem::remove_directory(path);
    }
    FsError get_attributes(const std::string& path, std::uint32_t& attributes) override {
        note({path});
        return FakeFileSystem::get_attributes(path, attributes);
    }
    FsError set_attributes(const std::string& path, std::uint32_t attributes) override {
        note({path});
        return FakeFileSystem::set_attributes(path, attributes);
    }
    FsError file_size(const std::string& path, std::uint64_t& size) override {
        note({path});
        return FakeFileSystem::file_size(path, size);
    }
    FsError rewrite_file(const std::string& path, const std::string& content) override {
        note({path});
        return FakeFileSystem::rewrite_file(path, content);
    }
    FsError set_rights(const std::string& path, const FileRights& rights) override {
        note({path});
        return FakeFileSystem::set_rights(path, rights);
    }

private:
    void note(std::vector<std::string> paths) {
        if (journal_on_) journal_.push_back(std::move(paths));
    }
    bool journal_on_ = false;
    std::vector<std::vector<std::string>> journal_;
};

}  // namespace vh::testing
