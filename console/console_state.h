// The state the console window keeps for all its parts: the settings that
// live in the settings file, and the counters and texts the window shares.
#pragma once

#include <cstdint>
#include <string>

#include "shared/product.h"

namespace vh {

struct Settings {
    std::string skin_path;
    std::int16_t skin_number = 0;
    std::int16_t font_color = 0;
    std::int16_t open_interval = 0;
    std::string settings_text;  // the file as read at start-up
};

// The look the console shows before (or without) a settings file: no skin,
// colour code 1, the timer's designed 200 ms.
inline Settings designed_settings() {
    Settings s;
    s.font_color = 1;
    s.open_interval = 200;
    return s;
}

constexpr int history_lines = 6;  // line 0 newest (lowest) .. line 5 oldest

// How F12 reaches the console. The first two take the key before any
// program sees it and act at the press; Timer1 then polls only the arrows.
// Polling is what is left where neither can be had: it sees the key only
// at its next tick, and the program in front gets the key too.
enum class F12Road {
    registered,  // the window's hot key
    hooked,      // the low-level keyboard hook, where F12 is another's hot key
    polled,      // Timer1 asks for the key at every tick
};

struct ConsoleState {
    Settings settings = designed_settings();
    std::int16_t history_pos = 0;
    std::int16_t twips_x = 15;
    std::string win_dir;
    bool f12_down = false;  // F12 was down at the previous tick of Timer1
    F12Road f12_road = F12Road::polled;
};

// A number as the programs write it: a blank before 0 and above, a minus
// sign before a negative value ("  1" is never produced: exactly one blank).
std::string number_text(long value);

}  // namespace vh
