#include "console/settings_check.h"

#include "console/settings.h"

namespace vh {

namespace {

// A window that takes every setting and shows nothing.
class DiscardingView : public ConsoleView {
public:
    std::string input_text() override { return {}; }
    void set_input_text(const std::string&) override {}
    std::string history_line(int) override { return {}; }
    void set_history_line(int, const std::string&) override {}
    bool visible() override { return false; }
    void set_visible(bool) override {}
    void show_about() override {}
    void set_text_color(const TextColor&) override {}
    LoadResult load_skin(const std::string&) override { return LoadResult::ok; }
    void set_timer_interval(int) override {}
    void unload_and_exit() override {}
};

}  // namespace

SettingsFileState check_settings_file(FileSystem& fs, const std::string& path) {
    // The reader tells a missing file only when its folder is there.
    std::uint32_t attributes = 0;
    const FsError there = fs.get_attributes(path, attributes);
    if (there == FsError::file_not_found || there == FsError::path_not_found)
        return SettingsFileState::missing;
    DiscardingView view;
    Settings settings;
    switch (load_settings(fs, view, settings, path)) {
    case SettingsOutcome::applied:
    case SettingsOutcome::skin_missing:
    case SettingsOutcome::skin_unusable: return SettingsFileState::valid;
    case SettingsOutcome::no_file: return SettingsFileState::missing;
    case SettingsOutcome::unreadable: return SettingsFileState::unreadable;
    case SettingsOutcome::wrong_length:
    case SettingsOutcome::bad_interval: break;
    }
    return SettingsFileState::invalid;
}

}  // namespace vh
