// A console window in memory that keeps a journal of the actions asked of it,
// so that tests can check which steps acted, and in which order.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "console/console_state.h"
#include "console/console_view.h"

namespace vh::testing {

class FakeConsoleView : public ConsoleView {
public:
    std::string input_text() override { return input; }
    void set_input_text(const std::string& text) override { input = text; }
    std::string history_line(int index) override { return history.at(index); }
    void set_history_line(int index, const std::string& text) override {
        history.at(index) = text;
    }

    bool visible() override { return shown; }
    // A hidden window is never in front: hiding it hands the foreground on.
    void set_visible(bool visible) override {
        shown = visible;
        if (!visible) front = false;
        journal.push_back(visible ? "show" : "hide");
    }
    bool in_front() override { return front; }
    void bring_to_front() override {
        shown = front = true;
        journal.push_back("front");
    }
    void show_about() override { journal.push_back("about"); }
    void set_text_color(const TextColor& color) override {
        journal.push_back(color.system_window
                              ? "color window"
                              : "color " + std::to_string(color.red) + "," +
                                    std::to_string(color.green) + "," + std::to_string(color.blue));
    }
    LoadResult load_skin(const std::string& path) override {
        journal.push_back("skin " + path);
        return skin_result;
    }
    void set_timer_interval(int milliseconds) override {
        journal.push_back("timer " + std::to_string(milliseconds));
    }
    void unload_and_exit() override { journal.push_back("unload"); }

    std::string input;
    std::array<std::string, history_lines> history{};
    bool shown = true;
    bool front = true;  // the foreground window, as the band is after start-up
    LoadResult skin_result = LoadResult::ok;
    // Every action in order; tests may add their own entries (program starts).
    std::vector<std::string> journal;
};

}  // namespace vh::testing
