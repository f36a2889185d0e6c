// How a failed CreateProcess* call that asked for CREATE_BREAKAWAY_FROM_JOB
// is read: a job without JOB_OBJECT_LIMIT_BREAKAWAY_OK refuses it with
// ERROR_ACCESS_DENIED, and the start is then made again inside the job.
#pragma once

#include <windows.h>

#include "platform/session_start.h"

namespace vh {

// Read right after the call, while its last error still holds.
inline ProcessCreation creation_failure(bool breakaway) {
    return breakaway && GetLastError() == ERROR_ACCESS_DENIED ? ProcessCreation::breakaway_refused
                                                              : ProcessCreation::failed;
}

inline DWORD breakaway_flag(bool breakaway) {
    return breakaway ? static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB) : 0;
}

}  // namespace vh
