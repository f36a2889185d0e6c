// Whether a settings file is one the console reads whole, judged by the
// console's own reader without a window: the installer keeps such a file.
#pragma once

#include <string>

#include "platform/file_system.h"
#include "shared/product.h"

namespace vh {

enum class SettingsFileState {
    valid,       // the console takes its skin path, colour and interval
    missing,
    invalid,     // the console would reject it in whole or in part
    unreadable,  // there, but it could not be read
};

// The skin picture itself is not looked at: a missing picture leaves the
// file's other settings in force.
SettingsFileState check_settings_file(FileSystem& fs,
                                      const std::string& path = product::settings_file);

}  // namespace vh
