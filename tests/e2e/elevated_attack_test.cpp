// What a standard user can do to the elevated Setup and uninstaller before
// or between their runs, on the names he may make or change: a link where
// the tree or an alias folder should be, a folder inside an alias folder,
// a hard link where the log is to go. None of them may make the elevated
// program write, re-right or delete anything outside the tree. The programs
// run silent, as a deployment tool runs them, and are judged by their exit
// code, their log and what they left on disk.
#include "tests/e2e/install_fixture.h"

#include <sddl.h>

#include <cstdint>
#include <cstdio>
#include <map>

#include "tests/e2e/directory_link.h"

namespace vh::e2e {
namespace {

// The user's own folder, where his links lead: its files must stay as
// they are, and so must its rights.
const std::string elsewhere = "C:\\vh_elsewhere";
const std::string log_dir = "C:\\vh_logs";
const std::string setup_log = log_dir + "\\установка.log";
const std::string run_log = log_dir + "\\запуск.log";
const std::string aliases = product::dir + "\\Alliases";
const std::string uninstaller = product::dir + "\\Uninstall.exe";

// The owner and access rules of a file or folder, as text.
std::string rights_of(const std::string& path) {
    const SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    const std::wstring wide = to_utf16(path);
    DWORD needed = 0;
    GetFileSecurityW(wide.c_str(), parts, nullptr, 0, &needed);
    std::vector<BYTE> descriptor(needed);
    LPWSTR text = nullptr;
    if (needed == 0 ||
        !GetFileSecurityW(wide.c_str(), parts, descriptor.data(), needed, &needed) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                              parts, &text, nullptr))
        return "?";
    const std::string result = to_utf8(text);
    LocalFree(text);
    return result;
}

// A file's bytes, short enough to read in a failure's message: their
// number and an FNV-1a hash of them.
std::string digest_of(const std::string& path) {
    const std::optional<std::string> bytes = read_file(path);
    if (!bytes) return "unreadable";
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : *bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char text[48];
    std::snprintf(text, sizeof text, "%zu bytes %016llx", bytes->size(),
                  static_cast<unsigned long long>(hash));
    return text;
}

// A folder and everything below it: each entry's attributes and rights,
// each file's bytes.
void collect(const std::string& path, std::map<std::string, std::string>& out) {
    const auto facts = [](const std::string& entry) {
        return "attributes " + std::to_string(GetFileAttributesW(to_utf16(entry).c_str())) +
               ", " + rights_of(entry);
    };
    out[path + "\\"] = facts(path);
    for (const std::string& name : files_in(path))
        out[path + "\\" + name] = facts(path + "\\" + name) + ", " + digest_of(path + "\\" + name);
    for (const std::string& name : folders_in(path)) collect(path + "\\" + name, out);
}

std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> all;
    collect(folder, all);
    return all;
}

std::optional<DWORD> run(const std::string& program, const std::string& switches) {
    Program started = Program::run("\"" + program + "\" " + switches, product::package_copy);
    if (!started.wait_exit(120s)) return std::nullopt;
    return started.exit_code();
}

std::string log_switch(const std::string& path) {
    return "\"/LOG=" + path + "\"";
}

// A run's exit code and the failure its log names, if any.
struct Outcome {
    std::optional<DWORD> code;
    std::string failure;
};

Outcome run_logged(const std::string& program, const std::string& switches) {
    DeleteFileW(to_utf16(run_log).c_str());
    Outcome outcome{run(program, switches + " " + log_switch(run_log)), {}};
    const std::string log = read_file(run_log).value_or("");
    const size_t failure = log.find("ОШИБКА: ");
    if (failure != std::string::npos)
        outcome.failure = log.substr(failure, log.find('\r', failure) - failure);
    return outcome;
}

// Which of the outcomes allowed a run took, for the reader of the test log.
void report(const std::string& what, const Outcome& outcome) {
    std::printf("[ outcome  ] %s: exit %ld %s\n", what.c_str(),
                outcome.code ? static_cast<long>(*outcome.code) : -1L, outcome.failure.c_str());
}

