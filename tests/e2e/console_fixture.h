// An installed console for end-to-end tests: the fixed installation tree laid
// out from the build and the assets, the console started from it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/e2e/driver.h"

namespace vh::e2e {

inline const std::string install_dir = "C:\\Tessarimondale\\Varnholde";
inline const std::string settings_file = install_dir + "\\us_param.par";
inline const std::string skin1_path = install_dir + "\\Skins\\skin_ 1.jpg";
inline const std::string example_settings = skin1_path + " 1   200\r\n";
inline const std::string run_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the installed console and waits for its band.
    void start_console();
    // Types a line into the console's input line and presses Enter.
    void enter(const std::string& line);
    // Label1(0) .. Label1(5), ordered from the lowest (newest) line up.
    std::array<HWND, 6> history_labels() const;
    std::string history(int index) const { return text_of(history_labels()[index]); }
    void shot(const std::string& name) const;

    Program console;
    HWND band = nullptr;
    HWND input = nullptr;
};

}  // namespace vh::e2e
