// Build-time tool, run on the build host: writes the package's three
// Start-menu shortcuts, under their names without extension, each leading
// to its file in the installation directory and started there.
//   make_lnk <Datalnk folder>
#include <cstdio>
#include <fstream>
#include <string>

#include "packaging/lnk_writer.h"
#include "shared/product.h"

namespace {

bool write_shortcut(const std::string& file, const std::string& target) {
    const std::string bytes = vh::shell_link_bytes(target, vh::product::install_dir);
    if (bytes.empty()) {
        std::fprintf(stderr, "make_lnk: %s: the paths must be ASCII\n", target.c_str());
        return false;
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) std::fprintf(stderr, "make_lnk: cannot write %s\n", file.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_lnk <Datalnk folder>\n");
        return 2;
    }
    using namespace vh::product;
    // The shortcuts in the order of shortcut_names: the console, the read-me,
    // the uninstaller.
    const std::string targets[] = {console_program, readme_file,
                                   std::string(install_dir) + "\\" + uninstaller_name};
    bool written = true;
    for (int i = 0; i < 3; ++i)
        written = write_shortcut(std::string(argv[1]) + "/" + shortcut_names[i], targets[i]) &&
                  written;
    return written ? 0 : 1;
}
