#include "platform/win32/system_dll.h"

#include <string>

#include "platform/win32/wide.h"

namespace vh {

namespace {

// name in the system folder as a full path; empty when the folder cannot be
// read. Only for a Windows whose LoadLibraryExW lacks the search flags: a
// full path makes the loader look nowhere else for the DLL itself.
std::wstring in_system_folder(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return L"";
    return std::wstring(folder, length) + L"\\" + name;
}

HMODULE load_from_system_folder(const char* name) {
    const std::wstring wide = to_wide(name);
    HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The flag is unknown to a Windows without KB2533623, which refuses the
    // call as an invalid parameter; any other failure is final.
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    const std::wstring path = in_system_folder(wide);
    if (path.empty()) return nullptr;
    // The DLL's own imports are then looked for beside it first, in the
    // system folder.
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

SystemDll::SystemDll(const char* name) : module_(load_from_system_folder(name)) {}

SystemDll::~SystemDll() {
    if (module_) FreeLibrary(module_);
}

FARPROC SystemDll::address(const char* name) const {
    return module_ ? GetProcAddress(module_, name) : nullptr;
}

void restrict_dll_search() {
    using SetDefault = BOOL WINAPI(DWORD);
    if (auto* set_default = kernel32_function<SetDefault>("SetDefaultDllDirectories"))
        set_default(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void enforce_redirection_trust() {
    // ProcessRedirectionTrustPolicy and its structure come from winnt.h;
    // Windows before 10 22H2 refuses the policy, and older ones lack the call.
    using SetPolicy = BOOL WINAPI(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
    auto* set_policy = kernel32_function<SetPolicy>("SetProcessMitigationPolicy");
    if (!set_policy) return;
    PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY policy{};
    policy.EnforceRedirectionTrust = 1;
    set_policy(ProcessRedirectionTrustPolicy, &policy, sizeof policy);
}

}  // namespace vh
