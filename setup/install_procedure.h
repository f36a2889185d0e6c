// The installer's whole work, run by the click on "Далее>>": check that the
// package beside Setup.exe is complete, create the installation tree and the
// Start-menu folder, copy the package files under their installed names and
// register the console to start with Windows. Portable: it reaches Windows
// only through FileSystem, Registry and the InstallerView that the window
// implements.
#pragma once

#include <cstdint>
#include <string>

#include "platform/console_sessions.h"
#include "platform/desktop_starter.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/running_console.h"
#include "platform/shell_folders.h"

namespace vh {

// What the procedure asks of the installer's windows: the main window with
// its status line (the designed Label4), count (Label5), progress bar and
// two buttons ("Далее>>" Command1 and the exit Command2), and the error
// window Dialog.
class InstallerView {
public:
    virtual ~InstallerView() = default;

    virtual void set_status_text(const std::string& text) = 0;
    virtual void set_status_font_size(int points) = 0;
    virtual void set_count_text(const std::string& text) = 0;
    virtual void set_count_visible(bool visible) = 0;
    virtual void set_progress(float value) = 0;                  // ProgressBar1, 0..100
    virtual void set_progress_visible(bool visible) = 0;         // ProgressBar1
    virtual void set_next_visible(bool visible) = 0;             // "Далее>>"
    virtual void set_exit_visible(bool visible) = 0;
    virtual void set_exit_caption(const std::string& caption) = 0;
    virtual void set_exit_width(int twips) = 0;
    virtual void set_main_enabled(bool enabled) = 0;             // the main window
    // Writes the message into the error window and shows it, not modal.
    virtual void show_error_dialog(const std::string& message) = 0;
    virtual void beep() = 0;
    // A step failed: its message goes to the status line. windows_error is
    // the Windows error code behind it (0: none), for a log to keep.
    virtual void show_failure(const std::string& message, std::uint32_t windows_error) {
        (void)windows_error;
        set_status_text(message);
    }
    // A step the window does not show (a console started again after the
    // success text), for a log to keep.
    virtual void note(const std::string& text) { (void)text; }
    // The log asked for could not be written: said after the run's own text.
    virtual void show_log_refusal(const std::string& text) { (void)text; }
};

enum class InstallResult {
    installed,       // success text shown
    broken_package,  // a check pass failed: Dialog shown, nothing changed
    refused,         // the console did not end or a file cannot be replaced: nothing changed
    failed,          // a step after the checks failed: reported in the status line
};

// The installer's own texts.
inline constexpr const char* broken_package_message =
    "Нарушена целостность пакета установки, продолжение установки невозможно!";
inline constexpr const char* opening_text =
    "Удалите предыдущую версию программы, если таковая есть и нажмите кнопку далее.";
inline constexpr const char* success_text = "Установка Varnholde 1.3 успешно завершена!";

// One blank, the count in decimal digits, then the suffix.
std::string count_text(long count, const std::string& suffix);

// The progress bar's next value: the current one plus 7.6, kept in single
// precision.
float progress_step(float value);

// The Russian words for a file-system refusal, for the status line.
std::string failure_reason(FsError error);

// package_dir: the folder that holds Setup.exe, without a trailing backslash.
// shell: asked for the Start menu's Programs folder when the registry's
// "Common Programs" is empty; without it (or when it cannot say either) the
// shortcuts go to "\Varnholde" on the current drive.
// console: the console of this session, asked to end before anything is
// written; starter: starts it again, as the desktop's user, once the
// installation is done or was refused before changing anything; sessions:
// the consoles of every session that hold the installed files, closed and
// started again the same way. Without them no console is closed or started.
InstallResult run_installation(FileSystem& fs, Registry& registry, InstallerView& view,
                               const std::string& package_dir, ShellFolders* shell = nullptr,
                               RunningConsole* console = nullptr,
                               DesktopStarter* starter = nullptr,
                               ConsoleSessions* sessions = nullptr);

}  // namespace vh
