// Build-time tool, run on the build host: writes one shortcut file.
//   make_lnk <output file> <target path> <working directory>
#include <cstdio>
#include <fstream>

#include "packaging/lnk_writer.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_lnk <output> <target> <working directory>\n");
        return 2;
    }
    const std::string bytes = vh::shell_link_bytes(argv[2], argv[3]);
    if (bytes.empty()) {
        std::fprintf(stderr, "make_lnk: target and working directory must be ASCII paths\n");
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_lnk: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