class ElevatedAttack : public InstallTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallTest::SetUp());
        ASSERT_NO_FATAL_FAILURE(make_users_folder());
        remove_tree(log_dir);
        make_dirs(log_dir);
    }
    void TearDown() override {
        // Links first: the fixture's removal by name would empty their targets.
        remove_links();
        InstallTest::TearDown();
        end_processes_named(L"cmd.exe");
        remove_tree(elsewhere);
        remove_tree(log_dir);
    }

    // The folder as it was before any run: a file in it, another below.
    static void make_users_folder() {
        remove_tree(elsewhere);
        make_dirs(elsewhere + "\\архив");
        ASSERT_TRUE(write_file(elsewhere + "\\письмо.txt", "the user's letter"));
        ASSERT_TRUE(write_file(elsewhere + "\\архив\\отчёт.doc", "a report"));
    }

    static void remove_links() {
        for (const char* folder : {"\\Dirs", "\\Exe_files"})
            remove_directory_link(aliases + folder);
        remove_directory_link(product::parent_dir);
    }

    // Setup.exe /S from the package copy; the exit code.
    static std::optional<DWORD> setup(const std::string& log) {
        return run(product::package_copy + "\\Setup.exe", "/S " + log_switch(log));
    }
    static Outcome setup() { return run_logged(product::package_copy + "\\Setup.exe", "/S"); }

    // Uninstall.exe /S; once it has finished, its batch is let delete it.
    static Outcome uninstall() {
        const Outcome outcome = run_logged(uninstaller, "/S");
        if (outcome.code == 0u) wait_until([] { return !file_exists(uninstaller); }, 20s);
        end_processes_named(L"cmd.exe");
        return outcome;
    }

    // A fresh installation, as the attacks below find it.
    static void install_afresh() {
        remove_links();
        remove_tree(product::parent_dir);
        const Outcome installed = setup();
        ASSERT_EQ(installed.code, 0u) << "the installation before the attack failed: "
                                      << installed.failure;
    }
};

TEST_F(ElevatedAttack, SetupRefusesARootFolderMadeALinkAndChangesNothingThroughIt) {
    ASSERT_TRUE(make_directory_link(product::parent_dir, elsewhere));
    const auto before = snapshot(elsewhere);

    EXPECT_EQ(setup(setup_log), 2u);
    EXPECT_EQ(snapshot(elsewhere), before);
    EXPECT_TRUE(is_directory_link(product::parent_dir)) << "the user's link was changed";
    EXPECT_FALSE(file_exists(start_menu_folder()));
    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, product::run_key, product::run_value),
              std::nullopt);

    const std::string log = read_file(setup_log).value_or("");
    EXPECT_NE(log.find("  ОШИБКА: Установка прервана: " + product::parent_dir + " "),
              std::string::npos)
        << "the log does not name the folder:\n" << log;
    EXPECT_NE(log.find("  Код завершения: 2\r\n"), std::string::npos) << log;
    // Kept beside the screenshots, to be quoted as it stands.
    copy_file(setup_log, shots_dir() + "\\refused_link_install.log");
}

// Every user may empty an alias folder and make it a link to a folder of
// someone else's. Windows removes a junction through a handle opened as
// the junction: the uninstall then finishes (0) and a repair makes the
// folder again (0). Wine's stand-in is a Unix symbolic link, and the same
// removal acts on the folder it leads to, which is not empty: Wine refuses
// it, and the program stops where that link is (3). Either way, nothing in
// that folder is deleted, written or re-righted.
TEST_F(ElevatedAttack, AnAliasFolderMadeALinkLeavesItsTargetAsItIs) {
    struct Case {
        const char* alias_folder;
        bool uninstall;  // or else a repair: Setup run again
    };
    for (const Case& c : {Case{"\\Dirs", true}, Case{"\\Dirs", false},
                          Case{"\\Exe_files", true}, Case{"\\Exe_files", false}}) {
        const std::string link = aliases + c.alias_folder;
        SCOPED_TRACE(link + (c.uninstall ? ", uninstall" : ", repair"));
        ASSERT_NO_FATAL_FAILURE(install_afresh());
        ASSERT_NO_FATAL_FAILURE(make_users_folder());
        remove_tree(link);
        ASSERT_TRUE(make_directory_link(link, elsewhere));
        const auto before = snapshot(elsewhere);

        const Outcome run = c.uninstall ? uninstall() : setup();
        report(link + (c.uninstall ? ", uninstall" : ", repair"), run);
        EXPECT_EQ(snapshot(elsewhere), before);
        if (run.code != 0u && run.code != 3u) {
            ADD_FAILURE() << "exit code " << run.code.value_or(~0u) << ": " << run.failure;
            continue;
        }
        // Rights are not kept under Wine: what shows that a repair gave
        // none through the link is the link gone when it succeeded.
        if (run.code == 0u) {
            EXPECT_FALSE(is_directory_link(link)) << "the link stayed, yet the run succeeded";
        } else {
            EXPECT_TRUE(is_directory_link(link)) << "the link went, yet the run stopped";
        }
    }
}

