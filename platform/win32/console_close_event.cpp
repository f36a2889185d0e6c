#include "platform/win32/console_close_event.h"

#include <sddl.h>

#include <vector>

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

}  // namespace

std::wstring console_close_event_name(DWORD process_id) {
    return L"Global\\VarnholdeConsoleClose-" + std::to_wstring(process_id);
}

// The default rights of an object made by a user's process let neither an
// administrator of another session nor, always, LocalSystem set it.
WinHandle create_console_close_event() {
    const std::wstring user = own_user_sid();
    if (user.empty()) return WinHandle();
    const std::wstring sddl = L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;" + user + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return WinHandle();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    WinHandle event(CreateEventW(&attributes, TRUE, FALSE,
                                 console_close_event_name(GetCurrentProcessId()).c_str()));
    LocalFree(descriptor);
    return event;
}

}  // namespace vh
