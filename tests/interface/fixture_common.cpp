#include <vector>

#include "tests/interface/fixture.h"

namespace vh::testing {

void remove_tree(const std::string& path) {
    FileSystem& fs = file_system_under_test();
    std::uint32_t attributes = 0;
    if (fs.get_attributes(path, attributes) != FsError::ok) return;
    fs.set_attributes(path, attributes & attr::directory ? 0 : attr::archive);
    if (!(attributes & attr::directory)) {
        fs.delete_file(path);
        return;
    }
    // list_files hides hidden and system files and subdirectories, so walk
    // by the names the tests use; tests only create what they name here.
    for (const char* name : {"a", "b", "c", "d", "sub", "hidden.txt", "system.txt", "ro.txt",
                             "File.TXT", "file.txt", "x.txt", "y.txt", "z.txt", "deep",
                             "settings.tmp", "target", "link", "moved", "Data", "данные.txt",
                             "probe.txt"})
        remove_tree(path + "\\" + name);
    std::vector<std::string> names;
    if (fs.list_files(path, names) == FsError::ok)
        for (const auto& n : names) remove_tree(path + "\\" + n);
    fs.remove_directory(path);
}

void PlatformTest::SetUp() {
    remove_directory_links();
    remove_tree(sandbox);
    ASSERT_EQ(fs.create_directory(sandbox), FsError::ok);
}

void PlatformTest::TearDown() {
    remove_directory_links();
    remove_tree(sandbox);
}

}  // namespace vh::testing
