// The installer's views besides its window: one that shows nothing, for a
// silent run, and one that writes every step and failure of another view
// to a log and passes them on. Both runs, silent and clicked, go through
// the same procedure with one of these views or the window.
#pragma once

#include <functional>

#include "setup/install_procedure.h"
#include "shared/step_log.h"

namespace vh {

class SilentInstallerView : public InstallerView {
public:
    void set_status_text(const std::string&) override {}
    void set_status_font_size(int) override {}
    void set_count_text(const std::string&) override {}
    void set_count_visible(bool) override {}
    void set_progress(float) override {}
    void set_progress_visible(bool) override {}
    void set_next_visible(bool) override {}
    void set_exit_visible(bool) override {}
    void set_exit_caption(const std::string&) override {}
    void set_exit_width(int) override {}
    void set_main_enabled(bool) override {}
    void show_error_dialog(const std::string&) override {}
    void beep() override {}
    void show_failure(const std::string&, std::uint32_t) override {}
};

class LoggingInstallerView : public InstallerView {
public:
    LoggingInstallerView(InstallerView& shown, StepLog& log) : shown_(shown), log_(log) {}

    void set_status_text(const std::string& text) override;
    void set_count_text(const std::string& text) override;
    void show_error_dialog(const std::string& message) override;
    void show_failure(const std::string& message, std::uint32_t windows_error) override;
    void note(const std::string& text) override { log_.step(text); }

    void set_status_font_size(int points) override { shown_.set_status_font_size(points); }
    void set_count_visible(bool visible) override { shown_.set_count_visible(visible); }
    void set_progress(float value) override { shown_.set_progress(value); }
    void set_progress_visible(bool visible) override { shown_.set_progress_visible(visible); }
    void set_next_visible(bool visible) override { shown_.set_next_visible(visible); }
    void set_exit_visible(bool visible) override { shown_.set_exit_visible(visible); }
    void set_exit_caption(const std::string& caption) override { shown_.set_exit_caption(caption); }
    void set_exit_width(int twips) override { shown_.set_exit_width(twips); }
    void set_main_enabled(bool enabled) override { shown_.set_main_enabled(enabled); }
    void beep() override { shown_.beep(); }

private:
    InstallerView& shown_;
    StepLog& log_;
};

// Runs install through the view, or with a log through a logging view over
// it, the log ending with the exit code; gives the exit code.
int run_logged(InstallerView& view, StepLog* log,
               const std::function<InstallResult(InstallerView&)>& install);

// The exit code that tells an installation's result to whoever started Setup.
int setup_exit_code(InstallResult result);

}  // namespace vh
