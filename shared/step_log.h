// The log that /LOG=path asks for: every step the programs' windows show and
// every failure with its Windows error code, one line each, in UTF-8 with a
// byte-order mark (so that Notepad on any Windows shows the Russian texts).
// A log that cannot be written never stops the work: the line is kept, and
// the next line that can be written brings the whole log with it. The file
// is opened once and kept open, never through a link: a log path that is a
// link or a file with other names (hard links) is not written, since an
// elevated program would write over whatever it leads to.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace vh {

class StepLog {
public:
    // The local time as it starts each line, e.g. "2026-12-07 20:45:01".
    using Clock = std::function<std::string()>;

    StepLog(FileSystem& fs, std::string path, Clock clock);

    // A line as it stands (line breaks inside become blanks).
    void line(const std::string& text);
    // A step the window shows. The same text twice in a row is one step.
    void step(const std::string& text);
    // A failure; windows_error 0: none of Windows' codes stands behind it.
    void failure(const std::string& text, std::uint32_t windows_error);

    // Whether the file holds every line so far.
    bool written() const { return written_; }
    // Why the file does not: the last refusal (ok while it does).
    FsError refusal() const { return refusal_; }
    const std::string& path() const { return path_; }

private:
    void write();

    FileSystem& fs_;
    const std::string path_;
    std::unique_ptr<LogFile> file_;
    FsError refusal_ = FsError::ok;
    const Clock clock_;
    std::string content_;
    std::string last_step_;
    bool written_ = false;
};

// What the window says of a log that could not be written.
std::string log_refusal_text(const StepLog& log);

}  // namespace vh
