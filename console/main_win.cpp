// Varnholde.exe: the drop-down command console.
#include <windows.h>
#include <ole2.h>

#include "console/close_request_win.h"
#include "console/console_window_win.h"
#include "console/single_console_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    // A console already running in this session is shown instead.
    vh::SingleConsole single;
    if (!single.claim()) return 0;
    OleInitialize(nullptr);  // JPEG skins are decoded by the OLE picture loader
    vh::ConsoleWindow form;
    if (!form.create(instance, show_command)) return 1;
    // Installers of any session, and Windows' own, may end the console too.
    vh::CloseRequest close_request;
    close_request.listen(form.window());
    vh::register_console_restart();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (form.is_dialog_message(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    OleUninitialize();
    return 0;
}
