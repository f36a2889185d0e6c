#include "tests/e2e/key_probe.h"

#include "tests/e2e/driver.h"

namespace vh::e2e {

namespace {

constexpr int probe_hot_key_id = 7;
constexpr wchar_t probe_class[] = L"VarnholdeTestKeyProbe";

}  // namespace

KeyProbe::KeyProbe(bool hold_f12) {
    std::promise<void> ready;
    auto created = ready.get_future();
    thread_ = std::thread([this, hold_f12, &ready] { run(hold_f12, ready); });
    created.wait();
}

KeyProbe::~KeyProbe() {
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (thread_.joinable()) thread_.join();
}

void KeyProbe::run(bool hold_f12, std::promise<void>& ready) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = probe_class;
    RegisterClassW(&wc);  // fails harmlessly when an earlier probe registered it
    window_ = CreateWindowExW(0, probe_class, L"Key probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                              20, 480, 300, nullptr, nullptr, wc.hInstance, this);
    if (window_ && hold_f12) holds_f12_ = RegisterHotKey(window_, probe_hot_key_id, 0, VK_F12);
    ready.set_value();
    if (!window_) return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK KeyProbe::window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<KeyProbe*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: self->record("key " + std::to_string(w)); return 0;
        case WM_KEYUP:
        case WM_SYSKEYUP: self->record("up " + std::to_string(w)); return 0;
        case WM_CHAR: self->record("char " + std::to_string(w)); return 0;
        case WM_HOTKEY: self->record("hot key"); return 0;
        case WM_DESTROY:
            UnregisterHotKey(window, probe_hot_key_id);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

void KeyProbe::record(const std::string& event) {
    std::lock_guard lock(mutex_);
    received_.push_back(event);
}

bool KeyProbe::bring_forward() {
    bring_to_front(window_);
    const bool in_front = wait_until([&] { return GetForegroundWindow() == window_; }, 3s);
    std::lock_guard lock(mutex_);
    received_.clear();
    return in_front;
}

std::vector<std::string> KeyProbe::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

bool KeyProbe::got_f12_or_typing() const {
    for (const std::string& event : received())
        if (event == "key " + std::to_string(VK_F12) || event.rfind("char ", 0) == 0) return true;
    return false;
}

int KeyProbe::hot_keys() const {
    int count = 0;
    for (const std::string& event : received()) count += event == "hot key";
    return count;
}

}  // namespace vh::e2e
