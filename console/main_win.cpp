// Varnholde.exe: the drop-down command console.
#include <windows.h>
#include <ole2.h>

#include "console/close_request_win.h"
#include "console/console_window_win.h"
#include "console/single_console_win.h"
#include "platform/win32/system_dll.h"

namespace {

// The window's messages until the window has gone, and an installer's
// close request where the waiting thread could not take it.
int run_messages(vh::ConsoleWindow& form, vh::CloseRequest& close_request) {
    MSG message;
    for (;;) {
        HANDLE request = close_request.event();
        const DWORD woke = MsgWaitForMultipleObjectsEx(request ? 1 : 0, &request, INFINITE,
                                                       QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (request && woke == WAIT_OBJECT_0) close_request.answer(form.window());
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            if (form.is_dialog_message(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    vh::restrict_dll_search();
    // A console already running in this session is shown instead.
    vh::SingleConsole single;
    if (!single.claim()) return 0;
    OleInitialize(nullptr);  // JPEG skins are decoded by the OLE picture loader
    // Installers of any session, and Windows' own, may end the console too.
    vh::CloseRequest close_request;
    close_request.listen();
    vh::ConsoleWindow form;
    if (!form.create(instance, show_command, close_request.event())) return 1;
    if (form.listens_for_close()) close_request.leave_to_thread();
    vh::register_console_restart();
    const int result = run_messages(form, close_request);
    OleUninitialize();
    return result;
}
