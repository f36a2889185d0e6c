// The 32-bit console on 64-bit Windows (WOW64), where Windows shows a
// 32-bit program its own System32 folder (SysWOW64) and its own view of
// HKEY_LOCAL_MACHINE\Software (Wow6432Node). Skipped where these tests do
// not run under WOW64: 32-bit Windows, or the 64-bit build.
#include "platform/win32/wow64_redirection.h"
#include "tests/e2e/console_fixture.h"

namespace vh::e2e {
namespace {

std::string windows_dir() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    return to_utf8(std::wstring(buffer, n < MAX_PATH ? n : 0));
}

class Wow64Console : public ConsoleTest {
protected:
    void SetUp() override {
        if (!under_wow64()) GTEST_SKIP() << "not a 32-bit program on 64-bit Windows";
        ConsoleTest::SetUp();
    }
    void TearDown() override {
        ConsoleTest::TearDown();
        const Wow64RedirectionOff off;
        DeleteFileW(to_utf16(probe).c_str());
        DeleteFileW(to_utf16(probe_output).c_str());
    }

    const std::string probe = windows_dir() + "\\System32\\vh_wow64_probe.exe";
    const std::string probe_output = "C:\\vh_wow64_probe.txt";
};

// A program that exists only as a 64-bit one in System32 (as many of
// Windows' own do): an alias naming it there must start it, as typing the
// same line into a 64-bit program would.
TEST_F(Wow64Console, AProgramAliasNamingA64BitOnlySystem32ProgramStartsIt) {
    {
        const Wow64RedirectionOff off;
        ASSERT_TRUE(off.active());
        ASSERT_TRUE(copy_file(bin_dir() + "\\tests\\wow64_probe64.exe", probe));
    }
    ASSERT_FALSE(file_exists(probe)) << "System32 is not redirected for 32-bit programs here";
    start_console();
    enter("allias p64 " + probe + " " + probe_output);
    enter("p64");
    EXPECT_EQ(history(0), "p64");
    EXPECT_TRUE(wait_until([&] { return read_file(probe_output) == "64"; }, 15s))
        << "the 64-bit program did not run; it wrote: "
        << read_file(probe_output).value_or("<nothing>");
}

// The Run value goes where every 32-bit program's HKEY_LOCAL_MACHINE\Software
// writes go on 64-bit Windows: the 32-bit view, kept under Wow6432Node, whose
// Run key Windows also starts at log-on. The installer writes the same value
// there (Wow64Lifecycle), so that the two never make two entries.
TEST_F(Wow64Console, TheRunValueIsWrittenInThe32BitViewOfTheRegistry) {
    delete_registry_value(HKEY_LOCAL_MACHINE, run_key, "Varnholde", KEY_WOW64_64KEY);
    delete_registry_value(HKEY_LOCAL_MACHINE, run_key, "Varnholde", KEY_WOW64_32KEY);
    start_console();
    const std::string console_exe = install_dir + "\\Varnholde.exe";
    EXPECT_TRUE(wait_until([&] {
        return registry_string(HKEY_LOCAL_MACHINE, run_key, "Varnholde", KEY_WOW64_32KEY) ==
               console_exe;
    }));
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE,
                              "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                              "Varnholde", KEY_WOW64_64KEY),
              console_exe);
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, run_key, "Varnholde", KEY_WOW64_64KEY),
              std::nullopt);
}

}  // namespace
}  // namespace vh::e2e
