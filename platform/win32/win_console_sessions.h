// The consoles of every session through Windows: the Restart Manager says
// which processes hold the installed files, in whatever session; each
// console listens for a request, an event named for its process in the
// global namespace, which reaches across sessions where window messages
// cannot; and WTSQueryUserToken gives a session's user, to start the
// console there again.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "platform/console_sessions.h"
#include "platform/win32/win_handle.h"

namespace vh {

class WinConsoleSessions : public ConsoleSessions {
public:
    std::uint32_t own_session() override;
    // RmStartSession, RmRegisterResources with the files, RmGetList.
    bool find_holders(const std::vector<std::string>& files,
                      std::vector<HoldingProcess>& holders) override;
    // Sets the holder's close event; false when it has none.
    bool ask_to_close(const HoldingProcess& holder) override;
    // Until each process has ended, or, where it cannot be opened, until
    // its close event, which lives as long as the process, is gone.
    bool wait_until_ended(const std::vector<HoldingProcess>& holders, int milliseconds) override;
    // Needs LocalSystem, as WTSQueryUserToken does; elsewhere false.
    bool start_in_session(const std::string& program, const std::string& directory,
                          std::uint32_t session) override;

private:
    bool has_ended(const HoldingProcess& holder) const;

    std::map<DWORD, WinHandle> asked_;  // process handles of the consoles asked, where given
};

}  // namespace vh
