#include "platform/win32/console_close_event.h"

#include <aclapi.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <vector>

#include "platform/win32/system_dll.h"

namespace vh {

namespace {

// This process's user as an SDDL SID string; empty when it cannot be read.
std::wstring own_user_sid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return L"";
    const WinHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
        return L"";
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return L"";
    std::wstring sid = text;
    LocalFree(text);
    return sid;
}

// The user a process of any session runs as, from Windows' list of every
// session's processes (which an administrator may read whole); empty when
// it cannot be read.
std::vector<BYTE> process_user(DWORD process_id) {
    const SystemDll wtsapi("wtsapi32.dll");
    auto* enumerate = wtsapi.function<decltype(WTSEnumerateProcessesW)>("WTSEnumerateProcessesW");
    auto* free_memory = wtsapi.function<decltype(WTSFreeMemory)>("WTSFreeMemory");
    WTS_PROCESS_INFOW* processes = nullptr;
    DWORD count = 0;
    if (!enumerate || !free_memory ||
        !enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &processes, &count))
        return {};
    std::vector<BYTE> user;
    for (DWORD i = 0; i < count; ++i) {
        PSID sid = processes[i].pUserSid;
        if (processes[i].ProcessId != process_id || !sid || !IsValidSid(sid)) continue;
        const auto* bytes = static_cast<const BYTE*>(sid);
        user.assign(bytes, bytes + GetLengthSid(sid));
    }
    free_memory(processes);
    return user;
}

}  // namespace

std::wstring console_close_event_name(DWORD process_id) {
    return L"Global\\VarnholdeConsoleClose-" + std::to_wstring(process_id);
}

// The default rights of an object made by a user's process let neither an
// administrator of another session nor, always, LocalSystem set it. The
// owner is the user, named outright (a user's own SID is always a valid
// owner): the default one may be a group, such as Administrators for an
// elevated process, which is what an installer checks the owner against.
WinHandle create_console_close_event() {
    const std::wstring user = own_user_sid();
    if (user.empty()) return WinHandle();
    const std::wstring sddl =
        L"O:" + user + L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;" + user + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return WinHandle();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    WinHandle event(CreateEventW(&attributes, TRUE, FALSE,
                                 console_close_event_name(GetCurrentProcessId()).c_str()));
    // CreateEventW opens an event that exists already, ignoring the rights
    // it was given: whoever made it first could set it. It is dropped, and
    // the console ends only through its window.
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    LocalFree(descriptor);
    if (existed) return WinHandle();
    return event;
}

WinHandle open_console_close_event(DWORD process_id, DWORD rights) {
    WinHandle event(
        OpenEventW(rights | READ_CONTROL, FALSE, console_close_event_name(process_id).c_str()));
    if (!event) return event;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(event.get(), SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                        nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return WinHandle();
    const std::vector<BYTE> user = process_user(process_id);
    const bool trusted =
        owner && (IsWellKnownSid(owner, WinLocalSystemSid) ||
                  IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                  (!user.empty() && EqualSid(owner, const_cast<BYTE*>(user.data()))));
    LocalFree(descriptor);
    if (!trusted) SetLastError(ERROR_ACCESS_DENIED);
    return trusted ? std::move(event) : WinHandle();
}

}  // namespace vh
