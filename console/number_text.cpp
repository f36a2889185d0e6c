#include "console/console_state.h"

namespace vh {

std::string number_text(long value) {
    return value >= 0 ? " " + std::to_string(value) : std::to_string(value);
}

}  // namespace vh
