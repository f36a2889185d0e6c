#include <gtest/gtest.h>

#include "console/autostart.h"
#include "platform/fake/fake_registry.h"
#include "shared/product.h"

namespace vh {
namespace {

// Every start points the Run value at the installed console, whatever it
// named before, and a registry that refuses the write changes nothing.
TEST(RegisterRun, PointsTheRunValueAtTheInstalledConsoleOrLeavesItAlone) {
    FakeRegistry registry;
    registry.put_value(hkey_local_machine, product::run_key, product::run_value_name, reg_sz,
                       std::string("D:\\elsewhere\\Varnholde.exe\0", 27));
    register_run(registry, hkey_local_machine, product::run_key, product::run_value_name,
                 product::console_program);
    const auto value = registry.value(hkey_local_machine, product::run_key, product::run_value_name);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, reg_sz);
    EXPECT_EQ(value->bytes, std::string("C:\\Tessarimondale\\Varnholde\\Varnholde.exe") + '\0');

    FakeRegistry refusing;
    refusing.set_read_only(true);
    register_run(refusing, hkey_local_machine, product::run_key, product::run_value_name,
                 product::console_program);
    EXPECT_FALSE(refusing.value(hkey_local_machine, product::run_key, product::run_value_name));
    EXPECT_EQ(registry.open_handles() + refusing.open_handles(), 0);
}

}  // namespace
}  // namespace vh
