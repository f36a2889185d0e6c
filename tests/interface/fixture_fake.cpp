#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "tests/interface/fixture.h"

namespace vh::testing {

namespace {
FakeFileSystem& fake_fs() {
    static FakeFileSystem fs;
    return fs;
}

class FakeInUse : public InUse {
public:
    explicit FakeInUse(std::string path) : path_(std::move(path)) {
        fake_fs().set_in_use(path_, true);
    }
    ~FakeInUse() override { fake_fs().set_in_use(path_, false); }

private:
    std::string path_;
};
}  // namespace

FileSystem& file_system_under_test() {
    return fake_fs();
}

Registry& registry_under_test() {
    static FakeRegistry registry;
    return registry;
}

std::unique_ptr<InUse> hold_in_use(const std::string& path) {
    return std::make_unique<FakeInUse>(path);
}

std::optional<std::string> rights_text(const std::string& path) {
    const std::optional<FileRights> rights = fake_fs().rights(path);
    if (!rights) return std::nullopt;
    return security_descriptor_text(*rights);
}

bool rights_are_kept(const std::string&) {
    return true;
}

// Made by a standard user, as on Windows anyone may make them.
bool make_directory_link(const std::string& link, const std::string& target) {
    return fake_fs().user_make_link("user", link, target) == FsError::ok;
}

// The fake's links go with the tree like any empty folder.
void remove_directory_links() {}

bool make_hard_link(const std::string& link, const std::string& existing) {
    return fake_fs().user_hard_link("user", link, existing) == FsError::ok;
}

}  // namespace vh::testing
