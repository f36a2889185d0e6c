#include "shared/step_log.h"

namespace vh {

namespace {

constexpr const char* byte_order_mark = "\xEF\xBB\xBF";

std::string one_line(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

}  // namespace

StepLog::StepLog(FileSystem& fs, std::string path, Clock clock)
    : fs_(fs), path_(std::move(path)), clock_(std::move(clock)), content_(byte_order_mark) {}

void StepLog::line(const std::string& text) {
    content_ += clock_() + "  " + one_line(text) + "\r\n";
    write();
}

void StepLog::step(const std::string& text) {
    if (text.empty() || text == last_step_) return;
    last_step_ = text;
    line(text);
}

void StepLog::failure(const std::string& text, std::uint32_t windows_error) {
    last_step_.clear();
    std::string entry = "ОШИБКА: " + text;
    if (windows_error != 0) entry += " [код ошибки Windows " + std::to_string(windows_error) + "]";
    line(entry);
}

// The whole log each time: a file that could not be written at first (a
// folder not there yet, a file held open) gets every line once it can be.
void StepLog::write() {
    written_ = fs_.write_file(path_, content_) == FsError::ok;
}

}  // namespace vh
