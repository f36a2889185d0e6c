// Process start, key state and session control on Win32.
#pragma once

#include <string>

#include "platform/system.h"

namespace vh {

class WinProcessStarter : public ProcessStarter {
public:
    StartResult start(const std::string& command_line, WindowShow show,
                      const std::string& working_dir = {}) override;
    StartResult open_with_shell(const std::string& program, const std::string& arguments,
                                WindowShow show) override;
};

class WinKeyState : public KeyState {
public:
    bool pressed(int virtual_key) override;
    KeySample sample(int virtual_key) override;
};

class WinSessionControl : public SessionControl {
public:
    bool exit_windows(unsigned flags) override;
};

// The whole Windows directory, without a trailing backslash.
std::string windows_directory();

// The running program's own path, however long.
std::string module_path();

// The running program's own directory (no trailing backslash) and file name.
std::string own_directory();
std::string own_file_name();

}  // namespace vh
