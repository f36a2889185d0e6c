// The platform interface tests run twice: natively against the in-memory
// fakes and under Wine against the Win32 implementations. Each backend
// provides these functions; the tests see only the interfaces.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/registry.h"

namespace vh::testing {

FileSystem& file_system_under_test();
Registry& registry_under_test();

// Keeps a file open the way a running program keeps its own file: others
// may read it but not write, rename or delete it. Released on destruction.
class InUse {
public:
    virtual ~InUse() = default;
};
std::unique_ptr<InUse> hold_in_use(const std::string& path);

// The owner and DACL of a file or folder in SDDL form, as Windows reads
// them back; none when they cannot be read (or were never set, for the fake).
std::optional<std::string> rights_text(const std::string& path);
// Whether the file system keeps a file's owner and DACL as set (tried on a
// scratch file): NTFS and the fake do, Wine turns them into Unix
// permission bits.
bool rights_are_kept(const std::string& scratch_file);

// A junction at link (which must not exist) leading to the folder target,
// both full paths. Wine cannot make one; there it is a Unix symbolic link to
// the folder, which Wine reports and follows as a junction.
bool make_directory_link(const std::string& link, const std::string& target);
// Removes, as links, those that make_directory_link made (every test's
// sandbox is removed after it).
void remove_directory_links();
// A second name, link, of the existing file.
bool make_hard_link(const std::string& link, const std::string& existing);

// Removes a whole tree, clearing attributes first; missing is fine.
void remove_tree(const std::string& path);

// A fresh, empty sandbox directory for each test.
class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string path(const std::string& relative) const { return sandbox + "\\" + relative; }

    FileSystem& fs = file_system_under_test();
    Registry& registry = registry_under_test();
    const std::string sandbox = "C:\\vh_interface_test";
};

}  // namespace vh::testing
