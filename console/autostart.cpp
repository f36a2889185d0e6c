#include "console/autostart.h"

#include "shared/registry_strings.h"

namespace vh {

void register_run(Registry& registry, RegKey root, const std::string& path,
                  const std::string& name, const std::string& data) {
    savestring(registry, root, path, name, data);
}

}  // namespace vh
