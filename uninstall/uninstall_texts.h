// The uninstaller's fixed texts and paths.
#pragma once

namespace vh::uninstall_text {

inline constexpr const char* caption = "Varnholde Uninstall";
inline constexpr const char* title = "Удаление Varnholde 1.3";
inline constexpr const char* question =
    "Вы действительно хотите удалить Varnholde 1.3 с вашего компьютера?";
inline constexpr const char* no = "Нет";
inline constexpr const char* yes = "Да";
inline constexpr const char* exit = "Выход";
inline constexpr const char* removing = "Удаление: ";
inline constexpr const char* completed = "Удаление Varnholde 1.3 успешно завершено.";
inline constexpr const char* closing_console = "Закрытие консоли Varnholde";

}  // namespace vh::uninstall_text

namespace vh::uninstall_path {

inline constexpr const char* install_dir = "C:\\Tessarimondale\\Varnholde\\";
inline constexpr const char* aliases = "C:\\Tessarimondale\\Varnholde\\Alliases";
inline constexpr const char* alias_dirs = "C:\\Tessarimondale\\Varnholde\\Alliases\\Dirs";
inline constexpr const char* alias_programs = "C:\\Tessarimondale\\Varnholde\\Alliases\\Exe_files";
inline constexpr const char* skins = "C:\\Tessarimondale\\Varnholde\\Skins";
inline constexpr const char* kept_file = "Uninstall.exe";
inline constexpr const char* batch_name = "Del_Unin.bat";

inline constexpr const char* shell_folders_key =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* common_programs = "Common Programs";
inline constexpr const char* start_menu_folder = "\\Varnholde";
// The shortcuts the installer writes into the Start-menu folder.
inline constexpr const char* shortcuts[] = {"Varnholde.lnk", "ReadMe.lnk",
                                            "Удаление Varnholde.lnk"};

inline constexpr const char* run_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* run_value = "Varnholde";
inline constexpr const char* console_program = "C:\\Tessarimondale\\Varnholde\\Varnholde.exe";

}  // namespace vh::uninstall_path
