// What only the fake can show about the string helpers: every key they open
// is closed again, and the exact bytes and failures of the calls they make.
// The value-level behaviour is in tests/interface/registry_test.cpp.
#include "shared/registry_strings.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_registry.h"

namespace vh {
namespace {

const char* const key_path = "Software\\Varnholde\\Test";

TEST(RegistryStrings, EveryOpenedKeyIsClosed) {
    FakeRegistry registry;
    registry.put_value(hkey_local_machine, key_path, "text", reg_sz, std::string("abc\0", 4));
    registry.put_value(hkey_local_machine, key_path, "number", reg_dword, "\x01\0\0\0");
    savestring(registry, hkey_local_machine, key_path, "new", "x");
    for (const char* name : {"text", "number", "missing"}) {
        getstring(registry, hkey_local_machine, key_path, name);
        EXPECT_EQ(registry.open_handles(), 0) << name;
    }
    getstring(registry, hkey_local_machine, "Software\\Nowhere", "text");
    EXPECT_EQ(registry.open_handles(), 0);
}

TEST(RegistryStrings, SaveStoresTextAndOneTerminatingZero) {
    FakeRegistry registry;
    savestring(registry, hkey_local_machine, key_path, "Varnholde", "C:\\Путь\\Varnholde.exe");
    const auto stored = registry.value(hkey_local_machine, key_path, "Varnholde");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, reg_sz);
    EXPECT_EQ(stored->bytes, std::string("C:\\Путь\\Varnholde.exe") + '\0');
}

TEST(RegistryStrings, FailingSecondQueryGivesEmptyText) {
    FakeRegistry registry;
    registry.put_value(hkey_local_machine, key_path, "text", reg_sz, std::string("abc\0", 4));
    registry.fail_operation(3);  // open, first query, second query
    EXPECT_EQ(getstring(registry, hkey_local_machine, key_path, "text"), "");
    EXPECT_EQ(registry.open_handles(), 0);
    EXPECT_EQ(getstring(registry, hkey_local_machine, key_path, "text"), "abc");
}

TEST(RegistryStrings, DataWithoutTerminatorIsReadWhole) {
    FakeRegistry registry;
    registry.put_value(hkey_local_machine, key_path, "text", reg_sz, "abc");
    EXPECT_EQ(getstring(registry, hkey_local_machine, key_path, "text"), "abc");
}

TEST(RegistryStrings, RefusedWriteLeavesRegistryAsItWas) {
    FakeRegistry registry;
    registry.put_value(hkey_local_machine, key_path, "kept", reg_sz, std::string("old\0", 4));
    registry.set_read_only(true);
    savestring(registry, hkey_local_machine, key_path, "kept", "new");
    savestring(registry, hkey_local_machine, "Software\\Varnholde\\Other", "v", "new");
    EXPECT_EQ(getstring(registry, hkey_local_machine, key_path, "kept"), "old");
    EXPECT_FALSE(registry.key_exists(hkey_local_machine, "Software\\Varnholde\\Other"));
    EXPECT_EQ(registry.open_handles(), 0);
}

TEST(RegistryStrings, FailedKeyCreationWritesNothing) {
    FakeRegistry registry;
    registry.fail_operation(1);
    savestring(registry, hkey_local_machine, key_path, "v", "text");
    EXPECT_FALSE(registry.value(hkey_local_machine, key_path, "v"));
}

}  // namespace
}  // namespace vh
