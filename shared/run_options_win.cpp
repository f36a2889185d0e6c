#include "shared/run_options_win.h"

#include "platform/win32/win_command_line.h"
#include "platform/win32/win_system.h"

namespace vh {

RunOptions::RunOptions() {
    const std::vector<std::string> arguments = program_arguments();
    switches_ = parse_switches(arguments);
    if (!switches_.log_path) return;
    log_.emplace(fs_, *switches_.log_path, local_time_text);
    log_->line("Запуск: " + command_line_text(own_file_name(), arguments));
    if (!refused()) return;
    log_->failure(switches_.refused, 0);
    log_->line("Код завершения: " + std::to_string(exit_code::bad_switch));
}

}  // namespace vh
