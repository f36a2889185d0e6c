// getstring over a stored value of any type and any bytes, with any one
// registry operation failing: the text is the REG_SZ data up to its first
// zero byte, the empty text for every other type or failure, and the key
// handle is always closed.
//
// Input: the value's type (four bytes), one byte of choices (which operation
// fails, whether the key and the value exist), then the value's bytes.
#include "fuzz/fuzz_support.h"
#include "platform/fake/fake_registry.h"
#include "shared/registry_strings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vh;
    fuzz::Bytes bytes(data, size);
    const std::uint32_t type = bytes.u32();
    const std::uint8_t choices = bytes.byte();
    const int failing_step = choices % 5;  // open, query, query; 4: none fails
    const bool key_exists = !(choices & 0x08);
    const bool value_exists = !(choices & 0x10);
    const std::string stored = bytes.rest();

    const std::string path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    FakeRegistry registry;
    if (key_exists) registry.put_value(hkey_local_machine, path, "Other", reg_sz, "x");
    if (key_exists && value_exists)
        registry.put_value(hkey_local_machine, path, "Common Programs", type, stored);
    registry.fail_operation(failing_step);

    const std::string text = getstring(registry, hkey_local_machine, path, "Common Programs");

    const bool readable = key_exists && value_exists && type == reg_sz &&
                          (failing_step == 0 || failing_step == 4);
    FUZZ_CHECK(text == (readable ? stored.substr(0, stored.find('\0')) : std::string()));
    FUZZ_CHECK(registry.open_handles() == 0);
    return 0;
}
