#include "platform/win32/win_registry.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/win32/wide.h"

namespace vh {

namespace {

HKEY as_hkey(RegKey key) {
    return reinterpret_cast<HKEY>(key);
}

// Text values are UTF-16 in the registry and UTF-8 here; everything else
// passes as bytes.
bool is_text(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The whole data of a text value, as UTF-8 with its terminating zeros.
long read_text(HKEY key, const std::wstring& name, DWORD bytes, std::string& text) {
    std::vector<BYTE> data;
    long status = ERROR_MORE_DATA;
    for (int tries = 0; status == ERROR_MORE_DATA && tries < 4; ++tries) {
        data.resize(bytes + sizeof(wchar_t));
        bytes = static_cast<DWORD>(data.size());
        status = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, data.data(), &bytes);
    }
    if (status != ERROR_SUCCESS) return status;
    std::wstring wide(bytes / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), data.data(), wide.size() * sizeof(wchar_t));
    text = to_utf8(wide);
    return ERROR_SUCCESS;
}

}  // namespace

long WinRegistry::create_key(RegKey root, const std::string& path, RegKey& key) {
    const std::optional<std::wstring> wide = to_wide_exact(path);
    if (!wide) return ERROR_INVALID_PARAMETER;
    HKEY opened = nullptr;
    const long status = RegCreateKeyW(as_hkey(root), wide->c_str(), &opened);
    key = reinterpret_cast<RegKey>(opened);
    return status;
}

long WinRegistry::open_key(RegKey root, const std::string& path, RegKey& key) {
    const std::optional<std::wstring> wide = to_wide_exact(path);
    if (!wide) return ERROR_INVALID_PARAMETER;
    HKEY opened = nullptr;
    const long status = RegOpenKeyW(as_hkey(root), wide->c_str(), &opened);
    if (status == ERROR_SUCCESS) key = reinterpret_cast<RegKey>(opened);
    return status;
}

// The answers of the ANSI entry point, with UTF-8 as its code page: sizes of
// text values count the UTF-8 bytes, terminating zero included.
long WinRegistry::query_value(RegKey key, const std::string& name, std::uint32_t* type,
                              char* data, std::uint32_t* size) {
    const std::optional<std::wstring> wide = to_wide_exact(name);
    if (!wide) return ERROR_FILE_NOT_FOUND;
    DWORD t = 0, bytes = 0;
    long status = RegQueryValueExW(as_hkey(key), wide->c_str(), nullptr, &t, nullptr, &bytes);
    if (status != ERROR_SUCCESS) return status;
    if (type) *type = t;
    if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    if (!is_text(t)) {
        DWORD s = *size;
        status = RegQueryValueExW(as_hkey(key), wide->c_str(), nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(data), &s);
        *size = s;
        return status;
    }
    std::string text;
    status = read_text(as_hkey(key), *wide, bytes, text);
    if (status != ERROR_SUCCESS) return status;
    const auto needed = static_cast<std::uint32_t>(text.size());
    if (data && *size < needed) status = ERROR_MORE_DATA;
    else if (data) std::memcpy(data, text.data(), text.size());
    *size = needed;
    return status;
}

long WinRegistry::set_value(RegKey key, const std::string& name, std::uint32_t type,
                            const char* data, std::uint32_t size) {
    const std::optional<std::wstring> wide_name = to_wide_exact(name);
    if (!wide_name) return ERROR_INVALID_PARAMETER;
    if (!is_text(type))
        return RegSetValueExW(as_hkey(key), wide_name->c_str(), 0, type,
                              reinterpret_cast<const BYTE*>(data), size);
    const std::optional<std::wstring> text = to_wide_exact(std::string_view(data ? data : "", data ? size : 0));
    if (!text) return ERROR_INVALID_PARAMETER;
    return RegSetValueExW(as_hkey(key), wide_name->c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(text->data()),
                          static_cast<DWORD>(text->size() * sizeof(wchar_t)));
}

long WinRegistry::close_key(RegKey key) {
    return RegCloseKey(as_hkey(key));
}

long WinRegistry::delete_value(RegKey key, const std::string& name) {
    const std::optional<std::wstring> wide = to_wide_exact(name);
    if (!wide) return ERROR_FILE_NOT_FOUND;
    return RegDeleteValueW(as_hkey(key), wide->c_str());
}

// A 32-bit program on 64-bit Windows deletes in the registry's 32-bit view,
// where its other calls write too.
long WinRegistry::delete_key(RegKey root, const std::string& path) {
    const std::optional<std::wstring> wide = to_wide_exact(path);
    if (!wide || wide->empty()) return ERROR_INVALID_PARAMETER;
    return RegDeleteKeyW(as_hkey(root), wide->c_str());
}

}  // namespace vh
