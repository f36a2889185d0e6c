#include "platform/win32/win_registry.h"

#include <windows.h>

namespace vh {

namespace {
HKEY as_hkey(RegKey key) {
    return reinterpret_cast<HKEY>(key);
}
}  // namespace

long WinRegistry::create_key(RegKey root, const std::string& path, RegKey& key) {
    HKEY opened = nullptr;
    const long status = RegCreateKeyA(as_hkey(root), path.c_str(), &opened);
    key = reinterpret_cast<RegKey>(opened);
    return status;
}

long WinRegistry::open_key(RegKey root, const std::string& path, RegKey& key) {
    HKEY opened = nullptr;
    const long status = RegOpenKeyA(as_hkey(root), path.c_str(), &opened);
    if (status == ERROR_SUCCESS) key = reinterpret_cast<RegKey>(opened);
    return status;
}

long WinRegistry::query_value(RegKey key, const std::string& name, std::uint32_t* type,
                              char* data, std::uint32_t* size) {
    DWORD t = type ? *type : 0;
    DWORD s = size ? *size : 0;
    const long status =
        RegQueryValueExA(as_hkey(key), name.c_str(), nullptr, type ? &t : nullptr,
                         reinterpret_cast<BYTE*>(data), size ? &s : nullptr);
    if (type) *type = t;
    if (size) *size = s;
    return status;
}

long WinRegistry::set_value(RegKey key, const std::string& name, std::uint32_t type,
                            const char* data, std::uint32_t size) {
    return RegSetValueExA(as_hkey(key), name.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data), size);
}

long WinRegistry::close_key(RegKey key) {
    return RegCloseKey(as_hkey(key));
}

long WinRegistry::delete_value(RegKey key, const std::string& name) {
    return RegDeleteValueA(as_hkey(key), name.c_str());
}

}  // namespace vh
