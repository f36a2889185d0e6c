// A DLL planted beside the programs: a web page drops rstrtmgr.dll and its
// kind into Downloads, where the user unzips the package and runs Setup.exe
// elevated. None of the four is among the KnownDLLs, so Windows looks for
// them in the program's folder first; Wine does the same for names given
// "n,b" in WINEDLLOVERRIDES. Each planted DLL writes a marker when loaded.
#include <cstdlib>

#include "tests/e2e/install_fixture.h"

namespace vh::e2e {
namespace {

const char* const planted[] = {"rstrtmgr.dll", "userenv.dll", "wtsapi32.dll", "version.dll"};
const std::string download_dir = "C:\\vh_download";

// WINEDLLOVERRIDES for the programs this test starts: the four names from
// the program's folder first, as Windows looks for them; restored after.
class PlantedDllSearch {
public:
    PlantedDllSearch() {
        const char* now = std::getenv("WINEDLLOVERRIDES");
        saved_ = now ? now : "";
        const std::string order = "rstrtmgr,userenv,wtsapi32,version=n,b";
        set(saved_.empty() ? order : saved_ + ";" + order);
    }
    ~PlantedDllSearch() { set(saved_); }

private:
    static void set(const std::string& value) {
        SetEnvironmentVariableW(L"WINEDLLOVERRIDES", to_utf16(value).c_str());
    }
    std::string saved_;
};

// Plants the four DLLs in a folder; false when one is not built.
bool plant_in(const std::string& folder) {
    for (const char* dll : planted)
        if (!copy_file(bin_dir() + "\\tests\\planted\\" + dll, folder + "\\" + dll)) return false;
    return true;
}

// The planted DLLs of a folder that a process loaded.
std::vector<std::string> loaded_from(const std::string& folder) {
    std::vector<std::string> loaded;
    for (const char* dll : planted)
        if (file_exists(folder + "\\" + dll + ".loaded")) loaded.push_back(dll);
    return loaded;
}

class PlantedDll : public InstallTest {
protected:
    void TearDown() override {
        InstallTest::TearDown();
        remove_tree(download_dir);
    }
};

TEST_F(PlantedDll, SetupFromADownloadFolderAndTheInstalledConsoleLoadNoneOfThem) {
    remove_tree(download_dir);
    copy_tree(bin_dir() + "\\package", download_dir);
    ASSERT_TRUE(plant_in(download_dir)) << "the planted DLLs are not built";
    const PlantedDllSearch search;

    Program setup_run = Program::run("\"" + download_dir + "\\Setup.exe\" /S", download_dir);
    ASSERT_TRUE(setup_run.wait_exit(120s)) << "Setup did not end";
    EXPECT_EQ(setup_run.exit_code(), 0u);
    EXPECT_TRUE(file_exists(product::console_exe));
    EXPECT_EQ(loaded_from(download_dir), std::vector<std::string>{})
        << "Setup loaded a DLL planted beside it";

    // The console loads the version DLL for its About box.
    ASSERT_TRUE(plant_in(product::dir));
    ASSERT_NO_FATAL_FAILURE(start_console());
    enter("about");
    HWND about = nullptr;
    EXPECT_TRUE(wait_until([&] {
        for (HWND w : top_windows(console.id(), "#32770"))
            if (visible(w)) about = w;
        return about != nullptr;
    })) << "no About box";
    if (about) {
        EXPECT_NE(child_with_text(about, "Version 1.3.0"), nullptr)
            << "the version was not read through the system's version DLL";
    }
    EXPECT_EQ(loaded_from(product::dir), std::vector<std::string>{})
        << "the console loaded a DLL planted beside it";
}

}  // namespace
}  // namespace vh::e2e
