// The uninstaller's fixed texts, and the name of its batch file; the
// product's own places are in shared/product.h.
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

}  // namespace vh::uninstall_text

namespace vh::uninstall_path {

// The batch file that deletes the uninstaller once it has ended.
inline constexpr const char* batch_name = "Del_Unin.bat";

}  // namespace vh::uninstall_path
