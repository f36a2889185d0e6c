// The event that asks a console to end: one per console process, in the
// global namespace so that an installer of any session, LocalSystem's
// session 0 included, can open it. Only LocalSystem, administrators and the
// console's own user may set it.
//
// Process ids are predictable, so another user can create an object of
// that name before the console does; it then has his rights, not these,
// and he could end the console at will. The console listens only on an
// event it created itself, and an installer sets only an event that the
// console's own user, LocalSystem or the administrators own.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/win_handle.h"

namespace vh {

// The name of the event that asks the console of process id to end.
std::wstring console_close_event_name(DWORD process_id);

// Creates this process's event, not set; none when Windows refuses it or
// when an object of that name exists already (made by another process).
WinHandle create_console_close_event();

// Opens the close event of the console of process id with the given
// rights, only where its owner is one the console could have made it as:
// the user the process runs as, LocalSystem or the Administrators group
// (the owner of what an elevated administrator creates). Null otherwise.
WinHandle open_console_close_event(DWORD process_id, DWORD rights);

}  // namespace vh
