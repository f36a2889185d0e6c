// The console program as other programs meet it: its window in the current
// session. The uninstaller asks it to end before deleting its files; a
// second start of the console shows the first one instead of running.
#pragma once

namespace vh {

class RunningConsole {
public:
    virtual ~RunningConsole() = default;
    // Whether a console is running in this session.
    virtual bool find() = 0;
    // Asks the consoles found to end the normal way: each writes its
    // settings and removes its icon as it unloads.
    virtual void ask_to_close() = 0;
    // Waits for them to end, at most the given time; true once none runs.
    virtual bool wait_until_ended(int milliseconds) = 0;
};

}  // namespace vh
