#include "uninstall/uninstall_layout.h"

namespace vh::uninstall_layout {

Point panel_origin(float screen_width, float screen_height) {
    return {screen_width / 2 - panel.width / 2, screen_height / 2 - panel.height / 2};
}

}  // namespace vh::uninstall_layout
