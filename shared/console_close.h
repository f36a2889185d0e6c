// Closing the running consoles before their files are changed, and
// starting them again afterwards. The console of this session is asked
// through its window, as "Выход" would end it; the consoles of every
// session, this one's included where no window could be seen (an
// installer running as LocalSystem in session 0), are found by the files
// they hold and asked through the request each console listens for.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/console_sessions.h"
#include "platform/desktop_starter.h"
#include "platform/running_console.h"

namespace vh {

// How long a running console is given to end before the caller stops.
inline constexpr int console_close_timeout_ms = 5000;

inline constexpr const char* closing_console_text = "Закрытие консоли Varnholde";
// Why the caller stopped when the console did not end, and what the user
// can do about it.
inline constexpr const char* console_not_closed_text =
    "консоль Varnholde не закрылась; закройте её (\"Выход\" в меню её значка)";

// Why the console's program file is still held once every console that
// could be asked has ended.
inline constexpr const char* console_of_other_user_text =
    "консоль Varnholde запущена другим пользователем";

// Why the caller stopped when a console of another session could not be
// started there again after it ended; it was left running.
std::string console_not_startable_text(std::uint32_t session);

enum class ConsoleClose {
    none_running,   // nothing was asked
    closed,         // consoles ran and have ended
    still_running,  // one did not end in time
    not_startable,  // one could not be started again: none was asked
};

using ShowText = std::function<void(const std::string&)>;

// Finds a console of this session; when one runs, shows the closing text
// through show_status, asks it to close and waits for it. console may be
// null: no console can be running.
ConsoleClose close_running_console(RunningConsole* console, const ShowText& show_status);

// Where the consoles are found and how they are reached; either may be
// null.
struct ConsoleReach {
    RunningConsole* window = nullptr;     // this session's, by its window
    ConsoleSessions* sessions = nullptr;  // every session's, by the files they hold
    DesktopStarter* starter = nullptr;    // starts this session's as its desktop user
    // The caller starts every closed console again: a console of another
    // session is closed only where it can be started there again.
    bool starts_again = false;
};

// The consoles that were closed and are to run again.
struct ClosedConsoles {
    bool by_window = false;              // this session's, through its window
    std::vector<std::uint32_t> sessions;  // sessions whose console ended on request
    std::uint32_t not_startable = 0;      // the session that stopped it all (not_startable)
    bool any() const { return by_window || !sessions.empty(); }
};

// Closes the console of this session through its window, then asks every
// console that holds one of the files, in any session, and waits for them.
// Where the caller starts them again, a console of another session into
// which there is no way stops it all before anything is closed.
// Whatever it says, the caller still checks that the files can be
// changed: a console may have "ended" without letting go of them.
ConsoleClose close_consoles(const ConsoleReach& reach, const std::vector<std::string>& files,
                            const ShowText& show_status, ClosedConsoles& closed);

// Starts each closed console again: in this session as the desktop's user,
// in another as the user logged on there. note gets each start, and each
// that failed; such a console comes back at its user's next log-on.
void restart_consoles(const ConsoleReach& reach, const ClosedConsoles& closed,
                      const std::string& program, const std::string& directory,
                      const ShowText& note);

}  // namespace vh
