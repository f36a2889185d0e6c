// NtCreateFile is the one call that opens a name relative to a folder's
// handle (OBJECT_ATTRIBUTES.RootDirectory). ntdll is mapped into every
// process before any other DLL, so it is taken from the loaded module and
// never searched for on disk.
#include "platform/win32/win_relative_open.h"

#include <winternl.h>

namespace vh {

namespace {

using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES,
                                        PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG, ULONG, ULONG,
                                        ULONG, PVOID, ULONG);
using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);

struct NtFunctions {
    NtCreateFileFn create = nullptr;
    StatusToErrorFn to_error = nullptr;
};

const NtFunctions& nt() {
    static const NtFunctions functions = [] {
        NtFunctions found;
        if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
            found.create = reinterpret_cast<NtCreateFileFn>(
                reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtCreateFile")));
            found.to_error = reinterpret_cast<StatusToErrorFn>(
                reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
        }
        return found;
    }();
    return functions;
}

}  // namespace

// Always synchronous (the handle is then usable with ReadFile, WriteFile and
// GetFileInformationByHandleEx like one from CreateFileW, which needs
// SYNCHRONIZE) and always without following a reparse point. Names compare
// without regard to case, as everywhere in Windows' file name space.
DWORD open_relative(HANDLE folder, const std::wstring& name, const RelativeOpen& how,
                    WinHandle& entry) {
    const NtFunctions& functions = nt();
    if (!functions.create || !functions.to_error) return ERROR_PROC_NOT_FOUND;
    if (name.size() > 32767) return ERROR_FILENAME_EXCED_RANGE;
    UNICODE_STRING text{};
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder,
                               how.descriptor);
    IO_STATUS_BLOCK io{};
    HANDLE raw = nullptr;
    const NTSTATUS status = functions.create(
        &raw, how.access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
        how.share, how.disposition,
        how.options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (status < 0) return functions.to_error(status);
    entry = WinHandle(raw);
    return ERROR_SUCCESS;
}

}  // namespace vh
