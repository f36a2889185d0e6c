#include "platform/file_rights.h"

namespace vh {

const char* trustee_sddl(Trustee trustee) {
    switch (trustee) {
    case Trustee::system: return "SY";
    case Trustee::administrators: return "BA";
    case Trustee::users: return "BU";
    case Trustee::creator_owner: break;
    }
    return "CO";
}

namespace {

// FILE_ALL_ACCESS; FILE_GENERIC_READ | FILE_GENERIC_EXECUTE; that and
// FILE_GENERIC_WRITE; that and DELETE.
const char* access_text(Access access) {
    switch (access) {
    case Access::full_control: return "FA";
    case Access::read_execute: return "0x1200a9";
    case Access::read_execute_write: return "0x1201bf";
    case Access::modify: return "0x1301bf";
    case Access::read_execute_add_files: break;
    }
    return "0x1200ab";
}

const char* flags_text(Reach reach) {
    switch (reach) {
    case Reach::this_only: return "";
    case Reach::this_and_contents: return "OICI";
    case Reach::contents_only: return "OICIIO";
    case Reach::files_only: break;
    }
    return "OIIO";
}

}  // namespace

std::string security_descriptor_text(const FileRights& rights) {
    std::string text = std::string("O:") + trustee_sddl(rights.owner) + "D:P";
    for (const AccessRule& rule : rights.rules)
        text += std::string("(A;") + flags_text(rule.reach) + ";" + access_text(rule.access) +
                ";;;" + trustee_sddl(rule.trustee) + ")";
    return text;
}

}  // namespace vh
