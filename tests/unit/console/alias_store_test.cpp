#include <gtest/gtest.h>

#include "shared/product.h"

#include "console/alias_store.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"

namespace vh {
namespace {

const std::string exe_dir = std::string(product::program_alias_dir) + "\\";
const std::string dirs_dir = std::string(product::folder_alias_dir) + "\\";

std::string repeated(const std::string& text, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += text;
    return out;
}

class AliasStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs.put_directory(exe_dir);
        fs.put_directory(dirs_dir);
    }
    std::vector<std::string> started() const {
        std::vector<std::string> lines;
        for (const auto& s : starter.started) lines.push_back(s.command_line);
        return lines;
    }

    FakeFileSystem fs;
    FakeProcessStarter starter;
    AliasStore store{fs, starter};
};

TEST_F(AliasStoreTest, DefinitionWritesTheTargetAndALineEndUnderTheNameAsTyped) {
    EXPECT_EQ(store.define_program_alias("np notepad.exe C:\\notes.txt"), AliasStatus::done);
    EXPECT_EQ(fs.content(exe_dir + "np"), "notepad.exe C:\\notes.txt\r\n");
    EXPECT_EQ(store.define_folder_alias("w  C:\\My Work "), AliasStatus::done);
    EXPECT_EQ(fs.content(dirs_dir + "w"), " C:\\My Work \r\n");
    EXPECT_EQ(store.define_program_alias("e "), AliasStatus::done);
    EXPECT_EQ(fs.content(exe_dir + "e"), "\r\n");
    EXPECT_FALSE(fs.exists(dirs_dir + "np"));
}

// Alias files hold their line in Windows-1251 on every system; the name is
// the file's own name, as typed.
TEST_F(AliasStoreTest, RussianAliasesAreStoredInWindows1251AndRunAsTyped) {
    EXPECT_EQ(store.define_program_alias("док notepad.exe C:\\Документы\\план.txt"),
              AliasStatus::done);
    EXPECT_EQ(fs.content(exe_dir + "док"),
              "notepad.exe C:\\\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB\\\xEF\xEB\xE0\xED.txt\r\n");
    EXPECT_EQ(store.define_folder_alias("папка C:\\Папка"), AliasStatus::done);
    EXPECT_EQ(fs.content(dirs_dir + "папка"), "C:\\\xCF\xE0\xEF\xEA\xE0\r\n");
    // A file written by an earlier version, on a Russian Windows, works as it was.
    fs.put_file(exe_dir + "ёж", "\xB8\xE6.exe\r\n");
    EXPECT_EQ(store.run_program_alias("док").status, AliasStatus::done);
    EXPECT_EQ(store.run_folder_alias("папка", "C:\\WINDOWS").status, AliasStatus::done);
    EXPECT_EQ(store.run_program_alias("ёж").status, AliasStatus::done);
    EXPECT_EQ(started(), (std::vector<std::string>{"notepad.exe C:\\Документы\\план.txt",
                                                   "C:\\WINDOWS\\explorer.exe  C:\\Папка",
                                                   "ёж.exe"}));
    // What Windows-1251 cannot hold is refused, never stored with stand-ins.
    const auto before = fs.snapshot();
    for (const char* argument : {"Zoë calc.exe", "文件 calc.exe", "np C:\\文件\\a.exe",
                                 "np naïve.exe", "np \xF0\x9F\x98\x80"}) {
        EXPECT_EQ(store.define_program_alias(argument), AliasStatus::invalid_name) << argument;
        EXPECT_EQ(store.define_folder_alias(argument), AliasStatus::invalid_name) << argument;
    }
    EXPECT_EQ(fs.snapshot(), before);
}

TEST_F(AliasStoreTest, ALaterDefinitionReplacesTheTarget) {
    store.define_program_alias("np notepad.exe");
    EXPECT_EQ(store.define_program_alias("np write.exe"), AliasStatus::done);
    EXPECT_EQ(fs.content(exe_dir + "np"), "write.exe\r\n");
}

