// Reading and writing one REG_SZ string value, as the installer and the
// uninstaller both do. Neither helper reports failure: a failed read gives
// the empty text, a failed write leaves the registry as it was.
#pragma once

#include <string>

#include "platform/registry.h"

namespace vh {

void savestring(Registry& registry, RegKey Hkey, const std::string& strPath,
                const std::string& strValue, const std::string& strdata);

std::string getstring(Registry& registry, RegKey Hkey, const std::string& strPath,
                      const std::string& strValue);

}  // namespace vh
