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
        return starts;
    }

    struct Start {
        std::string program, directory;
        std::uint32_t session;
    };
    std::uint32_t session = 1;
    std::vector<Process> processes;
    bool listing_works = true;
    bool starts = true;  // false: as for an installer that is not LocalSystem
    int searches = 0;
    std::vector<std::uint32_t> asked;
    std::vector<Start> started;
    int waited_ms = 0;

private:
    Process* find(std::uint32_t id) {
        for (Process& p : processes)
            if (p.process.id == id) return &p;
        return nullptr;
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
