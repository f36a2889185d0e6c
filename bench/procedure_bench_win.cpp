#include "bench/procedure_bench_win.h"

#include <cstdio>

#include "platform/win32/win_file_system.h"
#include "platform/win32/win_registry.h"
#include "setup/install_views.h"
#include "uninstall/uninstall_views.h"

namespace vh::bench {

namespace {

// The self-deleting batch file is written but not started: starting it is
// one CreateProcess that the uninstaller does not wait for.
class NoStart : public ProcessStarter {
public:
    StartResult start(const std::string&, WindowShow, const std::string&) override {
        return StartResult::ok;
    }
};

struct Copied {
    const char* from;  // in the package
    std::string to;    // installed
};

std::vector<Copied> installed_files(const std::string& start_menu) {
    const std::string root = install_dir + "\\";
    std::vector<Copied> files = {
        {"Ivel.bmp", root + "KSR_Icon.ico"},
        {"Func.bin", root + "ReadMe.txt"},
        {"Pos_set_par.ksr", root + "us_param.par"},
        {"Principal._x_", root + "Varnholde.exe"},
        {"Principial_un._x_", root + "Uninstall.exe"},
        {"Datalnk\\Varnholde", start_menu + "\\Varnholde.lnk"},
        {"Datalnk\\ReadMe", start_menu + "\\ReadMe.lnk"},
        {"Datalnk\\Удаление Varnholde", start_menu + "\\Удаление Varnholde.lnk"},
    };
    static const char* const skins[] = {"Data\\data1.ksr", "Data\\data2.ksr", "Data\\data3.ksr",
                                        "Data\\data4.ksr", "Data\\data5.ksr", "Data\\data6.ksr"};
    for (int n = 0; n < 6; ++n)
        files.push_back({skins[n], root + "Skins\\skin_ " + std::to_string(n + 1) + ".jpg"});
    return files;
}

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// The same directories made and the same files copied as the installer does.
std::string copy_batch(const std::string& package, const std::string& start_menu) {
    std::string text = "@echo off\r\n";
    for (const char* dir : {"\\Skins", "\\Alliases\\Dirs", "\\Alliases\\Exe_files"})
        text += "mkdir " + quoted(install_dir + dir) + "\r\n";
    text += "mkdir " + quoted(start_menu) + "\r\n";
    for (const Copied& file : installed_files(start_menu))
        text += "copy /y " + quoted(package + "\\" + file.from) + " " + quoted(file.to) +
                " >nul\r\n";
    return text;
}

// The same files deleted and directories removed as the uninstaller does.
std::string delete_batch(const std::string& start_menu) {
    std::string text = "@echo off\r\n";
    for (const char* dir : {"\\Alliases\\Dirs", "\\Alliases\\Exe_files", "\\Skins"})
        text += "del /q " + quoted(install_dir + dir + "\\*") + "\r\nrmdir " +
                quoted(install_dir + dir) + "\r\n";
    text += "rmdir " + quoted(install_dir + "\\Alliases") + "\r\n";
    for (const char* file : {"Varnholde.exe", "KSR_Icon.ico", "ReadMe.txt", "us_param.par"})
        text += "del " + quoted(install_dir + "\\" + file) + "\r\n";
    text += "del /q " + quoted(start_menu + "\\*") + "\r\nrmdir " + quoted(start_menu) + "\r\n";
    return text;
}

void remove_installation(const std::string& start_menu) {
    e2e::remove_tree("C:\\Tessarimondale");
    e2e::remove_tree(start_menu);
}

}  // namespace

void measure_install_and_uninstall(Samples& samples, int runs) {
    const std::string package = e2e::bin_dir() + "\\package";
    const auto programs = e2e::registry_string(
        HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "Common Programs");
    if (!programs) {
        std::printf("install: no Start-menu folder in the registry\n");
        return;
    }
    const std::string start_menu = *programs + "\\Varnholde";
    const std::string batches = e2e::bin_dir() + "\\bench";
    const std::string copy_bat = batches + "\\bench_copy.bat";
    const std::string delete_bat = batches + "\\bench_delete.bat";
    const std::string empty_bat = batches + "\\bench_empty.bat";
    e2e::write_file(copy_bat, ansi_to_oem(copy_batch(package, start_menu)));
    e2e::write_file(delete_bat, ansi_to_oem(delete_batch(start_menu)));
    e2e::write_file(empty_bat, "@echo off\r\n");

    WinFileSystem fs;
    WinRegistry registry;
    NoStart no_start;
    const UninstallSystem system{fs, registry, no_start, install_dir, "Uninstall.exe",
                                 system_directory() + "\\cmd.exe"};
    remove_installation(start_menu);
    for (int run = -1; run < runs; ++run) {  // run -1 warms the caches
        SilentInstallerView installer;
        auto t0 = Clock::now();
        const InstallResult installed = run_installation(fs, registry, installer, package);
        const double install_ms = milliseconds_since(t0);
        SilentUninstallView uninstaller;
        t0 = Clock::now();
        const UninstallOutcome uninstalled = run_uninstall(system, uninstaller);
        const double uninstall_ms = milliseconds_since(t0);
        if (installed != InstallResult::installed || uninstalled != UninstallOutcome::completed)
            std::printf("install/uninstall procedure failed (%d, %d)\n",
                        static_cast<int>(installed), static_cast<int>(uninstalled));
        remove_installation(start_menu);

        t0 = Clock::now();
        run_batch(copy_bat);
        const double copy_ms = milliseconds_since(t0);
        const bool copied = e2e::file_exists(install_dir + "\\Skins\\skin_ 6.jpg");
        t0 = Clock::now();
        run_batch(delete_bat);
        const double delete_ms = milliseconds_since(t0);
        if (!copied || e2e::file_exists(install_dir + "\\Skins"))
            std::printf("the copy or delete batch did not do its work\n");
        remove_installation(start_menu);

        t0 = Clock::now();
        run_batch(empty_bat);
        const double empty_ms = milliseconds_since(t0);
        if (run < 0) continue;
        samples.add("install.procedure", "ms", install_ms);
        samples.add("uninstall.procedure", "ms", uninstall_ms);
        samples.add("install.cmd_copy", "ms", copy_ms);
        samples.add("uninstall.cmd_delete", "ms", delete_ms);
        samples.add("cmd.empty_batch", "ms", empty_ms);
    }
}

}  // namespace vh::bench