TEST_F(AliasStoreTest, EmptyArgumentWritesNothingAndANamelessOneIsRefused) {
    const auto before = fs.snapshot();
    EXPECT_EQ(store.define_program_alias(""), AliasStatus::nothing_matched);
    EXPECT_EQ(store.define_program_alias(" "), AliasStatus::invalid_name);
    EXPECT_EQ(store.define_program_alias("np"), AliasStatus::invalid_name);
    EXPECT_EQ(store.define_folder_alias(" np C:\\"), AliasStatus::invalid_name);
    EXPECT_EQ(fs.snapshot(), before);
}

TEST_F(AliasStoreTest, RunStartsTheTargetWithoutItsLastTwoCharacters) {
    fs.put_file(exe_dir + "np", "notepad.exe a b\r\n");
    fs.put_file(exe_dir + "raw", "calc.exe");  // edited by hand, no line end
    fs.put_file(dirs_dir + "w", "C:\\Work\r\n");
    EXPECT_EQ(store.run_program_alias("np").status, AliasStatus::done);
    EXPECT_EQ(store.run_program_alias("raw").status, AliasStatus::done);
    EXPECT_EQ(store.run_folder_alias("w", "C:\\WINDOWS").status, AliasStatus::done);
    EXPECT_EQ(started(), (std::vector<std::string>{"notepad.exe a b", "calc.e",
                                                   "C:\\WINDOWS\\explorer.exe  C:\\Work"}));
    for (const auto& s : starter.started) EXPECT_EQ(s.show, WindowShow::normal);
}

TEST_F(AliasStoreTest, RunLooksUpExactCaseSensitiveNamesOfVisibleFilesOnly) {
    fs.put_file(exe_dir + "np", "notepad.exe\r\n");
    fs.put_file(exe_dir + "secret", "x.exe\r\n", attr::hidden);
    fs.put_file(exe_dir + "sys", "y.exe\r\n", attr::system);
    fs.put_file(exe_dir + "ro", "ro.exe\r\n", attr::read_only);
    fs.put_directory(exe_dir + "sub");
    for (const char* line : {"NP", "np ", " np", "secret", "sys", "sub", "", "n"}) {
        const AliasRun run = store.run_program_alias(line);
        EXPECT_EQ(run.status, AliasStatus::nothing_matched) << line;
        EXPECT_FALSE(run.trap_armed) << line;
    }
    EXPECT_EQ(store.run_program_alias("ro").status, AliasStatus::done);
    EXPECT_EQ(started(), std::vector<std::string>{"ro.exe"});
}

