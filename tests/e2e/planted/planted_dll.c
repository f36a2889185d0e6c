/* A DLL that a user planted beside a program: it bears the name of a system
 * DLL that is not among the KnownDLLs, exports what the programs take from
 * the four such DLLs, and writes "<its own path>.loaded" the moment a
 * process loads it. Every function fails, as a refusing system would. */
/* Not windows.h: its winver.h declares the version functions with their own
 * types, which these stubs take as untyped pointers. */
#include <stdarg.h>
#include <windef.h>
#include <winbase.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        WCHAR path[MAX_PATH + 8];
        const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcatW(path, L".loaded");
            HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
        }
    }
    return TRUE;
}

/* The exports, each with its documented number of arguments (stdcall: the
 * callee pops them) and a result that means failure. */
#define P void*
#define EXPORT(result, name, params, value) \
    __declspec(dllexport) result WINAPI name params { return value; }

/* rstrtmgr.dll */
EXPORT(DWORD, RmStartSession, (P a, P b, P c), ERROR_ACCESS_DENIED)
EXPORT(DWORD, RmEndSession, (P a), ERROR_ACCESS_DENIED)
EXPORT(DWORD, RmRegisterResources, (P a, P b, P c, P d, P e, P f, P g), ERROR_ACCESS_DENIED)
EXPORT(DWORD, RmGetList, (P a, P b, P c, P d, P e), ERROR_ACCESS_DENIED)
/* userenv.dll */
EXPORT(BOOL, CreateEnvironmentBlock, (P a, P b, P c), FALSE)
EXPORT(BOOL, DestroyEnvironmentBlock, (P a), FALSE)
/* wtsapi32.dll */
EXPORT(BOOL, WTSQueryUserToken, (P a, P b), FALSE)
EXPORT(BOOL, WTSEnumerateProcessesW, (P a, P b, P c, P d, P e), FALSE)
EXPORT(BOOL, WTSFreeMemory, (P a), FALSE)
/* version.dll */
EXPORT(DWORD, GetFileVersionInfoSizeW, (P a, P b), 0)
EXPORT(BOOL, GetFileVersionInfoW, (P a, P b, P c, P d), FALSE)
EXPORT(BOOL, VerQueryValueW, (P a, P b, P c, P d), FALSE)
