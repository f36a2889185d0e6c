// The console's command interpreter: the key-press handler of the input line
// RichTextBox1. On every key it completes command words while Tab is held; on
// Enter it runs the whole line through the fixed sequence of command steps,
// every matching step acting, then echoes the line into the history.
#pragma once

#include <string>

#include "console/alias_store.h"
#include "console/console_state.h"
#include "console/console_view.h"
#include "platform/system.h"

namespace vh {

inline constexpr int enter_key = 13;
inline constexpr int tab_key = 9;
inline constexpr const char* file_not_found_status = " >>ОШИБКА: ФАЙЛ НЕ НАЙДЕН";
inline constexpr const char* invalid_name_status = " >>ОШИБКА: НЕДОПУСТИМОЕ ИМЯ";
inline constexpr const char* invalid_value_status = " >>ОШИБКА: НЕДОПУСТИМОЕ ЗНАЧЕНИЕ";
inline constexpr const char* refused_status = " >>ОШИБКА: ОТКАЗАНО СИСТЕМОЙ";
inline constexpr const char* others_alias_status = " >>ОШИБКА: ЧУЖОЙ ПСЕВДОНИМ";

// List1: the words Tab completes, in the order the completion scan tries them.
inline constexpr const char* command_words[] = {
    "about",   "allias",        "dir_allias",       "drive",
    "close",   "con_fontcolor", "con_openinterval", "con_skin",
    "del_all", "del_allias",    "del_dirallias",    "exit",
    "newuser", "power",         "restart",          "quit",
};

class CommandInterpreter {
public:
    CommandInterpreter(ConsoleState& state, ConsoleView& view, AliasStore& aliases,
                       ProcessStarter& starter, KeyState& keys, SessionControl& session);

    // The input line's key press, before the line takes the key's character.
    // It never swallows the key. After "exit" or "quit" the view has been
    // unloaded and nothing else may be done with this interpreter.
    void key_press(int char_code);

private:
    enum class Flow { next, to_echo, ended };
    using Step = Flow (CommandInterpreter::*)(const std::string& line);

    void complete_on_tab(int char_code);
    Flow run_steps(const std::string& line);
    void echo(const std::string& line);
    void exit_windows(unsigned flags);

    Flow close_window(const std::string& line);
    Flow exit_program(const std::string& line);
    Flow show_about(const std::string& line);
    Flow open_interval(const std::string& line);
    Flow font_color(const std::string& line);
    Flow skin(const std::string& line);
    Flow define_program_alias(const std::string& line);
    Flow define_folder_alias(const std::string& line);
    Flow run_program_alias(const std::string& line);
    Flow run_folder_alias(const std::string& line);
    Flow delete_program_alias(const std::string& line);
    Flow delete_folder_alias(const std::string& line);
    Flow delete_all_aliases(const std::string& line);
    Flow log_off(const std::string& line);
    Flow shut_down(const std::string& line);
    Flow restart(const std::string& line);
    Flow open_drive(const std::string& line);

    // A failure notes what it leaves for the echo; once the trap is armed,
    // it also ends the steps.
    Flow fail(bool file_missing);
    Flow after(AliasStatus status);
    Flow after(const AliasRun& run);  // a run that found its alias arms the trap

    ConsoleState& state_;
    ConsoleView& view_;
    AliasStore& aliases_;
    ProcessStarter& starter_;
    KeyState& keys_;
    SessionControl& session_;

    // Live for one key press only.
    std::string status_text_;
    bool file_missing_ = false;
    bool trap_armed_ = false;
};

}  // namespace vh
