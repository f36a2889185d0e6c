#include "platform/win32/wow64_redirection.h"

#include <windows.h>

namespace vh {

namespace {

using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

FARPROC kernel32_function(const char* name) {
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? GetProcAddress(kernel32, name) : nullptr;
}

}  // namespace

Wow64RedirectionOff::Wow64RedirectionOff() {
    const auto disable = reinterpret_cast<DisableFn>(
        reinterpret_cast<void (*)()>(kernel32_function("Wow64DisableWow64FsRedirection")));
    // Without WOW64 the function may exist (64-bit and newer 32-bit Windows)
    // and fail; either way nothing is redirected then.
    active_ = disable && disable(&previous_);
}

Wow64RedirectionOff::~Wow64RedirectionOff() {
    if (!active_) return;
    const auto revert = reinterpret_cast<RevertFn>(
        reinterpret_cast<void (*)()>(kernel32_function("Wow64RevertWow64FsRedirection")));
    if (revert) revert(previous_);
}

}  // namespace vh
