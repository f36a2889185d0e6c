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

// The whole log each time: a file that could not be opened at first (a
// folder not there yet, a file held open) gets every line once it can be.
void StepLog::write() {
    if (!file_) refusal_ = fs_.open_log(path_, file_);
    if (file_) refusal_ = file_->write_all(content_);
    written_ = file_ && refusal_ == FsError::ok;
}

std::string log_refusal_text(const StepLog& log) {
    std::string why;
    switch (log.refusal()) {
    case FsError::link:
        why = "это ссылка на другой файл; укажите файл в папке, куда пишут только администраторы";
        break;
    case FsError::access_denied: why = "на этом месте папка или нет доступа"; break;
    case FsError::path_not_found: why = "папка не существует"; break;
    case FsError::sharing_violation: why = "файл занят другой программой"; break;
    default: why = "ошибка файловой системы"; break;
    }
    return "Журнал не записан: " + log.path() + " (" + why + ").";
}

}  // namespace vh
