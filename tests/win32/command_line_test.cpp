// The switches as Windows splits a command line that an administrator or a
// deployment tool writes, quotes and Cyrillic paths included.
#include <gtest/gtest.h>

#include "platform/win32/win_command_line.h"
#include "platform/win32/wide.h"
#include "shared/command_line.h"

namespace vh {
namespace {

TEST(CommandLine, QuotedLogPathsAndProgramPathsSplitAsWindowsDoes) {
    struct Case {
        std::wstring line;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {L"", {}},
        {L"Setup.exe", {}},
        {L"\"C:\\Program Files\\Setup.exe\" /s", {"/s"}},
        {L"\"C:\\Tessarimondale\\Varnholde\\Uninstall.exe\" /S", {"/S"}},
        {L"Setup.exe  /VERYSILENT\t/LOG=\"C:\\Журналы установки\\setup.log\"",
         {"/VERYSILENT", "/LOG=C:\\Журналы установки\\setup.log"}},
        {L"Setup.exe \"/LOG=C:\\a b\\x.log\" /S", {"/LOG=C:\\a b\\x.log", "/S"}},
        {L"Setup.exe /LOG=C:\\a\\ /S", {"/LOG=C:\\a\\", "/S"}},
        {L"Setup.exe /LOG=", {"/LOG="}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(command_line_arguments(c.line), c.arguments) << to_utf8(c.line);

    const Switches s =
        parse_switches(command_line_arguments(L"Setup.exe /Silent /LOG=\"C:\\Мои логи\\s.log\""));
    EXPECT_TRUE(s.silent);
    EXPECT_EQ(s.log_path, "C:\\Мои логи\\s.log");
    EXPECT_EQ(s.refused, "");
}

}  // namespace
}  // namespace vh
