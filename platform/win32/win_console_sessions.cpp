#include "platform/win32/win_console_sessions.h"

#include <restartmanager.h>
#include <userenv.h>
#include <wtsapi32.h>

#include <optional>

#include "platform/win32/console_close_event.h"
#include "platform/win32/job_breakaway.h"
#include "platform/win32/system_dll.h"
#include "platform/win32/win_session_task.h"
#include "platform/win32/wide.h"

namespace vh {

namespace {

// A Restart Manager session, ended when it goes; the Restart Manager's DLL
// is loaded from the system folder for as long as it lives.
class RmSession {
public:
    RmSession()
        : start_(dll_.function<decltype(RmStartSession)>("RmStartSession")),
          end_(dll_.function<decltype(RmEndSession)>("RmEndSession")),
          register_(dll_.function<decltype(RmRegisterResources)>("RmRegisterResources")),
          get_list_(dll_.function<decltype(RmGetList)>("RmGetList")) {
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        started_ = start_ && end_ && register_ && get_list_ &&
                   start_(&handle_, 0, key) == ERROR_SUCCESS;
    }
    ~RmSession() {
        if (started_) end_(handle_);
    }
    RmSession(const RmSession&) = delete;
    RmSession& operator=(const RmSession&) = delete;
    bool started() const { return started_; }
    bool register_files(std::vector<LPCWSTR>& names) const {
        return register_(handle_, static_cast<UINT>(names.size()), names.data(), 0, nullptr, 0,
                         nullptr) == ERROR_SUCCESS;
    }
    bool affected_processes(std::vector<RM_PROCESS_INFO>& processes) const;

private:
    SystemDll dll_{"rstrtmgr.dll"};
    decltype(RmStartSession)* start_;
    decltype(RmEndSession)* end_;
    decltype(RmRegisterResources)* register_;
    decltype(RmGetList)* get_list_;
    DWORD handle_ = 0;
    bool started_ = false;
};

// The affected processes, asked for again while the list grew in between.
bool RmSession::affected_processes(std::vector<RM_PROCESS_INFO>& processes) const {
    for (int attempt = 0; attempt < 4; ++attempt) {
        UINT needed = 0, count = static_cast<UINT>(processes.size());
        DWORD reasons = 0;
        const DWORD status = get_list_(handle_, &needed, &count,
                                       processes.empty() ? nullptr : processes.data(), &reasons);
        if (status == ERROR_SUCCESS) {
            processes.resize(count);
            return true;
        }
        if (status != ERROR_MORE_DATA) return false;
        processes.resize(needed);
    }
    return false;
}

std::uint32_t session_of(const RM_PROCESS_INFO& info) {
    if (info.TSSessionId != static_cast<DWORD>(RM_INVALID_TS_SESSION)) return info.TSSessionId;
    DWORD session = 0;
    ProcessIdToSessionId(info.Process.dwProcessId, &session);
    return session;
}

// Turns on a privilege this process holds; one it does not hold stays off
// and the call that needs it fails.
void enable_privilege(const wchar_t* name) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &raw)) return;
    const WinHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

// The user's own token of a session: the filtered one where the user is an
// administrator whose session token is the elevated one.
std::optional<WinHandle> unelevated_user_token(std::uint32_t session) {
    enable_privilege(SE_TCB_NAME);
    const SystemDll wtsapi("wtsapi32.dll");
    auto* query_user_token = wtsapi.function<decltype(WTSQueryUserToken)>("WTSQueryUserToken");
    HANDLE raw = nullptr;
    if (!query_user_token || !query_user_token(session, &raw)) return std::nullopt;
    WinHandle token(raw);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size) &&
        type == TokenElevationTypeFull) {
        TOKEN_LINKED_TOKEN linked{};
        if (!GetTokenInformation(token.get(), TokenLinkedToken, &linked, sizeof linked, &size))
            return std::nullopt;
        token = WinHandle(linked.LinkedToken);
    }
    return token;
}

}  // namespace

std::uint32_t WinConsoleSessions::own_session() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

bool WinConsoleSessions::find_holders(const std::vector<std::string>& files,
                                      std::vector<HoldingProcess>& holders) {
    holders.clear();
    std::vector<std::wstring> wide;
    for (const std::string& file : files)
        if (auto name = to_wide_exact(file)) wide.push_back(std::move(*name));
    std::vector<LPCWSTR> names;
    for (const std::wstring& name : wide) names.push_back(name.c_str());
    const RmSession session;
    if (!session.started() || !session.register_files(names)) return false;
    std::vector<RM_PROCESS_INFO> processes;
    if (!session.affected_processes(processes)) return false;
    for (const RM_PROCESS_INFO& info : processes)
        holders.push_back({info.Process.dwProcessId, session_of(info)});
    return true;
}

