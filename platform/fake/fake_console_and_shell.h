// Fakes of the running console and of the shell's folders, behaving as the
// uninstaller and installer meet them on Windows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/console_sessions.h"
#include "platform/desktop_starter.h"
#include "platform/names.h"
#include "platform/running_console.h"
#include "platform/session_start.h"
#include "platform/shell_folders.h"

namespace vh {

// A console that runs until it is asked to close; then, unless it hangs,
// it unloads (on_close: what its unload does, such as writing settings and
// letting go of its program file) and ends.
class FakeRunningConsole : public RunningConsole {
public:
    bool find() override {
        ++finds;
        return running;
    }
    void ask_to_close() override {
        ++close_requests;
        if (!running || hangs) return;
        if (on_close) on_close();
        running = false;
    }
    bool wait_until_ended(int milliseconds) override {
        waited_ms += milliseconds;
        return !running;
    }

    bool running = false;
    bool hangs = false;  // does not answer the request to close
    std::function<void()> on_close;
    int finds = 0;
    int close_requests = 0;
    int waited_ms = 0;
};

// Records the programs started as the desktop's user; on_start runs with
// each (a started console runs again, say).
class FakeDesktopStarter : public DesktopStarter {
public:
    bool start_as_desktop_user(const std::string& program, const std::string& directory) override {
        started.push_back({program, directory});
        if (succeeds && on_start) on_start();
        return succeeds;
    }
    struct Start {
        std::string program, directory;
    };
    std::vector<Start> started;
    bool succeeds = true;
    std::function<void()> on_start;
};

// The processes of every session that hold installed files, as the
// Restart Manager lists them. A console ends when asked, unless it hangs;
// another program is no console and cannot be asked.
class FakeConsoleSessions : public ConsoleSessions {
public:
    struct Process {
        HoldingProcess process;
        std::string holds;  // the file it holds
        bool console = true;
        bool hangs = false;
        std::function<void()> on_close;  // what its unload does
        bool running = true;
    };

    std::uint32_t own_session() override { return session; }
    bool find_holders(const std::vector<std::string>& files,
                      std::vector<HoldingProcess>& holders) override {
        ++searches;
        holders.clear();
        if (!listing_works) return false;
        for (const Process& p : processes)
            for (const std::string& file : files)
                if (p.running && names_equal_ignoring_case(p.holds, file)) {
                    holders.push_back(p.process);
                    break;
                }
        return true;
    }
    bool listens(const HoldingProcess& holder) override {
        const Process* p = find(holder.id);
        return p && p->console && p->running;
    }
    bool ask_to_close(const HoldingProcess& holder) override {
        Process* p = find(holder.id);
        if (!p || !p->console) return false;
        asked.push_back(holder.id);
        if (!p->running || p->hangs) return true;
        if (p->on_close) p->on_close();
        p->running = false;
        return true;
    }
    bool wait_until_ended(const std::vector<HoldingProcess>& holders, int milliseconds) override {
        waited_ms += milliseconds;
        for (const HoldingProcess& h : holders)
            if (Process* p = find(h.id); p && p->running) return false;
        return true;
    }
    bool start_in_session(const std::string& program, const std::string& directory,
                          std::uint32_t in_session) override {
        started.push_back({program, directory, in_session});
        return starts && !no_way_into(in_session);
    }
    bool can_start_in_session(std::uint32_t in_session) override {
        sessions_checked.push_back(in_session);
        return !no_way_into(in_session);
    }

    struct Start {
        std::string program, directory;
        std::uint32_t session;
    };
    std::uint32_t session = 1;
    std::vector<Process> processes;
    bool listing_works = true;
    bool starts = true;  // false: a start that fails though a way was there
    std::vector<std::uint32_t> without_way;  // sessions this program cannot start in
    std::vector<std::uint32_t> sessions_checked;
    int searches = 0;
    std::vector<std::uint32_t> asked;
    std::vector<Start> started;
    int waited_ms = 0;

private:
    bool no_way_into(std::uint32_t in_session) const {
        for (std::uint32_t s : without_way)
            if (s == in_session) return true;
        return false;
    }
    Process* find(std::uint32_t id) {
        for (Process& p : processes)
            if (p.process.id == id) return &p;
        return nullptr;
    }
};

// Windows' two ways into another session, as the account this program runs
// as meets them: LocalSystem gets a logged-on user's token; an
// administrator gets the Task Scheduler, where its service runs. A job
// that allows no breakaway refuses a start out of it.
class FakeSessionRoads : public SessionRoads {
public:
    bool has_user_token(std::uint32_t session) override {
        return local_system && logged_on(session);
    }
    ProcessCreation start_with_user_token(std::uint32_t session, const std::string& program,
                                          const std::string&, bool breakaway) override {
        token_attempts.push_back(breakaway);
        if (breakaway && in_job_without_breakaway) return ProcessCreation::breakaway_refused;
        if (token_start_fails) return ProcessCreation::failed;
        started.push_back({program, session, breakaway || !in_job_without_breakaway});
        return ProcessCreation::started;
    }
    bool scheduler_reaches(std::uint32_t session) override {
        return scheduler_running && logged_on(session);
    }
    bool start_through_scheduler(std::uint32_t session, const std::string& program,
                                 const std::string&) override {
        ++tasks_run;
        // The service starts the task's program: never in this program's job.
        if (task_fails) return false;
        started.push_back({program, session, true});
        return true;
    }

    struct Start {
        std::string program;
        std::uint32_t session;
        bool outlives_job;
    };
    bool local_system = false;
    std::vector<std::uint32_t> users;  // the sessions a user is logged on in
    bool scheduler_running = true;
    bool in_job_without_breakaway = false;
    bool token_start_fails = false;
    bool task_fails = false;
    std::vector<bool> token_attempts;  // the breakaway wish of each
    int tasks_run = 0;
    std::vector<Start> started;

private:
    bool logged_on(std::uint32_t session) const {
        for (std::uint32_t s : users)
            if (s == session) return true;
        return false;
    }
};

class FakeShellFolders : public ShellFolders {
public:
    std::string common_programs() override {
        ++queries;
        return programs;
    }
    std::string programs;  // empty: the shell cannot give the folder
    int queries = 0;
};

}  // namespace vh
