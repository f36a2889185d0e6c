#include "tests/e2e/install_fixture.h"

#include <objbase.h>
#include <shlobj.h>

#include <thread>

namespace vh::e2e {

namespace {

bool is_console_band(HWND w) {
    return class_of(w) == "VarnholdeConsole" && visible(w);
}

// Releases a COM interface when it goes out of scope.
template <class T>
struct ComRef {
    T* p = nullptr;
    ~ComRef() {
        if (p) p->Release();
    }
};

}  // namespace

void copy_tree(const std::string& from, const std::string& to) {
    make_dirs(to);
    for (const std::string& name : files_in(from)) copy_file(from + "\\" + name, to + "\\" + name);
    for (const std::string& name : folders_in(from)) copy_tree(from + "\\" + name, to + "\\" + name);
}

std::optional<ShortcutTarget> resolve_shortcut(const std::string& lnk_path) {
    const HRESULT init = CoInitialize(nullptr);
    std::optional<ShortcutTarget> result;
    {
        ComRef<IShellLinkW> link;
        ComRef<IPersistFile> file;
        wchar_t path[MAX_PATH] = {}, working_dir[MAX_PATH] = {};
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkW, reinterpret_cast<void**>(&link.p))) &&
            SUCCEEDED(link.p->QueryInterface(IID_IPersistFile,
                                             reinterpret_cast<void**>(&file.p))) &&
            SUCCEEDED(file.p->Load(to_utf16(lnk_path).c_str(), STGM_READ)) &&
            link.p->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) {
            link.p->GetWorkingDirectory(working_dir, MAX_PATH);
            result = ShortcutTarget{to_utf8(path), to_utf8(working_dir)};
        }
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return result;
}

HWND wait_for_child(HWND parent, const std::string& text, Duration timeout) {
    HWND found = nullptr;
    wait_until([&] { return (found = child_with_text(parent, text)) != nullptr; }, timeout);
    return found;
}

void InstallTest::SetUp() {
    common_programs =
        registry_string(HKEY_LOCAL_MACHINE, product::shell_folders, "Common Programs")
            .value_or("");
    ASSERT_FALSE(common_programs.empty()) << "this Windows has no \"Common Programs\" value";
    remove_product();
    const std::string package = bin_dir() + "\\package";
    ASSERT_TRUE(file_exists(package + "\\Setup.exe"))
        << "no package at " << package << ": build the target \"package\" first";
    copy_tree(package, product::package_copy);
}

void InstallTest::TearDown() {
    console.kill();
    setup.kill();
    close_windows_of_class("Notepad");
    remove_product();
}

void InstallTest::remove_product() {
    close_windows_of_class("VarnholdeConsole");
    close_windows_of_class("VarnholdeUninstall");
    remove_tree(product::parent_dir);
    remove_tree(start_menu_folder());
    remove_tree(product::package_copy);
    delete_registry_value(HKEY_LOCAL_MACHINE, product::run_key, product::run_value);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, to_utf16(product::uninstall_key).c_str());
}

std::string InstallTest::start_menu_folder() const {
    return common_programs + "\\Varnholde";
}

void InstallTest::start_setup() {
    setup = Program::start(product::package_copy + "\\Setup.exe", "", product::package_copy);
    setup_window = wait_for_window(
        setup.id(), [](HWND w) { return visible(w) && text_of(w) == "Varnholde_Setup"; }, 20s);
    ASSERT_NE(setup_window, nullptr) << "the window \"Varnholde_Setup\" did not appear";
}

void InstallTest::start_console() {
    console = Program::start(product::console_exe, "", product::dir);
    band = wait_for_window(console.id(), is_console_band, 15s);
    ASSERT_NE(band, nullptr) << "the console band did not appear";
    const auto edits = children(band, "Edit");
    ASSERT_EQ(edits.size(), 1u);
    input = edits[0];
}

void InstallTest::enter(const std::string& line) {
    bring_to_front(band);
    type_text(line);
    press_key(VK_RETURN);
    // The line has been taken when the input line is empty again.
    wait_until([&] { return !console.running() || text_of(input).empty(); }, 3s);
    std::this_thread::sleep_for(100ms);
}

std::string InstallTest::last_history_line() const {
    HWND lowest = nullptr;
    for (HWND label : children(band, "Static"))
        if (!lowest || screen_rect(label).top > screen_rect(lowest).top) lowest = label;
    return lowest ? text_of(lowest) : std::string();
}

}  // namespace vh::e2e