// A user's subfolder, files in it, in a folder that every user may write:
// the uninstall removes it with the rest, or refuses before it deletes
// anything; never does it stop half-way with the aliases gone.
TEST_F(ElevatedAttack, ASubfolderInAnAliasFolderIsRemovedOrRefusedBeforeAnyDeletion) {
    struct Case {
        const char* folder;  // below the alias folders
        const char* file;
        bool read_only;
    };
    for (const Case& c : {Case{"\\Dirs\\проект", "заметка.txt", false},
                          Case{"\\Exe_files\\a\\b", "c.cmd", false},
                          Case{"\\Dirs\\x", "только чтение.txt", true}}) {
        const std::string folder = aliases + c.folder, file = folder + "\\" + c.file;
        SCOPED_TRACE(file);
        ASSERT_NO_FATAL_FAILURE(install_afresh());
        ASSERT_TRUE(write_file(aliases + "\\Dirs\\w", "C:\\Work\r\n"));
        make_dirs(folder);
        ASSERT_TRUE(write_file(file, "the user's"));
        if (c.read_only) {
            ASSERT_TRUE(SetFileAttributesW(to_utf16(file).c_str(), FILE_ATTRIBUTE_READONLY));
        }
        const auto before = snapshot(product::parent_dir);

        const Outcome run = uninstall();
        report(file + ", uninstall", run);
        if (run.code != 0u && run.code != 2u) {
            ADD_FAILURE() << "exit code " << run.code.value_or(~0u) << ": " << run.failure;
            continue;
        }
        if (run.code == 0u) {
            EXPECT_FALSE(file_exists(aliases));
            EXPECT_FALSE(file_exists(product::console_exe));
        } else {
            EXPECT_EQ(snapshot(product::parent_dir), before);
        }
    }
}

// The log asked for lies where users may create files: a hard link made
// there beforehand leads to a file of someone else's, a folder stands
// where the file is to be. The installation goes on; the log is not
// written, and the exit code says so.
TEST_F(ElevatedAttack, ALogPathAtAHardLinkOrAFolderIsNotWrittenAndTheExitCodeSaysSo) {
    const std::string victim = elsewhere + "\\письмо.txt";
    struct Case {
        const char* what;
        std::function<bool()> plant;
    };
    const Case cases[] = {
        {"a hard link to another file",
         [&] {
             return CreateHardLinkW(to_utf16(setup_log).c_str(), to_utf16(victim).c_str(),
                                    nullptr) != FALSE;
         }},
        {"a folder",
         [] { return CreateDirectoryW(to_utf16(setup_log).c_str(), nullptr) != FALSE; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(make_users_folder());
        remove_tree(log_dir);
        make_dirs(log_dir);
        ASSERT_TRUE(c.plant());
        const auto before = snapshot(elsewhere), planted = snapshot(log_dir);

        EXPECT_EQ(setup(setup_log), 5u);
        EXPECT_TRUE(file_exists(product::console_exe)) << "the installation did not go on";
        EXPECT_EQ(snapshot(elsewhere), before);
        EXPECT_EQ(snapshot(log_dir), planted);
    }
}

}  // namespace
}  // namespace vh::e2e
