// Closing a running console of this session before its files are changed:
// the installer and the uninstaller both ask it to end the normal way (its
// unload writes the settings and removes the icon) and wait for it.
#pragma once

#include <functional>
#include <string>

#include "platform/running_console.h"

namespace vh {

// How long a running console is given to end before the caller stops.
inline constexpr int console_close_timeout_ms = 5000;

inline constexpr const char* closing_console_text = "Закрытие консоли Varnholde";
// Why the caller stopped when the console did not end, and what the user
// can do about it.
inline constexpr const char* console_not_closed_text =
    "консоль Varnholde не закрылась; закройте её (\"Выход\" в меню её значка)";

// Why the console's program file is still held once the console of this
// session has ended.
inline constexpr const char* console_of_other_user_text =
    "консоль Varnholde запущена другим пользователем";

enum class ConsoleClose {
    none_running,   // nothing was asked
    closed,         // a console ran and has ended
    still_running,  // it did not end in time
};

// Finds a console of this session; when one runs, shows the closing text
// through show_status, asks it to close and waits for it. console may be
// null: no console can be running.
ConsoleClose close_running_console(RunningConsole* console,
                                   const std::function<void(const std::string&)>& show_status);

}  // namespace vh
