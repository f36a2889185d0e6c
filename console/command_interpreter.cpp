#include "console/command_interpreter.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "console/number_reader.h"
#include "console/settings.h"

namespace vh {

namespace {

// True when the line starts with keyword; argument is then the rest, as typed.
bool split(const std::string& line, std::string_view keyword, std::string& argument) {
    if (line.compare(0, keyword.size(), keyword) != 0) return false;
    argument = line.substr(keyword.size());
    return true;
}

}  // namespace

CommandInterpreter::CommandInterpreter(ConsoleState& state, ConsoleView& view,
                                       AliasStore& aliases, ProcessStarter& starter,
                                       KeyState& keys, SessionControl& session)
    : state_(state),
      view_(view),
      aliases_(aliases),
      starter_(starter),
      keys_(keys),
      session_(session) {}

void CommandInterpreter::key_press(int char_code) {
    status_text_.clear();
    file_missing_ = false;
    trap_armed_ = false;
    complete_on_tab(char_code);
    if (char_code != enter_key) return;
    const std::string line = view_.input_text();
    if (run_steps(line) == Flow::ended) return;
    echo(line);
}

// The first word of List1 that starts with the whole line replaces it.
// history_pos counts the scan, so it is left at the word's index, or at the
// end of the list when nothing matched.
void CommandInterpreter::complete_on_tab(int char_code) {
    const std::string line = view_.input_text();
    // Asked on every key, so that a Tab pressed long ago is not remembered.
    // The Tab key's own press counts as held even when the key state lags
    // behind the message (Wine caches it for a moment after each query).
    const bool tab_held = keys_.pressed(vk::tab) || char_code == tab_key;
    if (line.empty() || !tab_held) return;
    const auto words = static_cast<std::int16_t>(std::size(command_words));
    for (state_.history_pos = 0; state_.history_pos < words; ++state_.history_pos) {
        const std::string_view word = command_words[state_.history_pos];
        if (word.substr(0, line.size()) == line) {
            view_.set_input_text(std::string(word));
            return;
        }
    }
}

// Independent tests in a fixed order: every step that matches the line acts.
CommandInterpreter::Flow CommandInterpreter::run_steps(const std::string& line) {
    static constexpr Step steps[] = {
        &CommandInterpreter::close_window,         &CommandInterpreter::exit_program,
        &CommandInterpreter::show_about,           &CommandInterpreter::open_interval,
        &CommandInterpreter::font_color,           &CommandInterpreter::skin,
        &CommandInterpreter::define_program_alias, &CommandInterpreter::define_folder_alias,
        &CommandInterpreter::run_program_alias,    &CommandInterpreter::run_folder_alias,
        &CommandInterpreter::delete_program_alias, &CommandInterpreter::delete_folder_alias,
        &CommandInterpreter::delete_all_aliases,   &CommandInterpreter::log_off,
        &CommandInterpreter::shut_down,            &CommandInterpreter::restart,
        &CommandInterpreter::open_drive,
    };
    for (Step step : steps) {
        const Flow flow = (this->*step)(line);
        if (flow != Flow::next) return flow;
    }
    return Flow::next;
}

// Moves the history up a line and writes the entered line at the bottom.
void CommandInterpreter::echo(const std::string& line) {
    if (file_missing_) status_text_ = file_not_found_status;
    for (state_.history_pos = history_lines - 1; state_.history_pos >= 1; --state_.history_pos)
        view_.set_history_line(state_.history_pos, view_.history_line(state_.history_pos - 1));
    view_.set_history_line(0, line + status_text_);
    view_.set_input_text("");
}

CommandInterpreter::Flow CommandInterpreter::fail(bool file_missing) {
    if (file_missing) file_missing_ = true;
    return trap_armed_ ? Flow::to_echo : Flow::next;
}

CommandInterpreter::Flow CommandInterpreter::after(AliasStatus status) {
    switch (status) {
        case AliasStatus::done:
        case AliasStatus::nothing_matched: return Flow::next;
        case AliasStatus::file_not_found: return fail(true);
        case AliasStatus::invalid_name:
            status_text_ = invalid_name_status;
            return fail(false);
        case AliasStatus::refused:
            status_text_ = refused_status;
            return fail(false);
        case AliasStatus::others_alias:
            status_text_ = others_alias_status;
            return fail(false);
        case AliasStatus::failed: break;
    }
    return fail(false);
}

CommandInterpreter::Flow CommandInterpreter::after(const AliasRun& run) {
    if (run.trap_armed) trap_armed_ = true;
    return after(run.status);
}

CommandInterpreter::Flow CommandInterpreter::close_window(const std::string& line) {
    if (line == "close") view_.set_visible(false);
    return Flow::next;
}

CommandInterpreter::Flow CommandInterpreter::exit_program(const std::string& line) {
    if (line != "exit" && line != "quit") return Flow::next;
    view_.unload_and_exit();
    return Flow::ended;
}

CommandInterpreter::Flow CommandInterpreter::show_about(const std::string& line) {
    if (line == "about" || line == "ABOUT") view_.show_about();
    return Flow::next;
}

// A number too large for 16 bits is clamped like any other out-of-range one.
CommandInterpreter::Flow CommandInterpreter::open_interval(const std::string& line) {
    std::string argument;
    if (!split(line, "con_openinterval", argument)) return Flow::next;
    std::int16_t& interval = state_.settings.open_interval;
    if (argument.empty()) {
        status_text_ = number_text(interval);
        return Flow::next;
    }
    interval = static_cast<std::int16_t>(std::clamp(read_number(argument), 1.0, 10000.0));
    view_.set_timer_interval(interval);
    status_text_.clear();
    return Flow::next;
}

// Any code the settings file can keep (-9 to 9) is taken; codes outside the
// table colour like code 1. Any other number is refused and the colour stays.
CommandInterpreter::Flow CommandInterpreter::font_color(const std::string& line) {
    std::string argument;
    if (!split(line, "con_fontcolor", argument)) return Flow::next;
    std::int16_t& color = state_.settings.font_color;
    if (argument.empty()) {
        status_text_ = number_text(color);
        return Flow::next;
    }
    const double code = read_number(argument);
    if (!fits_digit_field(code)) {
        status_text_ = invalid_value_status;
        return Flow::next;
    }
    status_text_.clear();
    color = static_cast<std::int16_t>(code);
    view_.set_text_color(color_for_code(color));
    return Flow::next;
}

// The skin number and path keep their new values even when the picture is
// missing. A number the settings file cannot keep (outside -9 to 9) is
// refused and the skin stays.
CommandInterpreter::Flow CommandInterpreter::skin(const std::string& line) {
    std::string argument;
    if (!split(line, "con_skin", argument)) return Flow::next;
    Settings& settings = state_.settings;
    if (argument.empty()) {
        status_text_ = number_text(settings.skin_number);
        return Flow::next;
    }
    const double number = read_number(argument);
    if (!fits_digit_field(number)) {
        status_text_ = invalid_value_status;
        return Flow::next;
    }
    status_text_.clear();
    settings.skin_number = static_cast<std::int16_t>(number);
    settings.skin_path = skin_path_of(settings.skin_number);
    trap_armed_ = true;
    switch (load_own_skin(view_, settings.skin_path)) {
        case LoadResult::ok: return Flow::next;
        case LoadResult::file_not_found: return fail(true);
        case LoadResult::failed: break;
    }
    return fail(false);
}

CommandInterpreter::Flow CommandInterpreter::define_program_alias(const std::string& line) {
    std::string argument;
    if (!split(line, "allias ", argument)) return Flow::next;
    return after(aliases_.define_program_alias(argument));
}

CommandInterpreter::Flow CommandInterpreter::define_folder_alias(const std::string& line) {
    std::string argument;
    if (!split(line, "dir_allias ", argument)) return Flow::next;
    return after(aliases_.define_folder_alias(argument));
}

CommandInterpreter::Flow CommandInterpreter::run_program_alias(const std::string& line) {
    return after(aliases_.run_program_alias(line));
}

CommandInterpreter::Flow CommandInterpreter::run_folder_alias(const std::string& line) {
    return after(aliases_.run_folder_alias(line, state_.win_dir));
}

CommandInterpreter::Flow CommandInterpreter::delete_program_alias(const std::string& line) {
    std::string name;
    if (!split(line, "del_allias ", name)) return Flow::next;
    return after(aliases_.delete_program_alias(name));
}

CommandInterpreter::Flow CommandInterpreter::delete_folder_alias(const std::string& line) {
    std::string name;
    if (!split(line, "del_dirallias ", name)) return Flow::next;
    return after(aliases_.delete_folder_alias(name));
}

CommandInterpreter::Flow CommandInterpreter::delete_all_aliases(const std::string& line) {
    if (line != "del_all") return Flow::next;
    return after(aliases_.delete_all());
}

CommandInterpreter::Flow CommandInterpreter::log_off(const std::string& line) {
    if (line == "newuser") exit_windows(exit_flags::logoff);
    return Flow::next;
}

CommandInterpreter::Flow CommandInterpreter::shut_down(const std::string& line) {
    if (line == "power") exit_windows(exit_flags::shutdown);
    return Flow::next;
}

CommandInterpreter::Flow CommandInterpreter::restart(const std::string& line) {
    if (line == "restart") exit_windows(exit_flags::reboot);
    return Flow::next;
}

// A refusal (no shut-down privilege, say) is told in the echo line.
void CommandInterpreter::exit_windows(unsigned flags) {
    if (!session_.exit_windows(flags)) status_text_ = refused_status;
}

// The drive letter goes to Explorer untested and untrimmed.
CommandInterpreter::Flow CommandInterpreter::open_drive(const std::string& line) {
    std::string drive;
    if (!split(line, "drive ", drive)) return Flow::next;
    switch (starter_.start(state_.win_dir + "\\explorer.exe " + " " + drive + ":\\",
                           WindowShow::normal)) {
        case StartResult::ok: return Flow::next;
        case StartResult::file_not_found: return fail(true);
        case StartResult::needs_shell:
        case StartResult::failed: break;
    }
    return fail(false);
}

}  // namespace vh
