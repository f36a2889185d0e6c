// The fixed facts by which the console, the installer and the uninstaller
// find the product and each other: the installation tree, the registry
// values and the Start-menu entries. Nothing here is configurable.
#pragma once

// The version and publisher that the programs' version resources show and
// that the installer registers: macros, so that the resource compiler reads
// them from here too. It sees nothing of the C++ below.
#define VH_VERSION_MAJOR 1
#define VH_VERSION_MINOR 3
#define VH_VERSION_PATCH 0
#define VH_VERSION_TEXT "1.3.0"
#define VH_COMPANY_NAME "Tessarimondale"

#ifndef RC_INVOKED

// The installation directory, without a trailing backslash; every path of
// the tree below is built from it.
#define VH_INSTALL_DIR "C:\\Tessarimondale\\Varnholde"

namespace vh::product {

inline constexpr const char* install_dir = VH_INSTALL_DIR;
inline constexpr const char* console_program = VH_INSTALL_DIR "\\Varnholde.exe";
inline constexpr const char* uninstaller_name = "Uninstall.exe";
inline constexpr const char* settings_file = VH_INSTALL_DIR "\\us_param.par";
inline constexpr const char* readme_file = VH_INSTALL_DIR "\\ReadMe.txt";
inline constexpr const char* icon_file = VH_INSTALL_DIR "\\KSR_Icon.ico";

inline constexpr const char* skins_dir = VH_INSTALL_DIR "\\Skins";
// Skin n is this, a blank, the digit n and ".jpg".
inline constexpr const char* skin_path_prefix = VH_INSTALL_DIR "\\Skins\\skin_";

inline constexpr const char* aliases_dir = VH_INSTALL_DIR "\\Alliases";
inline constexpr const char* program_alias_dir = VH_INSTALL_DIR "\\Alliases\\Exe_files";
inline constexpr const char* folder_alias_dir = VH_INSTALL_DIR "\\Alliases\\Dirs";

// Windows starts the console at log-on through this value of HKLM.
inline constexpr const char* run_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* run_value_name = "Varnholde";

// The Start menu of all users: the folder named by this value of HKLM,
// followed by the product's own folder, which holds the shortcuts.
inline constexpr const char* shell_folders_key =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* common_programs_value = "Common Programs";
inline constexpr const char* start_menu_folder = "\\Varnholde";
// The shortcuts, by their names in the package; in the Start menu each
// takes the extension ".lnk".
inline constexpr const char* shortcut_names[] = {"Varnholde", "ReadMe", "Удаление Varnholde"};
inline constexpr const char* shortcut_extension = ".lnk";

// The class of the console's window, by which the uninstaller and a second
// start of the console find a running console.
inline constexpr const char* console_window_class = "VarnholdeConsole";

// The product's entry in Apps & features: this key of HKLM, written by the
// installer and removed by the uninstaller.
inline constexpr const char* uninstall_key =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnholde";
inline constexpr const char* display_name = "Varnholde";
inline constexpr const char* version_text = VH_VERSION_TEXT;
inline constexpr const char* publisher = VH_COMPANY_NAME;

}  // namespace vh::product

#endif  // RC_INVOKED
