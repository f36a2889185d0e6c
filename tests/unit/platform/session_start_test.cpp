// Starting a program in another session as its user: the way is chosen by
// the account this program runs as and what the session and this process's
// job allow, and whether there is one is known before anything is closed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_console_and_shell.h"
#include "platform/session_start.h"

namespace vh {
namespace {

TEST(SessionStart, TheWayFollowsTheAccountTheSessionAndTheJob) {
    struct Case {
        const char* name;
        bool local_system;
        std::vector<std::uint32_t> users;  // sessions a user is logged on in
        bool scheduler_running;
        bool job_refuses_breakaway;
        bool token_start_fails;
        bool task_fails;
        bool can_start;  // answered before closing
        bool started;
        std::vector<bool> token_attempts;  // the breakaway wish of each
        int tasks_run;
        bool outlives_job;
    };
    const Case cases[] = {
        {"LocalSystem: the user's token", true, {2}, true, false, false, false, true, true,
         {true}, 0, true},
        {"LocalSystem in a job without breakaway: started in it", true, {2}, true, true,
         false, false, true, true, {true, false}, 0, false},
        {"LocalSystem, the token's start fails: the scheduler", true, {2}, true, false, true,
         false, true, true, {true}, 1, true},
        {"LocalSystem, nobody logged on there", true, {3}, true, false, false, false, false,
         false, {}, 0, false},
        {"an administrator: the scheduler's task", false, {2}, true, false, false, false,
         true, true, {}, 1, true},
        {"an administrator in a job without breakaway: the task is outside it", false, {2},
         true, true, false, false, true, true, {}, 1, true},
        {"an administrator, the scheduler's service stopped", false, {2}, false, false, false,
         false, false, false, {}, 0, false},
        {"an administrator, nobody logged on there", false, {}, true, false, false, false,
         false, false, {}, 0, false},
        {"an administrator, the task fails to run", false, {2}, true, false, false, true,
         true, false, {}, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSessionRoads roads;
        roads.local_system = c.local_system;
        roads.users = c.users;
        roads.scheduler_running = c.scheduler_running;
        roads.in_job_without_breakaway = c.job_refuses_breakaway;
        roads.token_start_fails = c.token_start_fails;
        roads.task_fails = c.task_fails;

        EXPECT_EQ(can_start_in_session(roads, 2), c.can_start);
        EXPECT_EQ(start_in_session(roads, "C:\\V\\Varnholde.exe", "C:\\V", 2), c.started);
        EXPECT_EQ(roads.token_attempts, c.token_attempts);
        EXPECT_EQ(roads.tasks_run, c.tasks_run);
        ASSERT_EQ(roads.started.size(), c.started ? 1u : 0u);
        if (c.started) {
            EXPECT_EQ(roads.started[0].session, 2u);
            EXPECT_EQ(roads.started[0].program, "C:\\V\\Varnholde.exe");
            EXPECT_EQ(roads.started[0].outlives_job, c.outlives_job);
        }
    }
}

// Only a refused breakaway is tried again, and only once: any other
// failure is final.
TEST(SessionStart, OnlyARefusedBreakawayIsTriedAgainInsideTheJob) {
    struct Case {
        std::vector<ProcessCreation> answers;
        bool started;
        std::vector<bool> wishes;
    };
    const Case cases[] = {
        {{ProcessCreation::started}, true, {true}},
        {{ProcessCreation::failed}, false, {true}},
        {{ProcessCreation::breakaway_refused, ProcessCreation::started}, true, {true, false}},
        {{ProcessCreation::breakaway_refused, ProcessCreation::failed}, false, {true, false}},
    };
    for (const Case& c : cases) {
        std::vector<bool> wishes;
        const bool started = start_out_of_job([&](bool breakaway) {
            wishes.push_back(breakaway);
            return c.answers.at(wishes.size() - 1);
        });
        EXPECT_EQ(started, c.started);
        EXPECT_EQ(wishes, c.wishes);
    }
}

}  // namespace
}  // namespace vh
