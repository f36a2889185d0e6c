#include "bench/console_bench_win.h"

#include <tlhelp32.h>

#include <cstdio>
#include <functional>
#include <set>

namespace vh::bench {

namespace {

const std::string not_found_status = " >>ОШИБКА: ФАЙЛ НЕ НАЙДЕН";

struct Started {
    Launched process;
    HWND window = nullptr;
    double milliseconds = 0;  // from CreateProcess to the window being visible
};

Started start_and_wait(const std::string& exe, const char* window_class) {
    Started started;
    const auto t0 = Clock::now();
    started.process = Launched::start(exe);
    if (started.process)
        started.window = wait_visible_window(started.process.id(), window_class, 20s);
    started.milliseconds = milliseconds_since(t0);
    return started;
}

std::string console_exe() {
    return install_dir + "\\Varnholde.exe";
}

// The lowest history line: the label nearest the band's bottom.
HWND lowest_label(HWND band) {
    HWND lowest = nullptr;
    for (HWND label : e2e::children(band, "Static"))
        if (!lowest || e2e::screen_rect(label).top > e2e::screen_rect(lowest).top) lowest = label;
    return lowest;
}

std::set<DWORD> explorer_processes() {
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, "explorer.exe") == 0) ids.insert(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

// Ends the Explorer windows that folder aliases opened; the desktop's own
// Explorer, there before the benchmark began, stays.
void end_new_explorers(const std::set<DWORD>& before) {
    for (DWORD id : explorer_processes()) {
        if (before.count(id)) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process) continue;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

class RunningConsole {
public:
    bool start() {
        Started started = start_and_wait(console_exe(), console_class);
        process_ = std::move(started.process);
        band_ = started.window;
        if (!band_) return false;
        const auto edits = e2e::children(band_, "Edit");
        input_ = edits.empty() ? nullptr : edits[0];
        label_ = lowest_label(band_);
        return input_ && label_;
    }
    ~RunningConsole() { process_.close(band_); }

    // Types the line, then times Enter until Label1(0) begins with it.
    double enter(const std::string& line) {
        if (GetForegroundWindow() != band_) e2e::bring_to_front(band_);
        e2e::type_text(line);
        e2e::wait_until([&] { return e2e::text_of(input_) == line; }, 3s);
        const auto t0 = Clock::now();
        tap_key(VK_RETURN);
        while (e2e::text_of(label_).rfind(line, 0) != 0)
            if (milliseconds_since(t0) > 10000) return -1;
        return milliseconds_since(t0);
    }
    // Enters a command without timing it and waits until it has been taken.
    void command(const std::string& line) {
        enter(line);
        Sleep(200);
    }
    HWND band() const { return band_; }
    HWND input() const { return input_; }

private:
    Launched process_;
    HWND band_ = nullptr;
    HWND input_ = nullptr;
    HWND label_ = nullptr;
};

void fill_aliases(const std::string& dir, int from, int to) {
    char name[32];
    for (int i = from; i < to; ++i) {
        std::snprintf(name, sizeof name, "\\filler%05d", i);
        e2e::write_file(dir + name, "x.exe\r\n");
    }
}

std::string numbered(const char* prefix, int n) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%02d", prefix, n);
    return text;
}

}  // namespace

void measure_startup_and_memory(Samples& samples, int runs) {
    install_console_tree();
    // One unmeasured start of each warms the file cache and Wine's DLLs.
    for (int run = -1; run < runs; ++run) {
        for (const bool console : {false, true}) {
            Started started = console ? start_and_wait(console_exe(), console_class)
                                      : start_and_wait(empty_window_exe(), empty_class);
            if (!started.window) {
                std::printf("start-up: no window appeared\n");
                continue;
            }
            Sleep(500);  // let start-up finish before memory is read
            const double memory = private_kb(started.process.handle());
            const double working_set = working_set_kb(started.process.handle());
            started.process.close(started.window);
            if (run < 0) continue;
            const std::string who = console ? "console" : "empty";
            samples.add("startup." + who, "ms", started.milliseconds);
            samples.add("memory." + who, "KB", memory);
            samples.add("working_set." + who, "KB", working_set);
        }
    }
}

// Both programs idle side by side over the same windows of time.
void measure_idle_cpu(Samples& samples, int runs) {
    install_console_tree();
    Started console = start_and_wait(console_exe(), console_class);
    Started empty = start_and_wait(empty_window_exe(), empty_class);
    if (!console.window || !empty.window) {
        std::printf("idle: no window appeared\n");
        return;
    }
    Sleep(1000);
    for (int run = 0; run < runs; ++run) {
        const double console_before = cpu_ms(console.process.handle());
        const double empty_before = cpu_ms(empty.process.handle());
        const auto t0 = Clock::now();
        Sleep(10000);
        const double elapsed = milliseconds_since(t0);
        samples.add("idle.console", "%core",
                    100.0 * (cpu_ms(console.process.handle()) - console_before) / elapsed);
        samples.add("idle.empty", "%core",
                    100.0 * (cpu_ms(empty.process.handle()) - empty_before) / elapsed);
    }
    console.process.close(console.window);
    empty.process.close(empty.window);
}

// Each directory holds the filler aliases and the runs' own: program aliases
// "bpNN" name a missing program (the start fails at once, as a program that
// exits at once would cost its start and nothing more), folder aliases "bfNN"
// open C:\ in Explorer, whose window is closed after the measurement.
void measure_command_latency(Samples& samples, int runs, const std::vector<int>& alias_counts) {
    install_console_tree();
    for (int run = 0; run < runs; ++run) {
        e2e::write_file(exe_aliases + "\\" + numbered("bp", run), "vh_bench_missing.exe\r\n");
        e2e::write_file(dir_aliases + "\\" + numbered("bf", run), "C:\\\r\n");
    }
    const std::set<DWORD> explorers = explorer_processes();
    RunningConsole console;
    if (!console.start()) {
        std::printf("latency: the console did not start\n");
        return;
    }
    console.command("zz");  // the first line typed also settles focus and caret
    int filled = 0;
    for (int count : alias_counts) {
        fill_aliases(exe_aliases, filled, count);
        fill_aliases(dir_aliases, filled, count);
        filled = count;
        const std::string suffix = "." + std::to_string(count);
        for (int run = 0; run < runs; ++run) {
            samples.add("latency.unknown" + suffix, "ms", console.enter(numbered("zz", run)));
            samples.add("latency.program" + suffix, "ms", console.enter(numbered("bp", run)));
            samples.add("latency.folder" + suffix, "ms", console.enter(numbered("bf", run)));
            end_new_explorers(explorers);
        }
    }
}

namespace {

// Whether the band is shown, is the foreground window and has the caret in
// its input line: the moment the user can type into it.
bool ready_to_type(HWND band, HWND input) {
    return IsWindowVisible(band) && GetForegroundWindow() == band &&
           e2e::keyboard_focus(band) == input;
}

// Holds F12 down until the condition holds; false when it never does.
bool press_f12_until(const std::function<bool()>& condition) {
    key_down(VK_F12);
    const bool reached = e2e::wait_until(condition, 3s);
    key_up(VK_F12);
    return reached;
}

// One series: before each press the band is hidden and another program's
// window is in front; F12 then goes down and stays down until the band is
// ready to type into. Between presses the polling timer, were it to poll
// F12, would see the key up.
void measure_f12(Samples& samples, int runs, const std::string& series) {
    Started other = start_and_wait(empty_window_exe(), empty_class);
    RunningConsole console;
    if (!other.window || !console.start()) {
        std::printf("%s: the console or the other window did not start\n", series.c_str());
        return;
    }
    const HWND band = console.band(), input = console.input();
    for (int interval : {200, 50}) {
        const auto tick_sees_it_up = [&] { Sleep(static_cast<DWORD>(interval * 2 + 100)); };
        if (!IsWindowVisible(band)) {
            press_f12_until([&] { return ready_to_type(band, input); });
            tick_sees_it_up();
        }
        console.command("con_openinterval " + std::to_string(interval));
        for (int run = 0; run < runs; ++run) {
            // The band is in front: F12 hides it.
            if (!press_f12_until([&] { return IsWindowVisible(band) == FALSE; }))
                std::printf("%s: F12 did not hide the band\n", series.c_str());
            tick_sees_it_up();
            SetForegroundWindow(other.window);
            e2e::wait_until([&] { return GetForegroundWindow() == other.window; }, 2s);
            // Whole intervals plus a share of one that grows with the run, so
            // that presses fall at every phase of the timer's ticks, which
            // must not matter.
            Sleep(static_cast<DWORD>(interval * 2 + interval * run / runs));
            const auto t0 = Clock::now();
            key_down(VK_F12);
            double reaction = -1;
            while (milliseconds_since(t0) < 3000)
                if (ready_to_type(band, input)) {
                    reaction = milliseconds_since(t0);
                    break;
                }
            key_up(VK_F12);
            samples.add(series + "." + std::to_string(interval), "ms", reaction);
            tick_sees_it_up();
        }
    }
    other.process.close(other.window);
}

}  // namespace

// F12 as the console's hot key, then held by this program before the console
// starts, as Windows holds it for its debugger, so that the console takes it
// through its keyboard hook.
void measure_hotkey(Samples& samples, int runs) {
    install_console_tree();
    measure_f12(samples, runs, "hotkey");
    if (!RegisterHotKey(nullptr, 1, 0, VK_F12)) {
        std::printf("hot key: F12 could not be held for the held series\n");
        return;
    }
    measure_f12(samples, runs, "hotkey_held");
    UnregisterHotKey(nullptr, 1);
    MSG message;  // the held key's own messages, never read
    while (PeekMessageW(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {}
}

}  // namespace vh::bench
