#include "shared/console_close.h"

#include <algorithm>
#include <optional>

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

bool has_session(const std::vector<std::uint32_t>& sessions, std::uint32_t session) {
    return std::find(sessions.begin(), sessions.end(), session) != sessions.end();
}

// The first session of another user whose console could not be started
// there again; each session is looked at once. This session's console
// comes back through the desktop starter.
std::optional<std::uint32_t> session_without_way(ConsoleSessions& sessions,
                                                 const std::vector<HoldingProcess>& holders) {
    const std::uint32_t own = sessions.own_session();
    std::vector<std::uint32_t> reachable;
    for (const HoldingProcess& holder : holders) {
        if (holder.session == own || has_session(reachable, holder.session) ||
            !sessions.listens(holder))
            continue;
        if (!sessions.can_start_in_session(holder.session)) return holder.session;
        reachable.push_back(holder.session);
    }
    return std::nullopt;
}

}  // namespace

std::string console_not_startable_text(std::uint32_t session) {
    return in_session("консоль Varnholde", session) +
           " не удастся запустить снова от имени её пользователя; закройте её в том сеансе "
           "(\"Выход\" в меню её значка)";
}

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
    // Found before anything is closed, so that a console that could not
    // come back stops it all while every console still runs. When Windows
    // cannot tell who holds the files, the caller's checks still find a
    // held file.
    std::vector<HoldingProcess> holders;
    const bool listed = reach.sessions && reach.sessions->find_holders(files, holders);
    if (listed && reach.starts_again)
        if (const auto session = session_without_way(*reach.sessions, holders)) {
            closed.not_startable = *session;
            return ConsoleClose::not_startable;
        }
    const ConsoleClose by_window = close_running_console(reach.window, show_status);
    closed.by_window = by_window == ConsoleClose::closed;
    // The console closed through its window is among the holders; having
    // ended, it no longer listens and is not asked again.
    if (by_window == ConsoleClose::still_running || !listed) return by_window;
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
