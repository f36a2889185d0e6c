// A machine ready for the installer, for tests that play people against it:
// the package in a download folder, the Start menu's folder and the
// registry value that names it; and a view that keeps the last text shown.
#pragma once

#include <string>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "setup/install_views.h"
#include "shared/product.h"
#include "shared/registry_strings.h"

namespace vh::testing {

inline const std::string download_package = "D:\\Downloads\\Varnholde";
inline const std::string common_programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

struct PackageMachine {
    FakeFileSystem fs;
    FakeRegistry registry;

    PackageMachine() {
        fs.add_drive('D');
        for (const char* name : {"Ivel.bmp", "Func.bin", "Pos_set_par.ksr", "Principal._x_",
                                 "Principial_un._x_", "Datalnk\\Varnholde", "Datalnk\\ReadMe",
                                 "Datalnk\\Удаление Varnholde"})
            fs.put_file(download_package + "\\" + name, std::string("new ") + name);
        for (char n = '1'; n <= '6'; ++n)
            fs.put_file(download_package + "\\Data\\data" + n + ".ksr", "jpeg");
        fs.put_directory(common_programs + "\\");
        registry.put_value(hkey_local_machine, product::shell_folders_key, "Common Programs",
                           reg_sz, common_programs + '\0');
    }
};

// The text the installer showed last: its status line, a failure or the
// error window's message.
class LastTextView : public SilentInstallerView {
public:
    void set_status_text(const std::string& text) override { status = text; }
    void show_error_dialog(const std::string& message) override { status = message; }
    void show_failure(const std::string& message, std::uint32_t) override { status = message; }
    std::string status;
};

}  // namespace vh::testing
