// Module-level routines of the console program.
#pragma once

#include <string>

#include "platform/registry.h"

namespace vh {

inline constexpr const char* run_key_path = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* run_value_name = "Varnholde";
inline constexpr const char* console_program_path = "C:\\Tessarimondale\\Varnholde\\Varnholde.exe";

// Writes data as the REG_SZ value name of the key path under root, creating
// the key when it is missing. Start-up goes on whatever the registry says.
void register_run(Registry& registry, RegKey root, const std::string& path,
                  const std::string& name, const std::string& data);

}  // namespace vh
