// Starts a program as the user of this desktop through the shell that runs
// it, so that an elevated caller does not pass on its rights.
#pragma once

#include "platform/desktop_starter.h"

namespace vh {

class WinDesktopStarter : public DesktopStarter {
public:
    // Asks the desktop's shell to start the program (IShellDispatch2 of the
    // desktop folder's view); where the shell offers no such object, starts
    // it with a copy of the shell process's own token; where there is no
    // shell at all, with this process's token filtered of its elevation.
    bool start_as_desktop_user(const std::string& program, const std::string& directory) override;
};

// The three ways, apart, for tests that must know which one worked.
bool start_through_shell_dispatch(const std::string& program, const std::string& directory);
bool start_with_shell_token(const std::string& program, const std::string& directory);
bool start_with_filtered_own_token(const std::string& program, const std::string& directory);

}  // namespace vh
