// Who may do what to a file or folder: an owner and explicit access rules
// that inherit nothing from the parent folder (a protected DACL), so that
// rights given to everyone higher up never reach the object.
#pragma once

#include <string>
#include <vector>

namespace vh {

// Well-known groups, the same on every Windows in every language.
enum class Trustee {
    system,          // NT AUTHORITY\SYSTEM, S-1-5-18
    administrators,  // BUILTIN\Administrators, S-1-5-32-544
    users,           // BUILTIN\Users, S-1-5-32-545
    creator_owner,   // CREATOR OWNER, S-1-3-0: in an inherited rule, whoever owns the new entry
};

// The standard sets of file rights, as icacls names them.
enum class Access {
    full_control,        // F
    read_execute,        // RX: read, list, run
    read_execute_write,  // RX,W: also write data, attributes and add files; no delete
    modify,              // M: RX,W and delete
    read_execute_add_files,  // RX and, for a folder, add files: no subfolders, attributes or delete
};

// For a folder: where a rule applies. A file has no contents.
enum class Reach {
    this_only,
    this_and_contents,  // the folder, and files and folders created in it: (OI)(CI)
    contents_only,      // only what is created in it: (OI)(CI)(IO)
    files_only,         // only files created in it: (OI)(IO)
};

struct AccessRule {
    Trustee trustee;
    Access access;
    Reach reach;
    bool operator==(const AccessRule&) const = default;
};

struct FileRights {
    Trustee owner = Trustee::administrators;
    std::vector<AccessRule> rules;  // in this order, all "allow"
    bool operator==(const FileRights&) const = default;
};

// The trustee's SID in SDDL's short form: "SY", "BA", "BU", "CO".
const char* trustee_sddl(Trustee trustee);

// The security descriptor in Windows' string form (SDDL), owner and
// protected DACL: "O:BAD:P(A;OICI;FA;;;SY)...". Windows reads it back in
// the same form.
std::string security_descriptor_text(const FileRights& rights);

}  // namespace vh
