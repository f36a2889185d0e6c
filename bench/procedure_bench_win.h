// The installer's and the uninstaller's procedures, run in this process on
// the Win32 file system and registry with windows that show nothing, against
// the command interpreter copying and deleting the same files.
#pragma once

#include "bench/measure_win.h"

namespace vh::bench {

void measure_install_and_uninstall(Samples& samples, int runs);

}  // namespace vh::bench
