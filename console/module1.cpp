#include "console/module1.h"

namespace vh {

void register_run(Registry& registry, RegKey root, const std::string& path,
                  const std::string& name, const std::string& data) {
    RegKey key = 0;
    registry.create_key(root, path, key);
    registry.set_value(key, name, reg_sz, data.c_str(), static_cast<std::uint32_t>(data.size() + 1));
    registry.close_key(key);
}

}  // namespace vh
