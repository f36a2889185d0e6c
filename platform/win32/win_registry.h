// Registry on advapi32's ANSI functions.
#pragma once

#include "platform/registry.h"

namespace vh {

class WinRegistry : public Registry {
public:
    long create_key(RegKey root, const std::string& path, RegKey& key) override;
    long open_key(RegKey root, const std::string& path, RegKey& key) override;
    long query_value(RegKey key, const std::string& name, std::uint32_t* type, char* data,
                     std::uint32_t* size) override;
    long set_value(RegKey key, const std::string& name, std::uint32_t type, const char* data,
                   std::uint32_t size) override;
    long close_key(RegKey key) override;
    long delete_value(RegKey key, const std::string& name) override;
    long delete_key(RegKey root, const std::string& path) override;
};

}  // namespace vh
