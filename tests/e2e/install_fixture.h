// The product's lifecycle end to end: a copy of the built installation
// package, Setup.exe started from it, the installed console and uninstaller.
// The fixture starts every test from a machine without the product.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace vh::e2e {

namespace product {
inline const std::string parent_dir = "C:\\Tessarimondale";
inline const std::string dir = parent_dir + "\\Varnholde";
inline const std::string console_exe = dir + "\\Varnholde.exe";
inline const std::string settings = dir + "\\us_param.par";
inline const std::string run_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::string run_value = "Varnholde";
inline const std::string uninstall_key =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnholde";
inline const std::string shell_folders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Where the tests put their copy of the package, away from the build.
inline const std::string package_copy = "C:\\vh_package";
}  // namespace product

void copy_tree(const std::string& from, const std::string& to);

// A shortcut file read through the Windows shell.
struct ShortcutTarget {
    std::string path;
    std::string working_dir;
};
std::optional<ShortcutTarget> resolve_shortcut(const std::string& lnk_path);

// A control of the window (at any depth) whose text is the given one.
HWND wait_for_child(HWND parent, const std::string& text, Duration timeout = 10s);

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // "Common Programs" followed by "\Varnholde".
    std::string start_menu_folder() const;
    // Starts package_copy\Setup.exe and waits for its window.
    void start_setup();
    // Starts the installed console and waits for its band and input line.
    void start_console();
    // Types a line into the console and presses Enter.
    void enter(const std::string& line);
    // The console's lowest (newest) history line.
    std::string last_history_line() const;

    std::string common_programs;
    Program setup;
    HWND setup_window = nullptr;
    Program console;
    HWND band = nullptr;
    HWND input = nullptr;

private:
    void remove_product();
};

}  // namespace vh::e2e