// Only an event of the console's own user counts (see ask_to_close).
bool WinConsoleSessions::listens(const HoldingProcess& holder) {
    return static_cast<bool>(open_console_close_event(holder.id, SYNCHRONIZE));
}

bool WinConsoleSessions::ask_to_close(const HoldingProcess& holder) {
    // An event that the console's user did not make is another's: not set,
    // and the console counts as one that does not listen.
    const WinHandle event = open_console_close_event(holder.id, EVENT_MODIFY_STATE);
    if (!event || !SetEvent(event.get())) return false;
    // Another user's process may refuse to be opened; its event tells then.
    asked_[holder.id] = WinHandle(OpenProcess(SYNCHRONIZE, FALSE, holder.id));
    return true;
}

bool WinConsoleSessions::has_ended(const HoldingProcess& holder) const {
    const auto asked = asked_.find(holder.id);
    if (asked != asked_.end() && asked->second)
        return WaitForSingleObject(asked->second.get(), 0) == WAIT_OBJECT_0;
    const WinHandle event(
        OpenEventW(SYNCHRONIZE, FALSE, console_close_event_name(holder.id).c_str()));
    return !event && GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool WinConsoleSessions::wait_until_ended(const std::vector<HoldingProcess>& holders,
                                          int milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        bool ended = true;
        for (const HoldingProcess& holder : holders)
            if (!has_ended(holder)) ended = false;
        if (ended) return true;
        if (GetTickCount() - start >= static_cast<DWORD>(milliseconds)) return false;
        Sleep(50);
    }
}

bool WinConsoleSessions::start_in_session(const std::string& program,
                                          const std::string& directory,
                                          std::uint32_t session) {
    return vh::start_in_session(*this, program, directory, session);
}

bool WinConsoleSessions::can_start_in_session(std::uint32_t session) {
    return vh::can_start_in_session(*this, session);
}

bool WinConsoleSessions::has_user_token(std::uint32_t session) {
    return unelevated_user_token(session).has_value();
}

bool WinConsoleSessions::scheduler_reaches(std::uint32_t session) {
    return scheduler_reaches_session(session);
}

bool WinConsoleSessions::start_through_scheduler(std::uint32_t session,
                                                 const std::string& program,
                                                 const std::string& directory) {
    return run_once_in_session(session, program, directory);
}

// The new process gets the user's environment and the session's
// interactive desktop; nothing waits for it.
ProcessCreation WinConsoleSessions::start_with_user_token(std::uint32_t session,
                                                          const std::string& program,
                                                          const std::string& directory,
                                                          bool breakaway) {
    const std::optional<WinHandle> token = unelevated_user_token(session);
    if (!token) return ProcessCreation::failed;
    // What CreateProcessAsUserW may need of its caller to give a process
    // another user's token.
    enable_privilege(SE_ASSIGNPRIMARYTOKEN_NAME);
    enable_privilege(SE_INCREASE_QUOTA_NAME);
    // Without the user-environment DLL the process inherits this one's
    // environment, as where the user's own cannot be made.
    const SystemDll userenv("userenv.dll");
    auto* create_environment =
        userenv.function<decltype(CreateEnvironmentBlock)>("CreateEnvironmentBlock");
    auto* destroy_environment =
        userenv.function<decltype(DestroyEnvironmentBlock)>("DestroyEnvironmentBlock");
    void* environment = nullptr;
    if (!create_environment || !destroy_environment ||
        !create_environment(&environment, token->get(), FALSE))
        environment = nullptr;
    const std::wstring application = to_wide(program), folder = to_wide(directory);
    std::wstring command_line = L"\"" + application + L"\"";
    std::wstring desktop = L"winsta0\\default";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessAsUserW(
        token->get(), application.c_str(), command_line.data(), nullptr, nullptr, FALSE,
        CREATE_UNICODE_ENVIRONMENT | breakaway_flag(breakaway), environment,
        folder.empty() ? nullptr : folder.c_str(), &startup, &started);
    const ProcessCreation failure = creation_failure(breakaway);
    if (environment) destroy_environment(environment);
    if (!ok) return failure;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return ProcessCreation::started;
}

}  // namespace vh
