// The settings file "us_param.par": one 53-character line and CR LF, made
// of the skin path, the colour code and the right-aligned timer interval.
// The file is Windows-1251, one byte a character: its lengths and positions
// are those bytes, whatever the path holds.
// When no skin was ever chosen the skin path is empty and the file is the
// 10 characters of the other two fields and CR LF.
#pragma once

#include <string>

#include "console/console_state.h"
#include "console/console_view.h"
#include "platform/file_system.h"

namespace vh {

constexpr std::size_t settings_file_length = 55;

enum class SettingsOutcome {
    applied,       // skin, colour and interval taken from the file
    no_file,       // nothing read: the designed look stays
    unreadable,    // the file exists but cannot be read
    wrong_length,  // neither 55 characters nor a file without skin: rejected as a whole
    skin_missing,  // colour and interval applied, the picture is not there
    skin_unusable, // colour and interval applied, the picture did not load
    bad_interval,  // skin and colour applied, the interval field is no number
};

// Reads the file at start-up and applies what it holds to the window. What
// is not read keeps the designed value, so that what the next unload writes
// is what the console showed. A one-digit number is read with its sign, so
// that every value the commands accept comes back as it was written.
SettingsOutcome load_settings(FileSystem& fs, ConsoleView& view, Settings& settings,
                              const std::string& path = product::settings_file);

// Whether the unload may write the file after this start. A file that was
// there but could not be read (held open by another program, say) is left
// alone: writing would replace the user's settings with ones never read.
bool may_write_at_unload(SettingsOutcome outcome);

// The file's content for the settings in memory, written whatever they
// hold, as UTF-8 text (save_settings stores it in Windows-1251).
std::string format_settings(const Settings& settings);

// Writes the settings at unload over the existing file, in place: every
// user may write that one file but add none to the program folder. The
// record has the same length at every write once a skin is chosen, and it
// goes in one write from the file's first byte, which reaches the disk
// before the call returns; nothing empties the file first, so a failed or
// refused write leaves the old record whole. Without a file, one is
// created. Failure changes nothing.
FsError save_settings(FileSystem& fs, const Settings& settings,
                      const std::string& path = product::settings_file);

// The path of skin n as the console writes it: the Skins folder's fixed
// prefix, the number with its blank or minus sign, ".jpg".
std::string skin_path_of(std::int16_t number);

// Whether a skin path names a picture of the console's own Skins folder in
// exactly the form the console writes: the prefix, the skin number as one
// digit after a blank or minus sign, ".jpg", byte for byte. The settings file is shared by every user of the
// machine, so its skin field may hold any path another user chose: a
// picture elsewhere, or a network path that would hand the user's
// credentials to another host when merely looked at.
bool is_own_skin_path(const std::string& path);

// Loads the skin into the view only when its path is the console's own;
// any other path counts as a missing picture and never reaches the view,
// so the file system does not see it at all.
LoadResult load_own_skin(ConsoleView& view, const std::string& path);

// Whether a colour code or skin number can be kept in the file: each has
// room for one digit and the blank or minus sign before it, so -9 to 9.
bool fits_digit_field(double value);

// The interval field: digits with blanks around, as a 16-bit number.
bool parse_interval_field(const std::string& field, std::int16_t& value);

}  // namespace vh
