#include "platform/session_start.h"

namespace vh {

bool start_out_of_job(const std::function<ProcessCreation(bool breakaway)>& create) {
    const ProcessCreation out = create(true);
    if (out != ProcessCreation::breakaway_refused) return out == ProcessCreation::started;
    return create(false) == ProcessCreation::started;
}

bool can_start_in_session(SessionRoads& roads, std::uint32_t session) {
    return roads.has_user_token(session) || roads.scheduler_reaches(session);
}

// The token road first where it is open: it starts the program at once,
// and in exactly that session. The scheduler's task where it is not, or
// where the start with the token failed.
bool start_in_session(SessionRoads& roads, const std::string& program,
                      const std::string& directory, std::uint32_t session) {
    if (roads.has_user_token(session) && start_out_of_job([&](bool breakaway) {
            return roads.start_with_user_token(session, program, directory, breakaway);
        }))
        return true;
    return roads.scheduler_reaches(session) &&
           roads.start_through_scheduler(session, program, directory);
}

}  // namespace vh
