// What the console's logic asks of its window. The Win32 window implements
// it; tests use a recording fake.
#pragma once

#include <cstdint>
#include <string>

namespace vh {

enum class LoadResult { ok, file_not_found, failed };

// A text colour: either the system's window-background colour or an RGB.
struct TextColor {
    bool system_window = false;
    std::uint8_t red = 255, green = 255, blue = 255;
    bool operator==(const TextColor&) const = default;
};

// The colour table: 2 yellow, 3 magenta, 4 red, 5 green, 6 blue; 1 and every
// other code the system's window-background colour.
TextColor color_for_code(long code);

class ConsoleView {
public:
    virtual ~ConsoleView() = default;

    virtual std::string input_text() = 0;              // RichTextBox1
    virtual void set_input_text(const std::string& text) = 0;
    virtual std::string history_line(int index) = 0;  // 0 newest (lowest) .. 5 oldest
    virtual void set_history_line(int index, const std::string& text) = 0;

    virtual bool visible() = 0;
    virtual void set_visible(bool visible) = 0;
    // Whether the band is the foreground window, the one the keyboard types into.
    virtual bool in_front() = 0;
    // Shows the band, makes it the foreground window and puts the caret in
    // the input line, so that the next key typed lands there.
    virtual void bring_to_front() = 0;
    virtual void show_about() = 0;                     // modeless, one instance
    // Gives the colour to the input line, then to the history lines 0 to 5.
    virtual void set_text_color(const TextColor& color) = 0;
    // Loads a JPEG picture as the window's background.
    virtual LoadResult load_skin(const std::string& path) = 0;
    virtual void set_timer_interval(int milliseconds) = 0;  // 0 stops the timer
    // Unloads the window (settings written, icon removed) and ends the program.
    virtual void unload_and_exit() = 0;
};

}  // namespace vh
