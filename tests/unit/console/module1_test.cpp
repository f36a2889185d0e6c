#include <gtest/gtest.h>

#include "console/module1.h"
#include "platform/fake/fake_registry.h"

namespace vh {
namespace {

TEST(RegisterRun, WritesTheRunValueWithItsTerminatingZeroAndReplacesAnOldOne) {
    FakeRegistry registry;
    registry.put_value(hkey_local_machine, run_key_path, run_value_name, reg_sz,
                       std::string("D:\\elsewhere\\Varnholde.exe\0", 27));
    register_run(registry, hkey_local_machine, run_key_path, run_value_name,
                 console_program_path);
    const auto value = registry.value(hkey_local_machine, run_key_path, run_value_name);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, reg_sz);
    EXPECT_EQ(value->bytes, std::string("C:\\Tessarimondale\\Varnholde\\Varnholde.exe") + '\0');
    EXPECT_EQ(registry.open_handles(), 0);
}

TEST(RegisterRun, ARefusedWriteIsIgnoredAndLeavesNoHandleOpen) {
    FakeRegistry registry;
    registry.set_read_only(true);
    register_run(registry, hkey_local_machine, run_key_path, run_value_name,
                 console_program_path);
    EXPECT_FALSE(registry.value(hkey_local_machine, run_key_path, run_value_name));
    EXPECT_EQ(registry.open_handles(), 0);
}

}  // namespace
}  // namespace vh
