#include "tests/e2e/directory_link.h"

#include "tests/e2e/driver.h"
#include "tests/win32/folder_link.h"

namespace vh::e2e {

bool make_directory_link(const std::string& link, const std::string& target) {
    return testing::make_folder_link(to_utf16(link), to_utf16(target));
}

void remove_directory_link(const std::string& link) {
    testing::remove_folder_link(to_utf16(link));
}

bool is_directory_link(const std::string& path) {
    return testing::is_folder_link(to_utf16(path));
}

}  // namespace vh::e2e
