// The console's place in Windows' start-up: the Run value that starts it at
// every log-on, written again at every start.
#pragma once

#include <string>

#include "platform/registry.h"

namespace vh {

// Writes data as the REG_SZ value name of the key path under root, creating
// the key when it is missing, as savestring does. Start-up goes on whatever
// the registry says.
void register_run(Registry& registry, RegKey root, const std::string& path,
                  const std::string& name, const std::string& data);

}  // namespace vh
