#include "platform/win32/win_desktop_starter.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "platform/session_start.h"
#include "platform/win32/job_breakaway.h"
#include "platform/win32/win_com.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/wide.h"

namespace vh {

namespace {

// The desktop folder's view in the shell that shows the desktop: the shell
// windows' list names it, and its browser gives the active view.
bool find_desktop_view(ComPtr<IShellView>& view) {
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                __uuidof(IShellWindows), windows.out_void())))
        return false;
    VARIANT location;
    VariantInit(&location);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT empty;
    VariantInit(&empty);
    long window = 0;
    ComPtr<IDispatch> dispatch;
    if (windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              dispatch.out()) != S_OK ||
        !dispatch)
        return false;
    ComPtr<IServiceProvider> provider;
    if (FAILED(dispatch->QueryInterface(__uuidof(IServiceProvider), provider.out_void())))
        return false;
    ComPtr<IShellBrowser> browser;
    if (FAILED(provider->QueryService(SID_STopLevelBrowser, __uuidof(IShellBrowser),
                                      browser.out_void())))
        return false;
    return SUCCEEDED(browser->QueryActiveShellView(view.out())) && view;
}

// The Shell object of that view: its ShellExecute runs in the shell's
// process, with the shell's token.
bool find_shell_dispatch(ComPtr<IShellDispatch2>& shell) {
    ComPtr<IShellView> view;
    if (!find_desktop_view(view)) return false;
    ComPtr<IDispatch> background;
    if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.out_void())))
        return false;
    ComPtr<IShellFolderViewDual> folder_view;
    if (FAILED(background->QueryInterface(__uuidof(IShellFolderViewDual),
                                          folder_view.out_void())))
        return false;
    ComPtr<IDispatch> application;
    if (FAILED(folder_view->get_Application(application.out())) || !application) return false;
    return SUCCEEDED(
               application->QueryInterface(__uuidof(IShellDispatch2), shell.out_void())) &&
           shell;
}

// What CreateProcessWithTokenW and CreateProcessAsUserW both take to start
// the program on its own: its path, a command line of the quoted path, the
// creation flags, its folder (null: inherit), and where the start fills in
// the new process.
struct ProcessStart {
    const wchar_t* application;
    wchar_t* command_line;
    DWORD flags;
    const wchar_t* folder;
    STARTUPINFOW* startup;
    PROCESS_INFORMATION* started;
};

// Starts the program with one of those calls, out of this process's job
// where the job allows it (an installer's job may end every process in it
// when the installer ends); closes the handles it gives, since nothing
// waits for the program.
template <typename Create>
bool start_process(const std::string& program, const std::string& directory, Create create) {
    const std::wstring application = to_wide(program);
    const std::wstring folder = to_wide(directory);
    return start_out_of_job([&](bool breakaway) {
        std::wstring command_line = L"\"" + application + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!create(ProcessStart{application.c_str(), command_line.data(),
                                 breakaway_flag(breakaway),
                                 folder.empty() ? nullptr : folder.c_str(), &startup,
                                 &started}))
            return creation_failure(breakaway);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        return ProcessCreation::started;
    });
}

}  // namespace

bool start_through_shell_dispatch(const std::string& program, const std::string& directory) {
    ComApartment apartment;
    ComPtr<IShellDispatch2> shell;
    if (!find_shell_dispatch(shell)) return false;
    Bstr file(to_wide(program));
    StringVariant arguments(L""), folder(to_wide(directory)), operation(L"open");
    VARIANT show;
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(
        shell->ShellExecute(file.get(), arguments.get(), folder.get(), operation.get(), show));
}

// The shell process runs with the user's own, unelevated token: a primary
// copy of it starts the program as that user. Needs the impersonation
// privilege, which an elevated administrator holds.
bool start_with_shell_token(const std::string& program, const std::string& directory) {
    HWND shell_window = GetShellWindow();
    if (!shell_window) return false;
    DWORD shell_process_id = 0;
    GetWindowThreadProcessId(shell_window, &shell_process_id);
    WinHandle shell_process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shell_process_id));
    if (!shell_process) return false;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(shell_process.get(), TOKEN_DUPLICATE, &raw)) return false;
    WinHandle shell_token(raw);
    raw = nullptr;
    const DWORD access = TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE |
                         TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
    if (!DuplicateTokenEx(shell_token.get(), access, nullptr, SecurityImpersonation,
                          TokenPrimary, &raw))
        return false;
    WinHandle user_token(raw);
    return start_process(program, directory, [&](const ProcessStart& p) {
        return CreateProcessWithTokenW(user_token.get(), 0, p.application, p.command_line,
                                       p.flags, nullptr, p.folder, p.startup, p.started);
    });
}

// Where no shell can be reached (Explorer is not running, or a shell that
// registers neither object nor window), the program runs as this same user
// with a copy of this process's token stripped of what elevation gave it:
// the Administrators group kept for denying only, every privilege but
// change-notify removed, and medium integrity, as a filtered UAC token has.
// A restricted copy of the caller's own token needs no privilege to assign.
bool start_with_filtered_own_token(const std::string& program, const std::string& directory) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(),
                          TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY |
                              TOKEN_ADJUST_DEFAULT,
                          &raw))
        return false;
    WinHandle own_token(raw);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size))
        return false;
    SID_AND_ATTRIBUTES deny_only{administrators, 0};
    raw = nullptr;
    if (!CreateRestrictedToken(own_token.get(), DISABLE_MAX_PRIVILEGE, 1, &deny_only, 0,
                               nullptr, 0, nullptr, &raw))
        return false;
    WinHandle user_token(raw);
    BYTE medium[SECURITY_MAX_SID_SIZE];
    size = sizeof medium;
    if (CreateWellKnownSid(WinMediumLabelSid, nullptr, medium, &size)) {
        TOKEN_MANDATORY_LABEL label{};
        label.Label.Attributes = SE_GROUP_INTEGRITY;
        label.Label.Sid = medium;
        // Lowering the level needs no privilege; a system without levels
        // (before Vista) refuses, and there the token is already enough.
        SetTokenInformation(user_token.get(), TokenIntegrityLevel, &label,
                            sizeof label + GetLengthSid(medium));
    }
    return start_process(program, directory, [&](const ProcessStart& p) {
        return CreateProcessAsUserW(user_token.get(), p.application, p.command_line, nullptr,
                                    nullptr, FALSE, p.flags, nullptr, p.folder, p.startup,
                                    p.started);
    });
}

bool WinDesktopStarter::start_as_desktop_user(const std::string& program,
                                              const std::string& directory) {
    return start_through_shell_dispatch(program, directory) ||
           start_with_shell_token(program, directory) ||
           start_with_filtered_own_token(program, directory);
}

}  // namespace vh
