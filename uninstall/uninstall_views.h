// The uninstaller's views besides its window: one that shows nothing, for a
// silent run, and one that writes every step and failure of another view to
// a log and passes them on.
#pragma once

#include <functional>

#include "shared/step_log.h"
#include "uninstall/uninstall_procedure.h"

namespace vh {

class SilentUninstallView : public UninstallView {
public:
    void set_question_buttons_visible(bool) override {}
    void set_message(const std::string&) override {}
    void set_message_size(float) override {}
    void set_progress_visible(bool) override {}
    float progress() override { return progress_; }
    void set_progress(float value) override { progress_ = value; }
    void show_exit_button() override {}
    void show_failure(const std::string&, std::uint32_t) override {}

private:
    float progress_ = 0;
};

class LoggingUninstallView : public UninstallView {
public:
    LoggingUninstallView(UninstallView& shown, StepLog& log) : shown_(shown), log_(log) {}

    void set_message(const std::string& text) override;
    void show_failure(const std::string& message, std::uint32_t windows_error) override;

    void set_question_buttons_visible(bool visible) override {
        shown_.set_question_buttons_visible(visible);
    }
    void set_message_size(float points) override { shown_.set_message_size(points); }
    void set_progress_visible(bool visible) override { shown_.set_progress_visible(visible); }
    float progress() override { return shown_.progress(); }
    void set_progress(float value) override { shown_.set_progress(value); }
    void show_exit_button() override { shown_.show_exit_button(); }

private:
    UninstallView& shown_;
    StepLog& log_;
};

// Runs uninstall through the view, or with a log through a logging view
// over it, the log ending with the exit code; gives the exit code.
int run_logged(UninstallView& view, StepLog* log,
               const std::function<UninstallOutcome(UninstallView&)>& uninstall);

// The exit code that tells an uninstallation's outcome to whoever started it.
int uninstall_exit_code(UninstallOutcome outcome);

}  // namespace vh
