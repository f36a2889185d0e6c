// The Task Scheduler's way into another user's session, for an
// administrator who is not LocalSystem: a task registered for the user
// logged on there, with that user's interactive token
// (TASK_LOGON_INTERACTIVE_TOKEN: "the task will be run only in an existing
// interactive session") and without elevation (TASK_RUNLEVEL_LUA), run
// once at once and deleted. The program is started by the scheduler's
// service, so it belongs to no job of the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vh {

// "DOMAIN\user" of the user logged on in the session; none where nobody is.
std::optional<std::wstring> session_user(std::uint32_t session);

// Whether a user is logged on in the session and the scheduler's service
// takes tasks from this process.
bool scheduler_reaches_session(std::uint32_t session);

// Runs the program in its folder once as the session's user; true once
// the scheduler has started it.
bool run_once_in_session(std::uint32_t session, const std::string& program,
                         const std::string& directory);

}  // namespace vh
