// The Run value that starts the console at every log-on, removed by the
// uninstaller once the console's files are gone.
#pragma once

#include "platform/registry.h"

namespace vh {

enum class RunValue { absent, not_the_console, removed, failed };

// The Run value "Varnholde" is deleted when it starts the installed console;
// one that names another program stays.
RunValue remove_run_value(Registry& registry);

}  // namespace vh
