// Processes, keyboard state, session end and a few facts about the running
// system: the small rest of Windows that the programs' logic reaches.
#pragma once

#include <string>

namespace vh {

enum class WindowShow { hidden = 0, normal = 1 };

enum class StartResult {
    ok,
    file_not_found,  // the program (or a directory on its path) does not exist
    needs_shell,     // not startable as a program: it asks for administrator
                     // rights, or it is a document, shortcut or console file
    failed,          // any other refusal
};

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts command_line as Windows does without an application name (the
    // program is the first token, looked up the usual way); no quotes are
    // added and nothing waits for the program. working_dir empty: inherit.
    virtual StartResult start(const std::string& command_line, WindowShow show,
                              const std::string& working_dir = {}) = 0;
    // Opens program (a program, document or shortcut) with arguments as the
    // shell does: Windows asks for consent where the program needs
    // administrator rights and opens a document with its program. failed
    // when the user says no or the shell cannot open it. A starter that has
    // no shell refuses.
    virtual StartResult open_with_shell(const std::string& program, const std::string& arguments,
                                        WindowShow show) {
        (void)program, (void)arguments, (void)show;
        return StartResult::failed;
    }
};

// Virtual-key codes that the programs poll.
namespace vk {
constexpr int tab = 9;
constexpr int up = 38;
constexpr int down = 40;
constexpr int f12 = 123;
}  // namespace vk

// The two facts GetAsyncKeyState gives about a key.
struct KeySample {
    bool down = false;           // held down now
    bool pressed_since = false;  // went down since the previous query
};

class KeyState {
public:
    virtual ~KeyState() = default;
    // True when the key is down now or was pressed since the last query.
    virtual bool pressed(int virtual_key) = 0;
    // The same query with both facts apart.
    virtual KeySample sample(int virtual_key) = 0;
};

// ExitWindowsEx flags.
namespace exit_flags {
constexpr unsigned logoff = 0;
constexpr unsigned shutdown = 1;
constexpr unsigned reboot = 2;
}  // namespace exit_flags

class SessionControl {
public:
    virtual ~SessionControl() = default;
    // Ends the session as a planned one; shut-down and restart first enable
    // the privilege. False when Windows refuses.
    virtual bool exit_windows(unsigned flags) = 0;
};

}  // namespace vh
