// The consoles of every session through Windows: the Restart Manager says
// which processes hold the installed files, in whatever session; each
// console listens for a request, an event named for its process in the
// global namespace, which reaches across sessions where window messages
// cannot; and the console is started there again by the first of two ways
// this process has: WTSQueryUserToken gives LocalSystem the session user's
// token, and the Task Scheduler runs a one-time task for an administrator.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "platform/console_sessions.h"
#include "platform/session_start.h"
#include "platform/win32/win_handle.h"

namespace vh {

class WinConsoleSessions : public ConsoleSessions, private SessionRoads {
public:
    std::uint32_t own_session() override;
    // RmStartSession, RmRegisterResources with the files, RmGetList.
    bool find_holders(const std::vector<std::string>& files,
                      std::vector<HoldingProcess>& holders) override;
    // Whether the holder's close event exists.
    bool listens(const HoldingProcess& holder) override;
    // Sets the holder's close event; false when it has none.
    bool ask_to_close(const HoldingProcess& holder) override;
    // Until each process has ended, or, where it cannot be opened, until
    // its close event, which lives as long as the process, is gone.
    bool wait_until_ended(const std::vector<HoldingProcess>& holders, int milliseconds) override;
    // With the session user's token where this process is LocalSystem,
    // else through the Task Scheduler.
    bool start_in_session(const std::string& program, const std::string& directory,
                          std::uint32_t session) override;
    bool can_start_in_session(std::uint32_t session) override;

private:
    // SessionRoads: WTSQueryUserToken needs LocalSystem and SE_TCB_NAME.
    bool has_user_token(std::uint32_t session) override;
    ProcessCreation start_with_user_token(std::uint32_t session, const std::string& program,
                                          const std::string& directory,
                                          bool breakaway) override;
    bool scheduler_reaches(std::uint32_t session) override;
    bool start_through_scheduler(std::uint32_t session, const std::string& program,
                                 const std::string& directory) override;

    bool has_ended(const HoldingProcess& holder) const;

    std::map<DWORD, WinHandle> asked_;  // process handles of the consoles asked, where given
};

}  // namespace vh
