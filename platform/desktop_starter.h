// Starting a program as the user of this desktop: the logged-on user with
// the rights of their shell, whatever rights the caller runs with. The
// installer runs elevated; the console it closed must come back as the
// user's own program, not as an elevated child of the installer.
#pragma once

#include <string>

namespace vh {

class DesktopStarter {
public:
    virtual ~DesktopStarter() = default;
    // Starts program in directory, nothing waiting for it; false when it
    // could not be started.
    virtual bool start_as_desktop_user(const std::string& program,
                                       const std::string& directory) = 0;
};

}  // namespace vh
