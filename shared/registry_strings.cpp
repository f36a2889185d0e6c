#include "shared/registry_strings.h"

#include <cstdint>

namespace vh {

void savestring(Registry& registry, RegKey Hkey, const std::string& strPath,
                const std::string& strValue, const std::string& strdata) {
    RegKey key = 0;
    registry.create_key(Hkey, strPath, key);
    // The text and its terminating zero; c_str() supplies that zero.
    registry.set_value(key, strValue, reg_sz, strdata.c_str(),
                       static_cast<std::uint32_t>(strdata.size() + 1));
    registry.close_key(key);
}

std::string getstring(Registry& registry, RegKey Hkey, const std::string& strPath,
                      const std::string& strValue) {
    RegKey key = 0;
    registry.open_key(Hkey, strPath, key);

    // First ask only for the type and the size; a failed query leaves both 0.
    std::uint32_t type = reg_none;
    std::uint32_t size = 0;
    registry.query_value(key, strValue, &type, nullptr, &size);

    std::string result;
    if (type == reg_sz) {
        std::string buffer(size, ' ');
        std::uint32_t ignored_type = reg_none;
        if (registry.query_value(key, strValue, &ignored_type, buffer.data(), &size) == reg_ok)
            result = buffer.substr(0, buffer.find('\0'));  // npos keeps the whole buffer
    }
    registry.close_key(key);
    return result;
}

}  // namespace vh
