// The uninstaller's work after "Да": the product's directories emptied and
// removed stage by stage in a fixed order, the Start-menu folder removed,
// and a batch file written and started that deletes the uninstaller itself
// once it has ended. The window shows the progress through UninstallView.
#pragma once

#include <cstdint>
#include <string>

#include "platform/console_sessions.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/running_console.h"
#include "platform/shell_folders.h"
#include "platform/system.h"
#include "shared/console_close.h"

namespace vh {

// What the procedure needs of the uninstaller window.
class UninstallView {
public:
    virtual ~UninstallView() = default;
    virtual void set_question_buttons_visible(bool visible) = 0;  // "Нет" and "Да"
    virtual void set_message(const std::string& text) = 0;
    virtual void set_message_size(float points) = 0;              // in points
    virtual void set_progress_visible(bool visible) = 0;          // ProgressBar1
    virtual float progress() = 0;                                 // 0 to 100
    virtual void set_progress(float value) = 0;
    // "Нет" captioned "Выход", shown and widened to span the panel.
    virtual void show_exit_button() = 0;
    // The run stopped: the message says where. windows_error is the Windows
    // error code behind it (0: none), for a log to keep.
    virtual void show_failure(const std::string& message, std::uint32_t windows_error) {
        (void)windows_error;
        set_message(message);
    }
    // The log asked for could not be written: said after the run's own text.
    virtual void show_log_refusal(const std::string& text) { (void)text; }
};

struct UninstallSystem {
    FileSystem& fs;
    Registry& registry;
    ProcessStarter& processes;
    std::string own_directory;        // D: the uninstaller's directory, no trailing backslash
    std::string own_file_name;        // the uninstaller's file name, "Uninstall.exe"
    std::string command_interpreter;  // full path of cmd.exe
    // The console of this session, asked to end before anything is deleted;
    // none: no console can be running.
    RunningConsole* console = nullptr;
    // Where the Start-menu folder is looked up when the registry has no
    // "Common Programs"; none: nowhere.
    ShellFolders* shell = nullptr;
    // The consoles of every session that hold the product's files, asked
    // the same way; started again when the run is refused. None: only this
    // session's is asked.
    ConsoleSessions* sessions = nullptr;
};

enum class UninstallOutcome {
    completed,
    refused,  // the console did not end or a file cannot be deleted: nothing deleted
    stopped,  // a step failed part way; what is gone stays gone
};

// Runs the whole procedure inside the click handler of "Да". A running
// console is closed first; if it does not end, nothing is deleted. On the
// first failure it stops: nothing later runs and nothing is restored,
// the message names what could not be removed and "Выход" is shown. Once the
// console's files are gone, the Run value that starts it goes too, when it
// names the installed console, and the product's Apps & features entry,
// when it names this uninstaller.
UninstallOutcome run_uninstall(const UninstallSystem& system, UninstallView& view);

// How many times "Del_Unin.bat" tries to delete the uninstaller, a second
// apart, before it gives up. The batch tells the uninstaller's end by its
// file: a running program's file cannot be opened for writing. Once it
// can (the uninstaller has ended) and still cannot be deleted (an access
// rule forbids it, another program holds it), ten minutes; while it
// cannot (the user reads the last window, or the file cannot be written
// either), about a day.
struct BatchTries {
    int once_free = 600;
    int while_held = 86400;
};

// The lines of "Del_Unin.bat", each ended by CR LF (UTF-8 text; the file
// holds them in the OEM code page 866): delete the uninstaller whatever
// its attributes, which can be done once it has ended; while it cannot,
// wait a second and try again, within the bounds given; then delete the
// batch file itself. Paths are quoted.
std::string batch_file_text(const std::string& own_directory, const std::string& own_file_name,
                            BatchTries tries = {});

// The command line that runs the batch file hidden through the interpreter.
std::string batch_command_line(const std::string& command_interpreter,
                               const std::string& batch_path);

}  // namespace vh
