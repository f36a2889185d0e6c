// The switches of Setup.exe and Uninstall.exe, as Windows hands the
// arguments over; and the log that records them.
#include "shared/command_line.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_file_system.h"
#include "shared/step_log.h"

namespace vh {
namespace {

struct Case {
    std::vector<std::string> arguments;
    bool silent;
    std::optional<std::string> log;
    const char* refusal;  // a part of the refusal; nullptr: accepted
};

TEST(Switches, EachCommandLineIsReadOrRefusedAsAdministratorsWriteIt) {
    const Case cases[] = {
        {{}, false, std::nullopt, nullptr},
        {{"/S"}, true, std::nullopt, nullptr},
        {{"/s"}, true, std::nullopt, nullptr},
        {{"/Silent"}, true, std::nullopt, nullptr},
        {{"/VERYSILENT", "/S"}, true, std::nullopt, nullptr},
        {{"/verysilent", "/log=C:\\l.txt"}, true, "C:\\l.txt", nullptr},
        // The splitter has removed the quotes; a path keeps its case and blanks.
        {{"/LOG=C:\\Журналы установки\\Setup Log.txt"}, false,
         "C:\\Журналы установки\\Setup Log.txt", nullptr},
        // Handed over with its quotes still on.
        {{"/LOG=\"C:\\a b\\x.log\"", "/S"}, true, "C:\\a b\\x.log", nullptr},
        {{"/Log=x.log", "/LOG=x.log"}, false, "x.log", nullptr},
        {{"/LOG=a.log", "/LOG=b.log"}, false, "a.log", "дважды"},
        {{"/LOG="}, false, std::nullopt, "без пути"},
        {{"/LOG"}, false, std::nullopt, "/LOG"},
        {{"/LOG=\"\""}, false, std::nullopt, "без пути"},
        {{"/Q"}, false, std::nullopt, "Неизвестный ключ командной строки: /Q"},
        {{"-S"}, false, std::nullopt, "-S"},
        {{"/SS"}, false, std::nullopt, "/SS"},
        {{"/S "}, false, std::nullopt, "/S "},
        {{"/SUPPRESSMSGBOXES", "/S"}, true, std::nullopt, "/SUPPRESSMSGBOXES"},
        {{"C:\\Varnholde"}, false, std::nullopt, "C:\\Varnholde"},
        // A refusal does not hide the log it must be written to.
        {{"/X", "/LOG=C:\\l.txt"}, false, "C:\\l.txt", "/X"},
        {{"/X", "/Y"}, false, std::nullopt, "/X ("},
    };
    for (const Case& c : cases) {
        const std::string line = command_line_text("Setup.exe", c.arguments);
        const Switches s = parse_switches(c.arguments);
        EXPECT_EQ(s.silent, c.silent) << line;
        EXPECT_EQ(s.log_path, c.log) << line;
        if (c.refusal)
            EXPECT_NE(s.refused.find(c.refusal), std::string::npos) << line << ": " << s.refused;
        else
            EXPECT_EQ(s.refused, "") << line;
    }
    EXPECT_EQ(command_line_text("Setup.exe", {"/S", "/LOG=C:\\a b\\x.log"}),
              "Setup.exe /S \"/LOG=C:\\a b\\x.log\"");
}

const std::string bom = "\xEF\xBB\xBF";
const std::string log_path = "C:\\Журналы\\setup.log";

TEST(StepLog, OneTimedLineEachInUtf8AfterOneByteOrderMark) {
    FakeFileSystem fs;
    fs.put_directory("C:\\Журналы\\");
    int tick = 0;
    StepLog log(fs, log_path, [&] { return "T" + std::to_string(++tick); });
    log.step("Создание папки: C:\\Tessarimondale");
    log.step("Создание папки: C:\\Tessarimondale");  // shown again, one step
    log.step("");
    log.failure("Не удалось скопировать\r\nфайл", 5);
    log.step("Создание папки: C:\\Tessarimondale");  // after a failure: a new step
    log.failure("Пакет неполон", 0);
    log.line("Код завершения: 3");
    EXPECT_TRUE(log.written());
    EXPECT_EQ(fs.content(log_path),
              bom +
                  "T1  Создание папки: C:\\Tessarimondale\r\n"
                  "T2  ОШИБКА: Не удалось скопировать  файл [код ошибки Windows 5]\r\n"
                  "T3  Создание папки: C:\\Tessarimondale\r\n"
                  "T4  ОШИБКА: Пакет неполон\r\n"
                  "T5  Код завершения: 3\r\n");
}

TEST(StepLog, ALogThatCannotBeWrittenLosesNoLineOnceItCan) {
    FakeFileSystem fs;
    StepLog log(fs, log_path, [] { return "T"; });
    log.line("первая");  // the folder is missing
    EXPECT_FALSE(log.written());
    EXPECT_FALSE(fs.exists(log_path));
    fs.put_directory("C:\\Журналы\\");
    fs.fail_operation(1, FsError::sharing_violation);
    log.line("вторая");
    EXPECT_FALSE(log.written());
    log.line("третья");
    EXPECT_TRUE(log.written());
    EXPECT_EQ(fs.content(log_path), bom + "T  первая\r\nT  вторая\r\nT  третья\r\n");
}

}  // namespace
}  // namespace vh
