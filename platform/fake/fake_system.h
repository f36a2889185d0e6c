// Recording fakes of process start, keyboard state and session control.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace vh {

class FakeProcessStarter : public ProcessStarter {
public:
    struct Start {
        std::string command_line;
        WindowShow show;
        std::string working_dir;
    };
    StartResult start(const std::string& command_line, WindowShow show,
                      const std::string& working_dir = {}) override {
        StartResult result = decide ? decide(command_line) : StartResult::ok;
        if (result == StartResult::ok) started.push_back({command_line, show, working_dir});
        else refused.push_back({command_line, show, working_dir});
        return result;
    }
    // Decides the outcome of each start; by default every start succeeds.
    std::function<StartResult(const std::string&)> decide;
    std::vector<Start> started;
    std::vector<Start> refused;

    struct ShellOpen {
        std::string program, arguments;
        WindowShow show;
    };
    StartResult open_with_shell(const std::string& program, const std::string& arguments,
                                WindowShow show) override {
        const StartResult result = decide_shell ? decide_shell(program) : StartResult::ok;
        (result == StartResult::ok ? opened : shell_refused).push_back({program, arguments, show});
        return result;
    }
    // Decides the shell's outcome for a program; by default it opens.
    std::function<StartResult(const std::string&)> decide_shell;
    std::vector<ShellOpen> opened;
    std::vector<ShellOpen> shell_refused;
};

// Keys as Windows keeps them: whether each is down, and whether it went
// down since it was last asked about (every query clears that).
class FakeKeyState : public KeyState {
public:
    bool pressed(int virtual_key) override {
        const KeySample s = sample(virtual_key);
        return s.down || s.pressed_since;
    }
    KeySample sample(int virtual_key) override {
        ++queries;
        return {down.count(virtual_key) != 0, went_down.erase(virtual_key) != 0};
    }
    void press(int virtual_key) {
        down.insert(virtual_key);
        went_down.insert(virtual_key);
    }
    void release(int virtual_key) { down.erase(virtual_key); }
    std::set<int> down;
    std::set<int> went_down;
    int queries = 0;
};

class FakeSessionControl : public SessionControl {
public:
    bool exit_windows(unsigned flags) override {
        calls.push_back(flags);
        return !refuses;
    }
    std::vector<unsigned> calls;
    bool refuses = false;  // as without the shut-down privilege
};

}  // namespace vh
