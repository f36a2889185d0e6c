// Starting a program in another Windows session as the user logged on
// there, not elevated, by whichever of Windows' two ways this process has:
// LocalSystem takes the session user's own token (WTSQueryUserToken needs
// the TCB privilege, which only LocalSystem holds); an administrator has the
// Task Scheduler run a one-time task with that user's interactive token.
// The choice is made here; the Win32 steps are behind SessionRoads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vh {

// How one attempt to create a process ended.
enum class ProcessCreation {
    started,
    breakaway_refused,  // this process's job allows no process out of it
    failed,
};

class SessionRoads {
public:
    virtual ~SessionRoads() = default;
    // Whether the session user's own token can be had (LocalSystem only).
    virtual bool has_user_token(std::uint32_t session) = 0;
    // Creates the program with that token, out of this process's job when
    // breakaway is set.
    virtual ProcessCreation start_with_user_token(std::uint32_t session,
                                                  const std::string& program,
                                                  const std::string& directory,
                                                  bool breakaway) = 0;
    // Whether the Task Scheduler can run a task as the session's user: a
    // user is logged on there and the scheduler takes a task from this
    // process.
    virtual bool scheduler_reaches(std::uint32_t session) = 0;
    // Registers a task that runs the program once as that user with their
    // interactive token, runs it and deletes it.
    virtual bool start_through_scheduler(std::uint32_t session, const std::string& program,
                                         const std::string& directory) = 0;
};

// Creates a process out of this process's job, so that it outlives the
// job (a deployment tool's job may kill every process in it when the tool
// ends); where the job allows no breakaway, inside it, as the only start
// there is. create is called with the breakaway wish.
bool start_out_of_job(const std::function<ProcessCreation(bool breakaway)>& create);

// Whether a program could be started in the session as its user: asked
// before anything there is ended.
bool can_start_in_session(SessionRoads& roads, std::uint32_t session);

// Starts it by the first road this process has; false when none did.
bool start_in_session(SessionRoads& roads, const std::string& program,
                      const std::string& directory, std::uint32_t session);

}  // namespace vh
