// The command interpreter over the Windows-like file system: any sequence of
// typed lines, with or without Tab held, never crashes and never creates,
// changes or deletes anything but the alias files directly inside the two
// alias directories. The settings file is written only at unload.
//
// Input: one byte of choices (how skin pictures load, which programs start),
// then the typed lines, one per line feed. A line that begins with byte 1 is
// typed with Tab held (the byte itself is not typed).
#include "console/command_interpreter.h"
#include "console/settings.h"
#include "fuzz/fuzz_support.h"
#include "shared/product.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"
#include "tests/unit/console/fake_console_view.h"

namespace vh {
namespace {

using Snapshot = std::map<std::string, std::string>;

const std::string exe_dir = std::string(product::program_alias_dir) + "\\";
const std::string dirs_dir = std::string(product::folder_alias_dir) + "\\";

bool directly_inside(const std::string& path, const std::string& dir) {
    return path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
           path.find('\\', dir.size()) == std::string::npos;
}

// Everything the commands must leave alone: all but the alias files.
Snapshot outside_aliases(const Snapshot& all) {
    Snapshot out;
    for (const auto& entry : all)
        if (!directly_inside(entry.first, exe_dir) && !directly_inside(entry.first, dirs_dir))
            out.insert(entry);
    return out;
}

// An installed console with a few aliases, one read-only and one hidden, a
// subdirectory inside an alias directory, and files around the directories
// that no command may reach.
void install(FakeFileSystem& fs) {
    fs.put_file(exe_dir + "np", "notepad.exe\r\n");
    fs.put_file(exe_dir + "close", "calc.exe\r\n");
    fs.put_file(exe_dir + "short", "x");
    fs.put_file(exe_dir + "locked", "locked.exe\r\n", attr::read_only);
    fs.put_file(exe_dir + "secret", "hidden.exe\r\n", attr::hidden);
    fs.put_file(exe_dir + "sub\\inner", "inner\r\n");
    fs.put_file(dirs_dir + "w", "C:\\Work\r\n");
    fs.put_file(dirs_dir + "np", "C:\\Notes\r\n");
    fs.put_file("C:\\Tessarimondale\\Varnholde\\Alliases\\beside", "beside");
    fs.put_file("C:\\Tessarimondale\\Varnholde\\Varnholde.exe", "console");
    fs.put_file("C:\\Tessarimondale\\Varnholde\\Skins\\skin_ 1.jpg", "jpeg");
    fs.put_file(product::settings_file,
                std::string(product::skin_path_prefix) + " 1.jpg 1   200\r\n");
    fs.put_file("C:\\Windows\\notepad.exe", "program");
    fs.put_file("C:\\Users\\doc.txt", "document");
    fs.put_directory("C:\\Work");
}

}  // namespace
}  // namespace vh

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vh;
    fuzz::Bytes bytes(data, size);
    const std::uint8_t choices = bytes.byte();
    const std::string input = bytes.rest();

    FakeFileSystem fs;
    install(fs);
    FakeProcessStarter starter;
    starter.decide = [choices](const std::string& command_line) {
        if (choices & 0x04) return StartResult::ok;
        return command_line.find("missing") != std::string::npos ? StartResult::file_not_found
                                                                 : StartResult::ok;
    };
    FakeKeyState keys;
    FakeSessionControl session;
    testing::FakeConsoleView view;
    view.skin_result = static_cast<LoadResult>(choices % 3);
    ConsoleState state;
    state.win_dir = "C:\\Windows";
    AliasStore aliases(fs, starter);
    CommandInterpreter interpreter(state, view, aliases, starter, keys, session);

    const Snapshot before = fs.snapshot();
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        std::string line = input.substr(start, end - start);
        start = end + 1;
        const bool tab = !line.empty() && line[0] == '\x01';
        if (tab) {
            line.erase(0, 1);
            keys.down.insert(vk::tab);
        } else {
            keys.down.clear();
        }
        view.input = line;
        interpreter.key_press(tab ? tab_key : 'a');
        interpreter.key_press(enter_key);
        FUZZ_CHECK(outside_aliases(fs.snapshot()) == outside_aliases(before));
        if (!view.journal.empty() && view.journal.back() == "unload") break;
        FUZZ_CHECK(view.input.empty());
        FUZZ_CHECK(state.history_pos == 0);
    }

    // Unload: the settings file is the one thing written outside.
    FUZZ_CHECK(save_settings(fs, state.settings) == FsError::ok);
    Snapshot expected = outside_aliases(before);
    expected[product::settings_file] = "32:" + format_settings(state.settings);
    FUZZ_CHECK(outside_aliases(fs.snapshot()) == expected);
    return 0;
}
