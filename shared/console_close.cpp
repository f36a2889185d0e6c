#include "shared/console_close.h"

#include <algorithm>

namespace vh {

namespace {

std::string in_session(const std::string& text, std::uint32_t session) {
    return text + " в сеансе " + std::to_string(session);
}

// Asks each holder that is a console; gives those that listened.
std::vector<HoldingProcess> ask_holders(ConsoleSessions& sessions,
                                        const std::vector<HoldingProcess>& holders,
                                        const ShowText& show_status) {
    std::vector<HoldingProcess> asked;
    for (const HoldingProcess& holder : holders) {
        if (!sessions.ask_to_close(holder)) continue;
        show_status(in_session(closing_console_text, holder.session));
        asked.push_back(holder);
    }
    return asked;
}

void add_session(std::vector<std::uint32_t>& sessions, std::uint32_t session) {
    if (std::find(sessions.begin(), sessions.end(), session) == sessions.end())
        sessions.push_back(session);
}

}  // namespace

ConsoleClose close_running_console(RunningConsole* console, const ShowText& show_status) {
    if (!console || !console->find()) return ConsoleClose::none_running;
    show_status(closing_console_text);
    console->ask_to_close();
    return console->wait_until_ended(console_close_timeout_ms) ? ConsoleClose::closed
                                                               : ConsoleClose::still_running;
}

ConsoleClose close_consoles(const ConsoleReach& reach, const std::vector<std::string>& files,
                            const ShowText& show_status, ClosedConsoles& closed) {
    closed = {};
    const ConsoleClose by_window = close_running_console(reach.window, show_status);
    closed.by_window = by_window == ConsoleClose::closed;
    if (by_window == ConsoleClose::still_running || !reach.sessions) return by_window;
    std::vector<HoldingProcess> holders;
    // When Windows cannot tell who holds the files, the caller's checks
    // still find a held file.
    if (!reach.sessions->find_holders(files, holders)) return by_window;
    const std::vector<HoldingProcess> asked = ask_holders(*reach.sessions, holders, show_status);
    if (asked.empty()) return by_window;
    const bool ended = reach.sessions->wait_until_ended(asked, console_close_timeout_ms);
    // A console that did not end is not started again; those that did are.
    for (const HoldingProcess& console : asked)
        if (ended || reach.sessions->wait_until_ended({console}, 0))
            add_session(closed.sessions, console.session);
    return ended ? ConsoleClose::closed : ConsoleClose::still_running;
}

void restart_consoles(const ConsoleReach& reach, const ClosedConsoles& closed,
                      const std::string& program, const std::string& directory,
                      const ShowText& note) {
    const std::uint32_t own = reach.sessions ? reach.sessions->own_session() : 0;
    bool here_started = false;
    const auto start_here = [&] {
        if (here_started || !reach.starter) return;
        here_started = true;
        note("Запуск консоли Varnholde");
        if (!reach.starter->start_as_desktop_user(program, directory))
            note("Консоль Varnholde не запущена; она запустится при следующем входе в систему");
    };
    if (closed.by_window) start_here();
    for (const std::uint32_t session : closed.sessions) {
        if (session == own) {
            start_here();
            continue;
        }
        note(in_session("Запуск консоли Varnholde", session));
        if (!reach.sessions->start_in_session(program, directory, session))
            note(in_session("Консоль Varnholde не запущена", session) +
                 "; она запустится при следующем входе её пользователя в систему");
    }
}

}  // namespace vh
