#include "console/console_view.h"

namespace vh {

TextColor color_for_code(long code) {
    switch (code) {
        case 2: return {false, 255, 255, 0};
        case 3: return {false, 255, 0, 255};
        case 4: return {false, 255, 0, 0};
        case 5: return {false, 0, 255, 0};
        case 6: return {false, 0, 0, 255};
        default: return {true, 255, 255, 255};
    }
}

}  // namespace vh
