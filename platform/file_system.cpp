#include "platform/file_system.h"

namespace vh {

std::uint32_t windows_error_code(FsError error) {
    switch (error) {
    case FsError::ok: return 0;
    case FsError::file_not_found: return 2;      // ERROR_FILE_NOT_FOUND
    case FsError::path_not_found: return 3;      // ERROR_PATH_NOT_FOUND
    case FsError::access_denied: return 5;       // ERROR_ACCESS_DENIED
    case FsError::sharing_violation: return 32;  // ERROR_SHARING_VIOLATION
    case FsError::dir_not_empty: return 145;     // ERROR_DIR_NOT_EMPTY
    case FsError::already_exists: return 183;    // ERROR_ALREADY_EXISTS
    case FsError::invalid_name: return 123;      // ERROR_INVALID_NAME
    case FsError::link: return 4395;             // ERROR_REPARSE_POINT_ENCOUNTERED
    case FsError::other: break;
    }
    return 0;
}

}  // namespace vh
