#include "shared/console_close.h"

namespace vh {

ConsoleClose close_running_console(RunningConsole* console,
                                   const std::function<void(const std::string&)>& show_status) {
    if (!console || !console->find()) return ConsoleClose::none_running;
    show_status(closing_console_text);
    console->ask_to_close();
    return console->wait_until_ended(console_close_timeout_ms) ? ConsoleClose::closed
                                                               : ConsoleClose::still_running;
}

}  // namespace vh
