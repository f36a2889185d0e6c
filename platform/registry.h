// The registry operations of advapi32, one to one, so that the string
// helpers built on them behave exactly as they do on Windows. Names and text
// values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are UTF-8 here: sizes count
// their UTF-8 bytes, as the ANSI entry points count those of their code page.
#pragma once

#include <cstdint>
#include <string>

namespace vh {

using RegKey = std::uintptr_t;  // 0 means "no key"

constexpr RegKey hkey_local_machine = 0x80000002u;
constexpr RegKey hkey_current_user = 0x80000001u;

constexpr std::uint32_t reg_none = 0;
constexpr std::uint32_t reg_sz = 1;
constexpr std::uint32_t reg_expand_sz = 2;
constexpr std::uint32_t reg_binary = 3;
constexpr std::uint32_t reg_dword = 4;
constexpr std::uint32_t reg_multi_sz = 7;

constexpr long reg_ok = 0;              // ERROR_SUCCESS
constexpr long reg_file_not_found = 2;  // ERROR_FILE_NOT_FOUND
constexpr long reg_access_denied = 5;   // ERROR_ACCESS_DENIED
constexpr long reg_invalid_handle = 6;  // ERROR_INVALID_HANDLE
constexpr long reg_invalid_parameter = 87;  // ERROR_INVALID_PARAMETER
constexpr long reg_more_data = 234;     // ERROR_MORE_DATA
constexpr long reg_key_deleted = 1018;  // ERROR_KEY_DELETED

class Registry {
public:
    virtual ~Registry() = default;

    // RegCreateKey: opens the key, creating it and every missing level.
    virtual long create_key(RegKey root, const std::string& path, RegKey& key) = 0;
    // RegOpenKey: opens an existing key.
    virtual long open_key(RegKey root, const std::string& path, RegKey& key) = 0;
    // RegQueryValueEx: type and size always reported when asked for; data
    // copied when a buffer is given and *size is large enough (more_data
    // otherwise, with *size set to what is needed).
    virtual long query_value(RegKey key, const std::string& name, std::uint32_t* type,
                             char* data, std::uint32_t* size) = 0;
    // RegSetValueEx; text that is not UTF-8 is refused.
    virtual long set_value(RegKey key, const std::string& name, std::uint32_t type,
                           const char* data, std::uint32_t size) = 0;
    // RegCloseKey.
    virtual long close_key(RegKey key) = 0;
    // RegDeleteValue.
    virtual long delete_value(RegKey key, const std::string& name) = 0;
    // RegDeleteKey: deletes the key at path below root with its values.
    // A key that has subkeys is refused (access denied) and stays whole;
    // handles still open to a deleted key answer key_deleted.
    virtual long delete_key(RegKey root, const std::string& path) = 0;
};

}  // namespace vh
