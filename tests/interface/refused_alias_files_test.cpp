// Alias files the file system refuses to change or delete, as other users'
// aliases are: modelled with read-only files, which Windows refuses in the
// same way. Run against the fake natively and against the real file system
// under Wine: the console's lines say so, the refused files keep their
// targets, and what may go goes.
#include <map>

#include "console/alias_store.h"
#include "console/command_interpreter.h"
#include "platform/fake/fake_system.h"
#include "tests/interface/fixture.h"
#include "tests/unit/console/fake_console_view.h"

namespace vh::testing {
namespace {

class RefusedAliasFiles : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        for (const char* dir : {"a", "b"}) ASSERT_EQ(fs.create_directory(path(dir)), FsError::ok);
        put("a\\np", "notepad.exe\r\n", true);
        put("a\\mine", "calc.exe\r\n", false);
        put("b\\w", "C:\\\r\n", true);
        put("b\\v", "D:\\\r\n", false);
        state.win_dir = "C:\\WINDOWS";
    }

    void put(const std::string& relative, const std::string& content, bool refused) {
        ASSERT_EQ(fs.write_file(path(relative), content), FsError::ok);
        if (refused) {
            ASSERT_EQ(fs.set_attributes(path(relative), attr::read_only), FsError::ok);
        }
    }

    std::map<std::string, std::string> aliases_in(const std::string& dir) {
        std::vector<std::string> names;
        fs.list_files(path(dir), names);
        std::map<std::string, std::string> out;
        for (const std::string& name : names) fs.read_file(path(dir + "\\" + name), out[name]);
        return out;
    }

    std::string type(const std::string& line) {
        view.input = line;
        interpreter.key_press(enter_key);
        return view.history[0];
    }

    FakeProcessStarter starter;
    FakeKeyState keys;
    FakeSessionControl session;
    FakeConsoleView view;
    ConsoleState state;
    AliasStore store{fs, starter, path("a"), path("b")};
    CommandInterpreter interpreter{state, view, store, starter, keys, session};
};

TEST_F(RefusedAliasFiles, TheLinesSaySoAndOnlyWhatMayGoGoes) {
    const std::string O = others_alias_status;
    for (const char* line : {"allias np evil.exe", "allias NP evil.exe", "dir_allias w E:\\",
                             "del_allias np", "del_dirallias w"})
        EXPECT_EQ(type(line), line + O);
    // One's own aliases are still redefined and deleted, with no message.
    EXPECT_EQ(type("allias mine other.exe"), "allias mine other.exe");
    EXPECT_EQ(type("del_dirallias v"), "del_dirallias v");
    using Aliases = std::map<std::string, std::string>;
    EXPECT_EQ(aliases_in("a"), (Aliases{{"mine", "other.exe\r\n"}, {"np", "notepad.exe\r\n"}}));
    EXPECT_EQ(aliases_in("b"), (Aliases{{"w", "C:\\\r\n"}}));

    put("b\\v", "D:\\\r\n", false);
    EXPECT_EQ(type("del_all"), "del_all" + O);
    EXPECT_EQ(aliases_in("a"), (Aliases{{"np", "notepad.exe\r\n"}}));
    EXPECT_EQ(aliases_in("b"), (Aliases{{"w", "C:\\\r\n"}}));
    // Running a refused alias is not refused.
    EXPECT_EQ(type("np"), "np");
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].command_line, "notepad.exe");
}

}  // namespace
}  // namespace vh::testing