// The file system finds "NP" for the file "np"; only the stored name counts.
TEST_F(AliasStoreTest, LookupByFileNameKeepsCaseHiddenSystemAndDirectoryRules) {
    fs.put_file(exe_dir + "np", "notepad.exe\r\n");
    fs.put_file(exe_dir + "Calc", "calc.exe\r\n");
    fs.put_file(exe_dir + "проги", "progs.exe\r\n");
    fs.put_file(exe_dir + "secret", "x.exe\r\n", attr::hidden | attr::read_only);
    fs.put_file(exe_dir + "sys", "y.exe\r\n", attr::system);
    fs.put_directory(exe_dir + "sub");
    for (const char* name : {"NP", "Np", "calc", "CALC", "ПРОГИ", "Проги", "secret", "sys", "sub"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(store.run_program_alias(name).status, AliasStatus::nothing_matched);
        EXPECT_EQ(store.delete_program_alias(name), AliasStatus::nothing_matched);
    }
    for (const char* kept : {"np", "Calc", "проги", "secret", "sys"})
        EXPECT_TRUE(fs.exists(exe_dir + kept)) << kept;
    EXPECT_TRUE(fs.is_directory(exe_dir + "sub"));
    EXPECT_TRUE(starter.started.empty());
    EXPECT_EQ(store.run_program_alias("Calc").status, AliasStatus::done);
    EXPECT_EQ(store.run_program_alias("проги").status, AliasStatus::done);
    EXPECT_EQ(started(), (std::vector<std::string>{"calc.exe", "progs.exe"}));
}

// Every entered line is looked up as an alias, so the lookup must not list
// the directory, whose size would otherwise set the cost of every command.
class ListingCounter : public FakeFileSystem {
public:
    FsError list_files(const std::string& dir, std::vector<std::string>& names) override {
        ++listings;
        return FakeFileSystem::list_files(dir, names);
    }
    int listings = 0;
};

TEST(AliasLookup, RunAndDeleteFindTheFileByNameWithoutListing) {
    ListingCounter fs;
    FakeProcessStarter starter;
    AliasStore store(fs, starter);
    for (int i = 0; i < 1000; ++i) fs.put_file(exe_dir + "a" + std::to_string(i), "x.exe\r\n");
    fs.put_directory(dirs_dir);
    EXPECT_EQ(store.run_program_alias("unknown").status, AliasStatus::nothing_matched);
    EXPECT_EQ(store.run_folder_alias("unknown", "C:\\WINDOWS").status,
              AliasStatus::nothing_matched);
    EXPECT_EQ(store.run_program_alias("a500").status, AliasStatus::done);
    EXPECT_EQ(store.run_program_alias("A500").status, AliasStatus::nothing_matched);
    EXPECT_EQ(store.delete_program_alias("a999"), AliasStatus::done);
    EXPECT_FALSE(fs.exists(exe_dir + "a999"));
    EXPECT_EQ(fs.listings, 0);
    EXPECT_EQ(starter.started.size(), 1u);
}

// A line that cannot be a file name matches nothing and its text is never
// handed to the file system, but a missing directory is told all the same.
TEST_F(AliasStoreTest, UnusableLinesMatchNothingYetAMissingDirectoryIsStillTold) {
    AliasStore lost(fs, starter, "C:\\nowhere\\Exe_files\\", "C:\\nowhere\\Dirs");
    for (const char* line : {"", "allias np C:\\x.exe", "x*", "..\\np", "CON", "np "}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(store.run_program_alias(line).status, AliasStatus::nothing_matched);
        EXPECT_EQ(store.run_folder_alias(line, "C:\\WINDOWS").status,
                  AliasStatus::nothing_matched);
        const AliasRun run = lost.run_program_alias(line);
        EXPECT_EQ(run.status, AliasStatus::file_not_found);
        EXPECT_FALSE(run.trap_armed);
    }
    // The directory path naming a file is no directory either.
    fs.put_file("C:\\plain", "");
    AliasStore misplaced(fs, starter, "C:\\plain", dirs_dir);
    EXPECT_EQ(misplaced.run_program_alias("x*").status, AliasStatus::file_not_found);
    EXPECT_EQ(misplaced.run_program_alias("np").status, AliasStatus::file_not_found);
    EXPECT_TRUE(starter.started.empty());
}

TEST_F(AliasStoreTest, FailuresAfterTheAliasIsFoundArmTheTrap) {
    fs.put_file(exe_dir + "gone", "missing.exe\r\n");
    fs.put_file(exe_dir + "short", "a");
    fs.put_file(exe_dir + "empty", "");
    fs.put_file(exe_dir + "refused", "refused.exe\r\n");
    fs.put_file(dirs_dir + "w", "C:\\Work\r\n");
    starter.decide = [](const std::string& line) {
        if (line == "missing.exe") return StartResult::file_not_found;
        if (line == "refused.exe") return StartResult::failed;
        return StartResult::ok;
    };
    struct Case {
        const char* line;
        AliasStatus status;
    } cases[] = {{"gone", AliasStatus::file_not_found},
                 {"short", AliasStatus::failed},
                 {"empty", AliasStatus::failed},
                 {"refused", AliasStatus::failed}};
    for (const Case& c : cases) {
        const AliasRun run = store.run_program_alias(c.line);
        EXPECT_EQ(run.status, c.status) << c.line;
        EXPECT_TRUE(run.trap_armed) << c.line;
    }
    // The file vanishing between listing and reading counts as missing.
    fs.put_file(exe_dir + "racy", "x\r\n");
    fs.fail_operation(2, FsError::file_not_found);
    EXPECT_EQ(store.run_program_alias("racy").status, AliasStatus::file_not_found);

    starter.decide = [](const std::string&) { return StartResult::file_not_found; };
    const AliasRun folder = store.run_folder_alias("w", "C:\\WINDOWS");
    EXPECT_EQ(folder.status, AliasStatus::file_not_found);  // no Explorer
    EXPECT_TRUE(folder.trap_armed);
}

TEST_F(AliasStoreTest, MissingDirectoriesAreReportedAsMissingFilesAndNeverCreated) {
    AliasStore lost(fs, starter, "C:\\nowhere\\Exe_files\\", "C:\\nowhere\\Dirs");
    EXPECT_EQ(lost.define_program_alias("np notepad.exe"), AliasStatus::file_not_found);
    EXPECT_EQ(lost.define_folder_alias("w C:\\"), AliasStatus::file_not_found);
    const AliasRun run = lost.run_program_alias("np");
    EXPECT_EQ(run.status, AliasStatus::file_not_found);
    EXPECT_FALSE(run.trap_armed);
    EXPECT_EQ(lost.run_folder_alias("w", "C:\\WINDOWS").status, AliasStatus::file_not_found);
    EXPECT_EQ(lost.delete_program_alias("np"), AliasStatus::file_not_found);
    EXPECT_EQ(lost.delete_folder_alias("w"), AliasStatus::file_not_found);
    EXPECT_EQ(lost.delete_all(), AliasStatus::file_not_found);
    EXPECT_FALSE(fs.exists("C:\\nowhere"));
    EXPECT_TRUE(starter.started.empty());
}

TEST_F(AliasStoreTest, DeleteRemovesOnlyTheExactNameInItsOwnDirectory) {
    fs.put_file(exe_dir + "np", "notepad.exe\r\n");
    fs.put_file(dirs_dir + "np", "C:\\\r\n");
    EXPECT_EQ(store.delete_program_alias("NP"), AliasStatus::nothing_matched);
    EXPECT_EQ(store.delete_program_alias("zz"), AliasStatus::nothing_matched);
    EXPECT_TRUE(fs.exists(exe_dir + "np"));
    EXPECT_EQ(store.delete_program_alias("np"), AliasStatus::done);
    EXPECT_FALSE(fs.exists(exe_dir + "np"));
    EXPECT_TRUE(fs.exists(dirs_dir + "np"));
    EXPECT_EQ(store.delete_folder_alias("np"), AliasStatus::done);
    EXPECT_FALSE(fs.exists(dirs_dir + "np"));
}

TEST_F(AliasStoreTest, RefusedDeletionsAndReplacementsFailWithoutHarm) {
    fs.put_file(exe_dir + "ro", "a\r\n", attr::read_only);
    fs.put_file(exe_dir + "hid", "b\r\n", attr::hidden);
    fs.put_file(exe_dir + "busy", "c\r\n");
    fs.set_in_use(exe_dir + "busy", true);
    EXPECT_EQ(store.delete_program_alias("ro"), AliasStatus::others_alias);
    EXPECT_EQ(store.delete_program_alias("hid"), AliasStatus::nothing_matched);  // not listed
    EXPECT_EQ(store.delete_program_alias("busy"), AliasStatus::failed);
    EXPECT_EQ(store.define_program_alias("ro x"), AliasStatus::others_alias);
    EXPECT_EQ(store.define_program_alias("hid x"), AliasStatus::failed);
    EXPECT_EQ(fs.content(exe_dir + "ro"), "a\r\n");
    EXPECT_EQ(fs.content(exe_dir + "hid"), "b\r\n");
    EXPECT_EQ(fs.content(exe_dir + "busy"), "c\r\n");
}

TEST_F(AliasStoreTest, DeleteAllEmptiesBothDirectoriesPastFilesItCannotDelete) {
    for (const char* name : {"a", "b", "c"}) {
        fs.put_file(exe_dir + name, "x\r\n");
        fs.put_file(dirs_dir + name, "y\r\n");
    }
    fs.put_file(exe_dir + "b", "x\r\n", attr::read_only);
    fs.put_file(dirs_dir + "hid", "h\r\n", attr::hidden);
    fs.put_directory(dirs_dir + "sub");
    EXPECT_EQ(store.delete_all(), AliasStatus::others_alias);
    std::vector<std::string> names;
    ASSERT_EQ(fs.list_files(exe_dir, names), FsError::ok);
    EXPECT_EQ(names, std::vector<std::string>{"b"});
    ASSERT_EQ(fs.list_files(dirs_dir, names), FsError::ok);
    EXPECT_TRUE(names.empty());
    // Hidden files and subdirectories are not aliases: they stay, as does
    // each directory itself.
    EXPECT_TRUE(fs.exists(dirs_dir + "hid"));
    EXPECT_TRUE(fs.is_directory(dirs_dir + "sub"));

    fs.set_attributes(exe_dir + "b", attr::archive);
    EXPECT_EQ(store.delete_all(), AliasStatus::done);
    EXPECT_TRUE(fs.is_directory(exe_dir));
}

TEST_F(AliasStoreTest, DeleteAllGoesOnToFolderAliasesWhenProgramDirectoryIsMissing) {
    AliasStore half(fs, starter, "C:\\nowhere\\", dirs_dir);
    fs.put_file(dirs_dir + "w", "C:\\\r\n");
    EXPECT_EQ(half.delete_all(), AliasStatus::file_not_found);
    EXPECT_FALSE(fs.exists(dirs_dir + "w"));
}

// Every kind of name that could reach another file, a device or a name
// Windows would silently change; each is refused before the file system is
// asked anything. (More hostile names: tests/interface.)
TEST_F(AliasStoreTest, UnusableNamesAreRefusedWithoutTouchingTheFileSystem) {
    fs.put_file(exe_dir + "x", "keep\r\n");
    fs.put_file("C:\\Tessarimondale\\Varnholde\\Alliases\\x", "keep\r\n");
    const std::string refused[] = {
        "..\\x", "..\\..\\x", "C:\\x", "\\x", "a/b", "x:y", "x*", "x?", "x\"", "x<", "x>", "x|",
        "x\x01", "x\t", std::string("x\0y", 3), "x\x7f", ".", "..", "x.", "x..", "CON", "con",
        "PRN", "AUX", "NUL", "COM1", "com9", "LPT1", "lpt9", "lpt1.txt", "CON.x.y", "CONIN$",
        std::string(256, 'n'), repeated("я", 256), "x\xFF", "x\xED\xA0\x80",
        std::string(259 - dirs_dir.size() + 1, 'n'),  // fits a name, not the path
    };
    const auto before = fs.snapshot();
    const int operations = fs.operations_done();
    for (const std::string& name : refused) {
        SCOPED_TRACE("name: " + name);
        EXPECT_EQ(store.define_program_alias(name + " evil.exe"), AliasStatus::invalid_name);
        EXPECT_EQ(store.define_folder_alias(name + " C:\\"), AliasStatus::invalid_name);
        EXPECT_EQ(store.delete_program_alias(name), AliasStatus::invalid_name);
        EXPECT_EQ(store.delete_folder_alias(name), AliasStatus::invalid_name);
    }
    // Blanks only reach names through deletion.
    for (const char* name : {"", "x ", "x. ", "NUL .txt"})
        EXPECT_EQ(store.delete_program_alias(name), AliasStatus::invalid_name) << name;
    EXPECT_EQ(fs.operations_done(), operations);
    EXPECT_EQ(fs.snapshot(), before);
}

TEST_F(AliasStoreTest, NamesLikeDevicesOrLongOnesAreUsableUpToTheLimits) {
    // Lengths count characters, as Windows does, not bytes.
    const std::string longest(259 - exe_dir.size(), 'n');
    const std::string longest_russian = repeated("я", 259 - exe_dir.size());
    for (const std::string& name : {std::string("CONSOLE"), std::string("COM10"),
                                    std::string("LPT0"), std::string("xCON"), std::string(".np"),
                                    std::string("np.exe"), longest, longest_russian}) {
        EXPECT_EQ(store.define_program_alias(name + " calc.exe"), AliasStatus::done) << name;
        EXPECT_EQ(store.run_program_alias(name).status, AliasStatus::done) << name;
        EXPECT_EQ(store.delete_program_alias(name), AliasStatus::done) << name;
    }
    EXPECT_EQ(starter.started.size(), 8u);
}

}  // namespace
}  // namespace vh
