// The consoles of every Windows session as an installer meets them: found
// by the installed files they hold, asked to end, and started again in
// their own session. A deployment tool runs the installer as LocalSystem
// in session 0, where no user's window can be seen; with fast user
// switching or on a terminal server other users' consoles hold the files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vh {

// A process that holds one of the files: open, or running it.
struct HoldingProcess {
    std::uint32_t id = 0;
    std::uint32_t session = 0;  // the Windows session it runs in
};

class ConsoleSessions {
public:
    virtual ~ConsoleSessions() = default;
    // The session this program runs in.
    virtual std::uint32_t own_session() = 0;
    // The processes of any session that hold any of the files; false when
    // Windows could not tell.
    virtual bool find_holders(const std::vector<std::string>& files,
                              std::vector<HoldingProcess>& holders) = 0;
    // Whether the holder is a console that listens for the request below;
    // nothing is asked.
    virtual bool listens(const HoldingProcess& holder) = 0;
    // Asks a holder that is a console to end as its "Выход" does (settings
    // written, icon removed); false when it is no console that listens.
    virtual bool ask_to_close(const HoldingProcess& holder) = 0;
    // Waits until every one of them has ended, at most the given time; true
    // once none runs.
    virtual bool wait_until_ended(const std::vector<HoldingProcess>& holders,
                                  int milliseconds) = 0;
    // Starts program in directory in the given session, as the user logged
    // on there and with that user's own rights; false when it could not.
    virtual bool start_in_session(const std::string& program, const std::string& directory,
                                  std::uint32_t session) = 0;
    // Whether start_in_session has a way into the session from this
    // process; asked before a console there is ended.
    virtual bool can_start_in_session(std::uint32_t session) = 0;
};

}  // namespace vh
