#include "platform/win32/win_session_task.h"

#include <windows.h>
#include <taskschd.h>
#include <wtsapi32.h>

#include "platform/win32/win_com.h"
#include "platform/win32/wide.h"

namespace vh {

namespace {

// The scheduler's class, reached through COM: no import of taskschd.dll.
constexpr CLSID task_scheduler_class = {
    0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

// How long the scheduler is given to start the task's program before the
// task is deleted.
constexpr DWORD task_start_timeout_ms = 10000;

// One string of WTSQuerySessionInformationW. wtsapi32 is no KnownDLL: it
// is loaded from System32 only, never from the program's folder.
std::wstring session_string(std::uint32_t session, WTS_INFO_CLASS what) {
    using Query = BOOL(WINAPI*)(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR*, DWORD*);
    using Free = void(WINAPI*)(PVOID);
    static const HMODULE wts =
        LoadLibraryExW(L"wtsapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!wts) return {};
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(wts, "WTSQuerySessionInformationW")));
    const auto release = reinterpret_cast<Free>(
        reinterpret_cast<void (*)()>(GetProcAddress(wts, "WTSFreeMemory")));
    if (!query || !release) return {};
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    if (!query(WTS_CURRENT_SERVER_HANDLE, session, what, &buffer, &bytes) || !buffer) return {};
    std::wstring text = buffer;
    release(buffer);
    return text;
}

// The scheduler's root folder, with the service connected as this
// process's user.
bool root_folder(ComPtr<ITaskService>& service, ComPtr<ITaskFolder>& root) {
    if (FAILED(CoCreateInstance(task_scheduler_class, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(ITaskService), service.out_void())))
        return false;
    const StringVariant none;
    if (FAILED(service->Connect(none.get(), none.get(), none.get(), none.get()))) return false;
    const Bstr path(L"\\");
    return SUCCEEDED(service->GetFolder(path.get(), root.out())) && root;
}

// Runs as the user with their interactive token, not elevated.
bool set_principal(ITaskDefinition& task, const std::wstring& user) {
    ComPtr<IPrincipal> principal;
    if (FAILED(task.get_Principal(principal.out())) || !principal) return false;
    const Bstr id(user);
    return SUCCEEDED(principal->put_UserId(id.get())) &&
           SUCCEEDED(principal->put_LogonType(TASK_LOGON_INTERACTIVE_TOKEN)) &&
           SUCCEEDED(principal->put_RunLevel(TASK_RUNLEVEL_LUA));
}

// A console runs until its user ends it: no time limit (72 hours by
// default), no stop on batteries, and the normal priority a program the
// user starts has (a task's default, 7, is below normal).
bool set_settings(ITaskDefinition& task) {
    ComPtr<ITaskSettings> settings;
    if (FAILED(task.get_Settings(settings.out())) || !settings) return false;
    const Bstr unlimited(L"PT0S");
    return SUCCEEDED(settings->put_ExecutionTimeLimit(unlimited.get())) &&
           SUCCEEDED(settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE)) &&
           SUCCEEDED(settings->put_StopIfGoingOnBatteries(VARIANT_FALSE)) &&
           SUCCEEDED(settings->put_AllowDemandStart(VARIANT_TRUE)) &&
           SUCCEEDED(settings->put_Priority(5));
}

bool set_program(ITaskDefinition& task, const std::string& program,
                 const std::string& directory) {
    ComPtr<IActionCollection> actions;
    ComPtr<IAction> action;
    ComPtr<IExecAction> exec;
    if (FAILED(task.get_Actions(actions.out())) || !actions ||
        FAILED(actions->Create(TASK_ACTION_EXEC, action.out())) || !action ||
        FAILED(action->QueryInterface(__uuidof(IExecAction), exec.out_void())))
        return false;
    const Bstr path(to_wide(program)), folder(to_wide(directory));
    return SUCCEEDED(exec->put_Path(path.get())) &&
           SUCCEEDED(exec->put_WorkingDirectory(folder.get()));
}

// The task's instance has left the queue: its program runs, or has run.
bool wait_until_started(IRunningTask& instance) {
    const DWORD start = GetTickCount();
    for (;;) {
        TASK_STATE state = TASK_STATE_UNKNOWN;
        // An instance that is gone ran and ended.
        if (FAILED(instance.Refresh()) || FAILED(instance.get_State(&state))) return true;
        if (state == TASK_STATE_RUNNING) return true;
        if (state != TASK_STATE_QUEUED) return false;
        if (GetTickCount() - start >= task_start_timeout_ms) return false;
        Sleep(50);
    }
}

bool register_and_run(ITaskFolder& root, ITaskDefinition& task, const std::wstring& name,
                      const std::wstring& user) {
    const Bstr task_name(name);
    const StringVariant user_id(user), none;
    ComPtr<IRegisteredTask> registered;
    if (FAILED(root.RegisterTaskDefinition(task_name.get(), &task, TASK_CREATE_OR_UPDATE, user_id.get(),
                                           none.get(), TASK_LOGON_INTERACTIVE_TOKEN, none.get(),
                                           registered.out())) ||
        !registered)
        return false;
    ComPtr<IRunningTask> instance;
    const bool started = SUCCEEDED(registered->Run(none.get(), instance.out())) && instance &&
                         wait_until_started(*instance.get());
    // Deleting the task leaves its started program running.
    root.DeleteTask(task_name.get(), 0);
    return started;
}

}  // namespace

std::optional<std::wstring> session_user(std::uint32_t session) {
    const std::wstring user = session_string(session, WTSUserName);
    if (user.empty()) return std::nullopt;
    const std::wstring domain = session_string(session, WTSDomainName);
    return domain.empty() ? user : domain + L"\\" + user;
}

bool scheduler_reaches_session(std::uint32_t session) {
    if (!session_user(session)) return false;
    ComApartment apartment;
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> root;
    return root_folder(service, root);
}

bool run_once_in_session(std::uint32_t session, const std::string& program,
                         const std::string& directory) {
    const std::optional<std::wstring> user = session_user(session);
    if (!user) return false;
    ComApartment apartment;
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> root;
    ComPtr<ITaskDefinition> task;
    if (!root_folder(service, root) || FAILED(service->NewTask(0, task.out())) || !task ||
        !set_principal(*task.get(), *user) || !set_settings(*task.get()) ||
        !set_program(*task.get(), program, directory))
        return false;
    // Named for this run: a task of the name is one this run left.
    const std::wstring name = L"Varnholde console " + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(session);
    return register_and_run(*root.get(), *task.get(), name, *user);
}

}  // namespace vh
