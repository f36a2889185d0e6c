#include "setup/install_views.h"

#include "shared/command_line.h"

namespace vh {

void LoggingInstallerView::set_status_text(const std::string& text) {
    log_.step(text);
    shown_.set_status_text(text);
}

void LoggingInstallerView::set_count_text(const std::string& text) {
    log_.step(text);
    shown_.set_count_text(text);
}

// The error window's message: the package is not whole; no Windows call
// failed.
void LoggingInstallerView::show_error_dialog(const std::string& message) {
    log_.failure(message, 0);
    shown_.show_error_dialog(message);
}

void LoggingInstallerView::show_failure(const std::string& message, std::uint32_t windows_error) {
    log_.failure(message, windows_error);
    shown_.show_failure(message, windows_error);
}

int run_logged(InstallerView& view, StepLog* log,
               const std::function<InstallResult(InstallerView&)>& install) {
    if (!log) return setup_exit_code(install(view));
    LoggingInstallerView logged(view, *log);
    int code = setup_exit_code(install(logged));
    // The work went on without its log: whoever asked for it is told, by the
    // window and, where nothing else failed, by the exit code.
    log->line("Код завершения: " + std::to_string(code));
    if (log->written()) return code;
    view.show_log_refusal(log_refusal_text(*log));
    return code == exit_code::done ? exit_code::log_not_written : code;
}

int setup_exit_code(InstallResult result) {
    switch (result) {
    case InstallResult::installed: return exit_code::done;
    case InstallResult::broken_package: return exit_code::package_incomplete;
    case InstallResult::refused: return exit_code::check_failed;
    case InstallResult::failed: break;
    }
    return exit_code::failed_part_way;
}

}  // namespace vh
