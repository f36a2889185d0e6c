// What the benchmark measurements share: sample series, started processes,
// raw key input with a time stamp, and the installed console's places.
#pragma once

#include <windows.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace vh::bench {

using Clock = std::chrono::steady_clock;
using e2e::Duration;
using namespace std::chrono_literals;

double milliseconds_since(Clock::time_point start);

// Named series of repeated measurements, written one series to a line:
// name, unit, then every sample.
class Samples {
public:
    void add(const std::string& name, const std::string& unit, double value);
    bool write(const std::string& path) const;

private:
    std::map<std::string, std::pair<std::string, std::vector<double>>> series_;
};

// A process started by the benchmark, ended when it goes out of scope.
class Launched {
public:
    Launched() = default;
    Launched(Launched&& other) noexcept;
    Launched& operator=(Launched&& other) noexcept;
    ~Launched();

    // Starts the program without waiting for it in any way.
    static Launched start(const std::string& exe, const std::string& arguments = {},
                          DWORD flags = 0);
    explicit operator bool() const { return process_ != nullptr; }
    HANDLE handle() const { return process_; }
    DWORD id() const { return id_; }
    bool wait_exit(Duration timeout) const;
    // Asks the window to close, as a user ending the program would; ends
    // the process when it does not go in time.
    void close(HWND window);

private:
    void end();
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// The first visible top-level window of the process and class, polled every
// millisecond; nullptr when none appears in time.
HWND wait_visible_window(DWORD process_id, const char* window_class, Duration timeout);

// One key press and release sent at once.
void tap_key(WORD virtual_key);
void key_down(WORD virtual_key);
void key_up(WORD virtual_key);

// Private bytes of a process, in KB.
double private_kb(HANDLE process);
double working_set_kb(HANDLE process);
// Kernel plus user time of a process, in milliseconds.
double cpu_ms(HANDLE process);

// Runs a batch file with the command interpreter, hidden, and waits for it.
bool run_batch(const std::string& batch_path);
std::string ansi_to_oem(const std::string& text);
std::string system_directory();

inline const std::string install_dir = "C:\\Tessarimondale\\Varnholde";
inline const std::string exe_aliases = install_dir + "\\Alliases\\Exe_files";
inline const std::string dir_aliases = install_dir + "\\Alliases\\Dirs";
inline const char* const console_class = "VarnholdeConsole";
inline const char* const empty_class = "VarnholdeBenchEmpty";

// The console installed as the end-to-end tests install it: the tree, the
// program, one skin and a settings file with the given timer interval.
bool install_console_tree();
std::string empty_window_exe();

}  // namespace vh::bench
