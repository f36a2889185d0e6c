// Another program's window in front of the console, as the tests need one:
// it records the keys it receives and may hold F12 as its own hot key. It
// runs its own thread, so that it takes its messages while a test waits.
#pragma once

#include <windows.h>

#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vh::e2e {

class KeyProbe {
public:
    // A window over the band's left part; with hold_f12 it registers F12
    // before anything else can.
    explicit KeyProbe(bool hold_f12 = false);
    ~KeyProbe();
    KeyProbe(const KeyProbe&) = delete;
    KeyProbe& operator=(const KeyProbe&) = delete;

    HWND window() const { return window_; }
    bool holds_f12() const { return holds_f12_; }
    // Makes it the foreground window and forgets what it received so far.
    bool bring_forward();
    // What reached it, in order: "key N" for a key going down (virtual key
    // N), "up N" for one going up, "char N" for a typed character, "hot
    // key" for its F12.
    std::vector<std::string> received() const;
    // Whether F12 went down in it or any character was typed into it.
    bool got_f12_or_typing() const;
    int hot_keys() const;

private:
    static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w, LPARAM l);
    void run(bool hold_f12, std::promise<void>& ready);
    void record(const std::string& event);

    std::thread thread_;
    HWND window_ = nullptr;
    bool holds_f12_ = false;
    mutable std::mutex mutex_;
    std::vector<std::string> received_;
};

}  // namespace vh::e2e
