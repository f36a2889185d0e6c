// Reading a file's or folder's rights back, in the string form that
// security_descriptor_text gives: owner and DACL only.
#pragma once

#include <optional>
#include <string>

namespace vh {

// "O:BAD:P(A;OICI;FA;;;SY)..." as Windows gives it; none when it cannot be
// read.
std::optional<std::string> security_descriptor_text_of(const std::string& path);

// Whether the file system keeps the owner and DACL set on a file as they
// were set, tried on a scratch file of that path (created and deleted).
// NTFS does; Wine keeps only what Unix permission bits can say.
bool keeps_security_descriptors(const std::string& scratch_file);

}  // namespace vh
