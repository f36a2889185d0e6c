#include "bench/measure_win.h"

#include <psapi.h>

#include <cstdio>
#include <thread>
#include <utility>

namespace vh::bench {

double milliseconds_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Samples::add(const std::string& name, const std::string& unit, double value) {
    auto& entry = series_[name];
    entry.first = unit;
    entry.second.push_back(value);
}

bool Samples::write(const std::string& path) const {
    std::string text;
    for (const auto& [name, entry] : series_) {
        text += name + " " + entry.first;
        char number[32];
        for (double value : entry.second) {
            std::snprintf(number, sizeof number, " %.3f", value);
            text += number;
        }
        text += "\n";
    }
    return e2e::write_file(path, text);
}

Launched::Launched(Launched&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Launched& Launched::operator=(Launched&& other) noexcept {
    if (this != &other) {
        end();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Launched::~Launched() {
    end();
}

Launched Launched::start(const std::string& exe, const std::string& arguments, DWORD flags) {
    Launched launched;
    std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        launched.process_ = info.hProcess;
        launched.id_ = info.dwProcessId;
    }
    return launched;
}

bool Launched::wait_exit(Duration timeout) const {
    return !process_ ||
           WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Launched::close(HWND window) {
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    if (!wait_exit(5s)) TerminateProcess(process_, 1);
    end();
}

void Launched::end() {
    if (!process_) return;
    if (!wait_exit(0ms)) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
}

HWND wait_visible_window(DWORD process_id, const char* window_class, Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        for (HWND window : e2e::top_windows(process_id, window_class))
            if (IsWindowVisible(window)) return window;
        if (Clock::now() > deadline) return nullptr;
        Sleep(1);
    }
}

namespace {

INPUT key_input(WORD virtual_key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtual_key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtual_key, 0));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    return input;
}

}  // namespace

void tap_key(WORD virtual_key) {
    INPUT inputs[2] = {key_input(virtual_key, true), key_input(virtual_key, false)};
    SendInput(2, inputs, sizeof(INPUT));
}

void key_down(WORD virtual_key) {
    INPUT input = key_input(virtual_key, true);
    SendInput(1, &input, sizeof input);
}

void key_up(WORD virtual_key) {
    INPUT input = key_input(virtual_key, false);
    SendInput(1, &input, sizeof input);
}

double private_kb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return -1;
    // Wine leaves PrivateUsage at 0 and gives the resident anonymous memory
    // (Linux's RssAnon) as PagefileUsage, which is what Windows counts as
    // the private commit; on Windows the two fields agree.
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / 1024.0;
}

double working_set_kb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
    return static_cast<double>(counters.WorkingSetSize) / 1024.0;
}

double cpu_ms(HANDLE process) {
    FILETIME created{}, ended{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns units
}

std::string system_directory() {
    char buffer[MAX_PATH] = {};
    GetSystemDirectoryA(buffer, MAX_PATH);
    return buffer;
}

std::string ansi_to_oem(const std::string& text) {
    std::string oem(text.size(), '\0');
    CharToOemBuffA(text.data(), oem.data(), static_cast<DWORD>(text.size()));
    return oem;
}

bool run_batch(const std::string& batch_path) {
    Launched interpreter = Launched::start(system_directory() + "\\cmd.exe",
                                           "/c \"" + batch_path + "\"", CREATE_NO_WINDOW);
    return interpreter && interpreter.wait_exit(60s);
}

bool install_console_tree() {
    e2e::remove_tree("C:\\Tessarimondale");
    e2e::make_dirs(install_dir + "\\Skins");
    e2e::make_dirs(exe_aliases);
    e2e::make_dirs(dir_aliases);
    const std::string skin = install_dir + "\\Skins\\skin_ 1.jpg";
    return e2e::copy_file(e2e::bin_dir() + "\\console\\Varnholde.exe",
                          install_dir + "\\Varnholde.exe") &&
           e2e::copy_file(e2e::assets_dir() + "\\skins\\skin1.jpg", skin) &&
           e2e::write_file(install_dir + "\\us_param.par", skin + " 1   200\r\n");
}

std::string empty_window_exe() {
    return e2e::bin_dir() + "\\bench\\bench_empty_window.exe";
}

}  // namespace vh::bench
