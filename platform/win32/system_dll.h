// Windows' own DLLs that are not among the KnownDLLs, loaded from the
// system folder alone. Linked statically, such a DLL would be looked for in
// the program's own folder first, where a download folder may hold a
// planted one; loaded here, no other folder is ever searched.
#pragma once

#include <windows.h>

namespace vh {

// An exported address as the function type its documentation gives; through
// void(*)(), the cast that says the type is known to the caller.
template <typename Function>
Function* as_function(FARPROC address) {
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(address));
}

// A DLL of the system folder, loaded for as long as it lives; a DLL that
// cannot be loaded leaves it empty, and every function it is asked for is
// then null, which the caller treats as that call failing.
class SystemDll {
public:
    // name: a file name only, such as "rstrtmgr.dll".
    explicit SystemDll(const char* name);
    ~SystemDll();
    SystemDll(const SystemDll&) = delete;
    SystemDll& operator=(const SystemDll&) = delete;

    bool loaded() const { return module_ != nullptr; }
    // The exported function of that name as the type the caller declares,
    // e.g. function<decltype(RmStartSession)>("RmStartSession"); null
    // when the DLL is not loaded or does not export it.
    template <typename Function>
    Function* function(const char* name) const {
        return as_function<Function>(address(name));
    }

private:
    FARPROC address(const char* name) const;
    HMODULE module_ = nullptr;
};

// A function of kernel32.dll, which every process has loaded; null where
// this Windows lacks it.
template <typename Function>
Function* kernel32_function(const char* name) {
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? as_function<Function>(GetProcAddress(kernel32, name)) : nullptr;
}

// First thing in WinMain: DLLs that the program or Windows on its behalf
// loads later by name come from the system folder only, never from the
// program's folder or the current one. Where Windows lacks the call
// (Windows 7 without its update KB2533623), the standard search stays.
void restrict_dll_search();

// The elevated programs' process refuses to follow a file-system junction
// that a user who is no administrator made (RedirectionGuard). Where this
// Windows lacks it, the program goes on without it.
void enforce_redirection_trust();

}  // namespace vh
