// The alias-name check and the path the alias store builds from a name: a
// name the check accepts always makes one file, under exactly that name,
// directly inside the alias directory, and deleting it leaves the directory
// as it was; a refused name touches nothing at all.
//
// Input: one byte choosing the program or the folder directory, then the name.
#include "console/alias_name.h"
#include "console/alias_store.h"
#include "fuzz/fuzz_support.h"
#include "shared/product.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"

namespace vh {
namespace {

using Snapshot = std::map<std::string, std::string>;

// The entries of after that are new or changed against before.
Snapshot changed(const Snapshot& before, const Snapshot& after) {
    Snapshot out;
    for (const auto& [path, description] : after) {
        auto it = before.find(path);
        if (it == before.end() || it->second != description) out[path] = description;
    }
    return out;
}

bool removed_any(const Snapshot& before, const Snapshot& after) {
    for (const auto& entry : before)
        if (!after.count(entry.first)) return true;
    return false;
}

}  // namespace
}  // namespace vh

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vh;
    fuzz::Bytes bytes(data, size);
    const bool folder = bytes.byte() & 1;
    const std::string name = bytes.rest();

    FakeFileSystem fs;
    fs.put_directory(product::program_alias_dir);
    fs.put_directory(product::folder_alias_dir);
    fs.put_file("C:\\Tessarimondale\\Varnholde\\us_param.par", "settings");
    fs.put_file("C:\\Windows\\notepad.exe", "program");
    FakeProcessStarter starter;
    AliasStore store(fs, starter);
    const std::string dir = folder ? store.folder_dir() : store.program_dir();
    const Snapshot before = fs.snapshot();

    const bool accepted = is_usable_alias_name(name, dir);
    // A definition takes its name up to the first blank: a name with a blank
    // goes straight to the path the store would build.
    const bool definable = name.find(' ') == std::string::npos;
    AliasStatus defined = AliasStatus::done;
    if (definable) {
        const std::string argument = name + " target";
        defined = folder ? store.define_folder_alias(argument)
                         : store.define_program_alias(argument);
    } else if (accepted) {
        FUZZ_CHECK(fs.write_file(dir + name, "target\r\n") == FsError::ok);
    }

    const Snapshot after = fs.snapshot();
    FUZZ_CHECK(!removed_any(before, after));
    const Snapshot made = changed(before, after);
    if (!accepted) {
        FUZZ_CHECK(made.empty());
        if (definable) FUZZ_CHECK(defined == AliasStatus::invalid_name);
        return 0;
    }
    FUZZ_CHECK(defined == AliasStatus::done);
    FUZZ_CHECK(made.size() == 1);
    // The snapshot keys a file by its full path as created: the directory,
    // then the name exactly as typed, with no further level.
    const std::string& path = made.begin()->first;
    FUZZ_CHECK(path == dir + name);
    FUZZ_CHECK(made.begin()->second.ends_with(":target\r\n"));

    if (definable) {
        const AliasStatus deleted =
            folder ? store.delete_folder_alias(name) : store.delete_program_alias(name);
        FUZZ_CHECK(deleted == AliasStatus::done);
        FUZZ_CHECK(fs.snapshot() == before);
    }
    return 0;
}
