#include "tests/e2e/console_fixture.h"

#include <algorithm>
#include <thread>

namespace vh::e2e {

void ConsoleTest::SetUp() {
    remove_tree("C:\\Tessarimondale");
    make_dirs(install_dir + "\\Skins");
    make_dirs(install_dir + "\\Alliases\\Exe_files");
    make_dirs(install_dir + "\\Alliases\\Dirs");
    ASSERT_TRUE(copy_file(bin_dir() + "\\console\\Varnholde.exe", install_dir + "\\Varnholde.exe"));
    ASSERT_TRUE(copy_file(assets_dir() + "\\skins\\skin1.jpg", skin1_path));
    delete_registry_value(HKEY_LOCAL_MACHINE, run_key, "Varnholde");
}

void ConsoleTest::TearDown() {
    console.kill();
}

void ConsoleTest::start_console() {
    console = Program::start(install_dir + "\\Varnholde.exe");
    band = wait_for_window(console.id(), [](HWND w) {
        return class_of(w) == "VarnholdeConsole" && visible(w);
    });
    ASSERT_NE(band, nullptr) << "the console band did not appear";
    const auto edits = children(band, "Edit");
    ASSERT_EQ(edits.size(), 1u);
    input = edits[0];
}

void ConsoleTest::enter(const std::string& line) {
    bring_to_front(band);
    type_text(line);
    press_key(VK_RETURN);
    // The line has been taken when the input line is empty again.
    wait_until([&] { return text_of(input).empty(); }, 3s);
    std::this_thread::sleep_for(100ms);
}

std::array<HWND, 6> ConsoleTest::history_labels() const {
    auto labels = children(band, "Static");
    std::sort(labels.begin(), labels.end(), [](HWND a, HWND b) {
        return screen_rect(a).top > screen_rect(b).top;
    });
    std::array<HWND, 6> result{};
    for (size_t i = 0; i < result.size() && i < labels.size(); ++i) result[i] = labels[i];
    return result;
}

void ConsoleTest::shot(const std::string& name) const {
    screenshot(name);
}

}  // namespace vh::e2e
