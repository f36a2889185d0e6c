// Reading a file's or folder's rights back, in the string form that
// security_descriptor_text gives: owner and DACL only.
#pragma once

#include <optional>
#include <string>

namespace vh {

// "O:BAD:P(A;OICI;FA;;;SY)..." as Windows gives it; none when it cannot be
// read.
std::optional<std::string> security_descriptor_text_of(const std::string& path);

}  // namespace vh
