#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/win_file_rights.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/wide.h"
#include "tests/interface/fixture.h"
#include "tests/win32/folder_link.h"

namespace vh::testing {

namespace {
class WinInUse : public InUse {
public:
    explicit WinInUse(const std::string& path)
        : file_(CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

private:
    WinHandle file_;
};
}  // namespace

FileSystem& file_system_under_test() {
    static WinFileSystem fs;
    return fs;
}

Registry& registry_under_test() {
    static WinRegistry registry;
    return registry;
}

std::unique_ptr<InUse> hold_in_use(const std::string& path) {
    return std::make_unique<WinInUse>(path);
}

std::optional<std::string> rights_text(const std::string& path) {
    return security_descriptor_text_of(path);
}

bool rights_are_kept(const std::string& scratch_file) {
    return keeps_security_descriptors(scratch_file);
}

}  // namespace vh::testing

namespace vh::testing {

namespace {
std::vector<std::wstring> links_made;
}  // namespace

bool make_directory_link(const std::string& link, const std::string& target) {
    links_made.push_back(to_wide(link));
    return make_folder_link(links_made.back(), to_wide(target));
}

void remove_directory_links() {
    for (const std::wstring& link : links_made) remove_folder_link(link);
    links_made.clear();
}

bool make_hard_link(const std::string& link, const std::string& existing) {
    return CreateHardLinkW(to_wide(link).c_str(), to_wide(existing).c_str(), nullptr);
}

}  // namespace vh::testing
