#include "console/waiting_thread_win.h"

#include "console/hot_key_win.h"

namespace vh {

namespace {

// A thread message: install the hook again; wParam non-zero when F12 is
// held at that moment.
constexpr UINT install_again_message = WM_APP + 3;
// The thread calls little and shallow: a small stack keeps its memory low.
constexpr SIZE_T stack_reserve = 64 * 1024;

struct Start {
    HWND window;
    HANDLE close_event;
    bool with_hook;
    UINT press_message;
    HANDLE ready;
    bool hooked = false;
};

// Handles the thread's own messages. False at WM_QUIT.
bool take_messages(HHOOK& hook, bool hook_road, HWND window, UINT press_message) {
    MSG message;
    // A low-level hook is called through this thread's queue: PeekMessage
    // runs it, as it runs the messages sent to the thread.
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        if (message.message == install_again_message && hook_road) {
            // Fails without harm when Windows has removed the hook already.
            if (hook) UnhookWindowsHookEx(hook);
            hook = install_f12_hook(window, press_message, message.wParam != 0);
        } else if (message.message == drop_hook_message && hook) {
            UnhookWindowsHookEx(hook);
            hook = nullptr;
        }
    }
    return true;
}

DWORD WINAPI run(void* parameter) {
    auto* start = static_cast<Start*>(parameter);
    const HWND window = start->window;
    const UINT press_message = start->press_message;
    HANDLE close_event = start->close_event;
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
    HHOOK hook = nullptr;
    if (start->with_hook) {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        hook = install_f12_hook(window, press_message, false);
    }
    const bool start_hooked = hook != nullptr;
    start->hooked = start_hooked;
    SetEvent(start->ready);  // start is the starter's, and gone after this
    if (!hook && !close_event) return 1;
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjectsEx(close_event ? 1 : 0, &close_event,
                                                       INFINITE, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        // Once: the window's unload answers it, and the event stays set.
        if (close_event && woke == WAIT_OBJECT_0) {
            PostMessageW(window, close_request_message, 0, 0);
            close_event = nullptr;
        }
        if (!take_messages(hook, start_hooked, window, press_message)) break;
    }
    if (hook) UnhookWindowsHookEx(hook);
    return 0;
}

}  // namespace

bool WaitingThread::start(HWND window, HANDLE close_event, bool with_hook, UINT press_message) {
    stop();
    if (!close_event && !with_hook) return false;
    WinHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready) return false;
    Start start{window, close_event, with_hook, press_message, ready.get()};
    DWORD id = 0;
    WinHandle thread(CreateThread(nullptr, stack_reserve, run, &start,
                                  STACK_SIZE_PARAM_IS_A_RESERVATION, &id));
    if (!thread) return false;
    WaitForSingleObject(ready.get(), INFINITE);
    hooked_ = start.hooked;
    if (!hooked_ && !close_event) {
        WaitForSingleObject(thread.get(), INFINITE);
        return false;
    }
    listens_ = close_event != nullptr;
    thread_ = std::move(thread);
    thread_id_ = id;
    return true;
}

void WaitingThread::install_hook_again(bool key_held) {
    if (thread_ && hooked_)
        PostThreadMessageW(thread_id_, install_again_message, key_held ? 1 : 0, 0);
}

void WaitingThread::stop() {
    if (!thread_) return;
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_.get(), 2000);
    thread_.close();
    thread_id_ = 0;
    hooked_ = listens_ = false;
}

}  // namespace vh
