// The event that asks a console to end: one per console process, in the
// global namespace so that an installer of any session, LocalSystem's
// session 0 included, can open it. Only LocalSystem, administrators and the
// console's own user may set it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/win_handle.h"

namespace vh {

// The name of the event that asks the console of process id to end.
std::wstring console_close_event_name(DWORD process_id);

// Creates this process's event, not set; none when Windows refuses it.
WinHandle create_console_close_event();

}  // namespace vh
