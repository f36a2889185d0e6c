#include "uninstall/uninstall_views.h"

#include "shared/command_line.h"

namespace vh {

void LoggingUninstallView::set_message(const std::string& text) {
    log_.step(text);
    shown_.set_message(text);
}

void LoggingUninstallView::show_failure(const std::string& message, std::uint32_t windows_error) {
    log_.failure(message, windows_error);
    shown_.show_failure(message, windows_error);
}

int run_logged(UninstallView& view, StepLog* log,
               const std::function<UninstallOutcome(UninstallView&)>& uninstall) {
    if (!log) return uninstall_exit_code(uninstall(view));
    LoggingUninstallView logged(view, *log);
    int code = uninstall_exit_code(uninstall(logged));
    // The work went on without its log: whoever asked for it is told, by the
    // window and, where nothing else failed, by the exit code.
    log->line("Код завершения: " + std::to_string(code));
    if (log->written()) return code;
    view.show_log_refusal(log_refusal_text(*log));
    return code == exit_code::done ? exit_code::log_not_written : code;
}

int uninstall_exit_code(UninstallOutcome outcome) {
    switch (outcome) {
    case UninstallOutcome::completed: return exit_code::done;
    case UninstallOutcome::refused: return exit_code::check_failed;
    case UninstallOutcome::stopped: break;
    }
    return exit_code::failed_part_way;
}

}  // namespace vh
