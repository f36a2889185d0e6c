// What Setup.exe and Uninstall.exe read from their command line before they
// show anything: whether to run silently, and the log to write.
#pragma once

#include <optional>

#include "platform/win32/win_file_system.h"
#include "shared/command_line.h"
#include "shared/step_log.h"

namespace vh {

class RunOptions {
public:
    // Reads the command line; with /LOG the log starts with that line, and a
    // refused command line is written to it with its exit code.
    RunOptions();
    RunOptions(const RunOptions&) = delete;
    RunOptions& operator=(const RunOptions&) = delete;

    bool refused() const { return !switches_.refused.empty(); }
    bool silent() const { return switches_.silent; }
    StepLog* log() { return log_ ? &*log_ : nullptr; }

private:
    WinFileSystem fs_;  // the log's own, apart from the procedure's
    Switches switches_;
    std::optional<StepLog> log_;
};

}  // namespace vh
