// Fakes of the running console and of the shell's folders, behaving as the
// uninstaller and installer meet them on Windows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/desktop_starter.h"
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
