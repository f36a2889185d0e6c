#include "setup/install_procedure.h"

#include <cstdint>
#include <vector>

#include "console/settings_check.h"
#include "shared/console_close.h"
#include "shared/product.h"
#include "shared/registry_strings.h"
#include "shared/start_menu.h"
#include "shared/uninstall_entry.h"
#include "setup/installed_tree.h"
#include "setup/tree_rights.h"

namespace vh {

namespace {

constexpr const char* checking_text = "   Проверка целостности пакета установки.";
constexpr const char* few_files_suffix = " файла из 14 файлов";
constexpr const char* skins_suffix = " файлов из 10 файлов";
constexpr const char* folder_prefix = "Создание папки: ";
constexpr const char* copying_text = "Копирование ";
constexpr const char* copying_prefix = "Копирование :";
constexpr const char* aborted = "). Установка прервана.";
// The stream in which Windows marks a file as downloaded from the internet.
constexpr const char* download_mark_stream = "Zone.Identifier";

// The five files in the package folder itself, with their installed places.
struct PackageFile {
    const char* source;
    std::string destination;
};
const PackageFile program_files[] = {
    {"Ivel.bmp", product::icon_file},
    {"Func.bin", product::readme_file},
    {"Pos_set_par.ksr", product::settings_file},
    {"Principal._x_", product::console_program},
    {"Principial_un._x_", std::string(product::install_dir) + "\\" + product::uninstaller_name},
};
class Installation {
public:
    Installation(FileSystem& fs, Registry& registry, InstallerView& view, std::string package,
                 ShellFolders* shell, ConsoleReach consoles)
        : fs_(fs), registry_(registry), view_(view), package_(std::move(package)), shell_(shell),
          consoles_(consoles), tree_(fs) {}

    InstallResult run() {
        view_.set_next_visible(false);
        view_.set_exit_visible(false);
        view_.set_status_text(checking_text);
        // Every pass runs, so that the counts of all three are shown.
        bool complete = check(first_pass());
        complete = check(second_pass()) && complete;
        complete = check(third_pass()) && complete;
        if (!complete) return InstallResult::broken_package;
        if (install()) return InstallResult::installed;
        return writing_ ? InstallResult::failed : InstallResult::refused;
    }

private:
    std::vector<std::string> list(const std::string& dir) {
        std::vector<std::string> names;
        if (fs_.list_files(dir, names) != FsError::ok) names.clear();
        return names;
    }

    void show_count(long count, const char* suffix) {
        view_.set_count_text(count_text(count, suffix));
    }

    // The five files that the copies below read.
    bool first_pass() {
        std::int16_t counter = 0;
        for (const std::string& name : list(package_))
            for (const PackageFile& file : program_files)
                if (name == file.source) show_count(++counter, few_files_suffix);
        return counter >= 5;
    }

    // The unbroken run data1.ksr, data2.ksr, ... in name order.
    bool second_pass() {
        std::int16_t counter = 1;
        for (const std::string& name : list(package_ + "\\Data")) {
            const std::string digits = std::to_string(counter);
            if (name == "data" + digits.substr(digits.size() - 1) + ".ksr")
                show_count(++counter + 3, skins_suffix);
        }
        return counter >= 7;
    }

    bool third_pass() {
        std::int16_t counter = 11;
        for (const std::string& name : list(package_ + "\\Datalnk"))
            for (const char* shortcut : product::shortcut_names)
                if (name == shortcut) show_count(++counter, few_files_suffix);
        return counter >= 14;
    }

    bool check(bool passed) {
        if (!passed) {
            view_.beep();
            view_.set_main_enabled(false);
            view_.show_error_dialog(broken_package_message);
        }
        return passed;
    }

    // Nothing is written until the console of this session has ended and
    // every file to be replaced is known to be replaceable: a refusal then
    // leaves the earlier installation whole, and its console runs again.
    bool install() {
        view_.set_progress(progress_ = 0);
        view_.set_count_visible(false);
        view_.set_status_font_size(8);
        if (!close_console()) return false;
        start_menu_ = common_programs_folder(registry_, shell_) + product::start_menu_folder;
        if (!open_tree()) {
            restart_console();
            return false;
        }
        keep_settings_ = settings_worth_keeping();
        if (!check_destinations()) {
            restart_console();
            return false;
        }
        writing_ = true;
        if (!make_tree_folders()) return false;
        if (!make_start_menu_folder()) return false;
        view_.set_progress_visible(true);
        if (!copy_skins() || !copy_program_files() || !copy_shortcuts()) return false;
        if (!secure(tree_file_rights())) return false;
        std::uint64_t bytes = 0;
        if (!measure(bytes)) return false;
        if (!finish(size_in_kb(bytes))) return false;
        restart_console();
        return true;
    }

    // A running console holds its program file, and its unload writes the
    // settings: every console, in whatever session, ends the normal way
    // before anything is looked at. One that does not end stops the
    // installation; those that did run again. A console of another session
    // into which this program has no way to start it again is not closed:
    // it stops the installation while every console still runs.
    bool close_console() {
        const ConsoleClose closed = close_consoles(
            consoles_, installed_tree_files(),
            [this](const std::string& text) { view_.set_status_text(text); }, closed_);
        if (closed == ConsoleClose::none_running || closed == ConsoleClose::closed) return true;
        const std::string why = closed == ConsoleClose::not_startable
                                    ? console_not_startable_text(closed_.not_startable)
                                    : console_not_closed_text;
        fail("Установка прервана: " + why + " и запустите установку снова.", 0);
        restart_console();
        return false;
    }

    // The files of the tree that a console may hold: its program, and the
    // rest of what the package puts there.
    static std::vector<std::string> installed_tree_files() {
        std::vector<std::string> files;
        for (const PackageFile& file : program_files) files.push_back(file.destination);
        for (char n = '1'; n <= '6'; ++n) files.push_back(skin_destination(n));
        return files;
    }

    // The user's settings stay when the console reads them; a file that
    // could not be read is not written over either, as the console itself
    // never writes over settings it could not read.
    bool settings_worth_keeping() {
        if (!tree_.sound(product::settings_file)) return false;
        const SettingsFileState state = check_settings_file(fs_, product::settings_file);
        return state == SettingsFileState::valid || state == SettingsFileState::unreadable;
    }

    // Started as its own user, not as a child of this elevated program;
    // one that fails to start comes back at its user's next log-on.
    void restart_console() {
        restart_consoles(consoles_, closed_, product::console_program, product::install_dir,
                         [this](const std::string& text) { view_.note(text); });
    }

    struct Copy {
        std::string source;  // relative to the package folder
        std::string destination;
    };

    // Every copy the installation makes, in the order they are made.
    std::vector<Copy> planned_copies() const {
        std::vector<Copy> copies;
        for (char n = '1'; n <= '6'; ++n) copies.push_back({skin_source(n), skin_destination(n)});
        for (const PackageFile& file : program_files)
            if (!kept(file)) copies.push_back({file.source, file.destination});
        for (const char* name : product::shortcut_names)
            copies.push_back({"Datalnk\\" + std::string(name), shortcut_destination(name)});
        return copies;
    }

    bool check_destinations() {
        if (!check_package_folders()) return false;
        for (const Copy& copy : planned_copies()) {
            // The package's folder is often one users can write: a source
            // that is a link is never followed.
            std::uint32_t attributes = 0;
            if (FsError e = fs_.get_attributes(package_ + "\\" + copy.source, attributes);
                e != FsError::ok || (attributes & attr::reparse_point))
                return fail_copy(package_ + "\\" + copy.source, copy.destination,
                                 e == FsError::ok ? FsError::link : e);
            const FsError e = fs_.check_replaceable(copy.destination);
            if (e == FsError::ok || e == FsError::file_not_found || e == FsError::path_not_found)
                continue;
            if (e == FsError::access_denied && tree_.only_read_only(copy.destination)) continue;
            return fail_copy(copy.source, copy.destination, e);
        }
        return true;
    }

    // "Data" and "Datalnk" of the package, where a user may have put a link
    // to a folder only administrators may read.
    bool check_package_folders() {
        for (const char* folder : {"Data", "Datalnk"}) {
            std::uint32_t attributes = 0;
            const std::string path = package_ + "\\" + folder;
            const FsError e = fs_.get_attributes(path, attributes);
            if (e != FsError::ok)
                return fail("Установка прервана: не удалось открыть папку пакета " + path + " (" +
                                failure_reason(e) + ").",
                            fs_.windows_error(e));
            if (attributes & attr::reparse_point)
                return fail("Установка прервана: папка пакета " + path +
                                " — не папка, а ссылка на другое место. Скопируйте пакет заново "
                                "и запустите установку снова.",
                            windows_error_code(FsError::link));
        }
        return true;
    }

    bool kept(const PackageFile& file) const {
        return keep_settings_ && file.destination == product::settings_file;
    }
    static std::string skin_source(char n) { return "Data\\data" + std::string(1, n) + ".ksr"; }
    static std::string skin_destination(char n) {
        return product::skin_path_prefix + std::string(" ") + n + ".jpg";
    }
    std::string shortcut_destination(const char* name) const {
        return start_menu_ + "\\" + name + product::shortcut_extension;
    }

    void step() { view_.set_progress(progress_ = progress_step(progress_)); }

    bool fail(const std::string& message, std::uint32_t windows_error) {
        view_.beep();
        view_.set_progress_visible(false);
        view_.show_failure(message, windows_error);
        view_.set_exit_visible(true);
        return false;
    }

    // Every level of the tree that exists is held, and must be a folder of
    // the administrators'; none is a link but an alias folder's, which goes.
    bool open_tree() {
        const TreeFault fault = tree_.open();
        if (!fault) return true;
        return fail(tree_fault_text(fault), fs_.windows_error(fault.error));
    }

    bool make_tree_folders() {
        InstalledTree::Failure failed;
        const FsError e = tree_.make_folders(
            [this](const std::string& path) { view_.set_status_text(folder_prefix + path); },
            [this] { step(); }, failed);
        if (e == FsError::ok) return true;
        if (!failed.file) return fail_folder(failed.path, e);
        return fail("Не удалось установить права доступа к " + failed.path + " (" +
                        failure_reason(e) + aborted,
                    fs_.windows_error(e));
    }

    // An existing folder is an earlier installation's: its files are replaced.
    // The registry names the Programs folder, or else the shell does.
    bool make_start_menu_folder() {
        view_.set_status_text(folder_prefix + start_menu_);
        const FsError e = fs_.create_directory(start_menu_);
        if (e != FsError::ok && e != FsError::already_exists) return fail_folder(start_menu_, e);
        step();
        return true;
    }

    bool fail_folder(const std::string& path, FsError e) {
        return fail("Не удалось создать папку " + path + " (" + failure_reason(e) + aborted,
                    fs_.windows_error(e));
    }

    // Copies package_\source_name to destination; false after reporting.
    // The copy takes the package's streams along, and with them the mark of
    // a downloaded file: Windows would warn at every start of the installed
    // programs. It is deleted from the copy; the package keeps it.
    bool copy(const std::string& source_name, const std::string& destination) {
        FsError e = tree_.clear_destination(destination);
        if (e == FsError::ok) e = fs_.copy_file(package_ + "\\" + source_name, destination);
        // A package copied from a CD or marked by an unzipper is read-only,
        // and the copy with it: it could be neither unmarked nor deleted.
        if (e == FsError::ok) e = fs_.set_attributes(destination, attr::archive);
        if (e == FsError::ok) e = fs_.delete_stream(destination, download_mark_stream);
        if (e == FsError::ok) return true;
        return fail_copy(source_name, destination, e);
    }

    // A console program held after ours has ended is another user's console.
    bool fail_copy(const std::string& source_name, const std::string& destination, FsError e) {
        const std::string why =
            e == FsError::sharing_violation && destination == product::console_program
                ? console_of_other_user_text
                : failure_reason(e);
        return fail("Не удалось скопировать " + source_name + " в " + destination + " (" + why +
                        aborted,
                    fs_.windows_error(e));
    }

    bool copy_skins() {
        view_.set_status_text(copying_text);
        for (char n = '1'; n <= '6'; ++n) {
            const std::string destination = skin_destination(n);
            if (!copy(skin_source(n), destination)) return false;
            view_.set_status_text(copying_prefix + destination);
        }
        step();
        return true;
    }

    bool copy_program_files() {
        for (const PackageFile& file : program_files) {
            if (kept(file)) continue;
            view_.set_status_text(copying_prefix + file.destination);
            if (!copy(file.source, file.destination)) return false;
            step();
        }
        return true;
    }

    bool copy_shortcuts() {
        for (const char* name : product::shortcut_names) {
            const std::string destination = shortcut_destination(name);
            view_.set_status_text(copying_prefix + destination);
            if (!copy("Datalnk\\" + std::string(name), destination)) return false;
            step();
        }
        return true;
    }

    // Each folder and file of the tree gets its owner and rights, an
    // existing one (a repair or an upgrade) as much as a new one, so that
    // no user can change the programs that others run.
    bool secure(const std::vector<PathRights>& entries) {
        for (const PathRights& entry : entries)
            if (FsError e = fs_.set_rights(entry.path, entry.rights); e != FsError::ok)
                return fail("Не удалось установить права доступа к " + entry.path + " (" +
                                failure_reason(e) + aborted,
                            fs_.windows_error(e));
        return true;
    }

    // What the tree's files take on disk, for the Apps & features entry.
    bool measure(std::uint64_t& bytes) {
        bytes = 0;
        for (const PathRights& file : tree_file_rights()) {
            std::uint64_t size = 0;
            if (FsError e = fs_.file_size(file.path, size); e != FsError::ok)
                return fail("Не удалось определить размер файла " + file.path + " (" +
                                failure_reason(e) + aborted,
                            fs_.windows_error(e));
            bytes += size;
        }
        return true;
    }

    bool register_uninstall_entry(std::uint32_t size_kb) {
        const long status = write_uninstall_entry(registry_, size_kb);
        if (status == reg_ok) return true;
        // The registry's status is Windows' error code.
        return fail(std::string("Не удалось записать в реестр раздел HKEY_LOCAL_MACHINE\\") +
                        product::uninstall_key + " (" + registry_reason(status) + aborted,
                    static_cast<std::uint32_t>(status));
    }

    static std::string registry_reason(long status) {
        if (status == reg_access_denied) return "доступ запрещён";
        return "ошибка реестра " + std::to_string(status);
    }

    bool finish(std::uint32_t size_kb) {
        view_.set_progress(progress_ = 100);
        using namespace product;
        savestring(registry_, hkey_local_machine, run_key, run_value_name, console_program);
        // The helper reports nothing: read the value back to know it is there.
        if (getstring(registry_, hkey_local_machine, run_key, run_value_name) != console_program)
            return fail(std::string("Не удалось записать в реестр параметр автозапуска ") +
                        run_value_name + " (доступ запрещён или раздел недоступен" + aborted,
                        0);
        if (!register_uninstall_entry(size_kb)) return false;
        view_.set_progress_visible(false);
        view_.set_status_font_size(12);
        view_.set_status_text(success_text);
        view_.set_exit_caption("Выход!");
        view_.set_exit_visible(true);
        view_.set_exit_width(5600);
        return true;
    }

    FileSystem& fs_;
    Registry& registry_;
    InstallerView& view_;
    const std::string package_;
    ShellFolders* shell_;
    const ConsoleReach consoles_;
    InstalledTree tree_;
    ClosedConsoles closed_;
    bool writing_ = false;  // the checks have passed: a failure now may leave changes
    bool keep_settings_ = false;
    std::string start_menu_;
    float progress_ = 0;
};

}  // namespace

std::string count_text(long count, const std::string& suffix) {
    return " " + std::to_string(count) + suffix;
}

float progress_step(float value) {
    return static_cast<float>(static_cast<double>(value) + 7.6);
}

std::string failure_reason(FsError error) {
    switch (error) {
    case FsError::ok: return "нет ошибки";
    case FsError::file_not_found: return "файл не найден";
    case FsError::path_not_found: return "путь не найден";
    case FsError::access_denied: return "доступ запрещён";
    case FsError::sharing_violation: return "файл занят другой программой";
    case FsError::dir_not_empty: return "папка не пуста";
    case FsError::already_exists: return "на этом месте уже есть файл";
    case FsError::invalid_name: return "недопустимое имя";
    case FsError::link: return "это ссылка на другое место";
    case FsError::other: break;
    }
    return "ошибка файловой системы";
}

InstallResult run_installation(FileSystem& fs, Registry& registry, InstallerView& view,
                               const std::string& package_dir, ShellFolders* shell,
                               RunningConsole* console, DesktopStarter* starter,
                               ConsoleSessions* sessions) {
    return Installation(fs, registry, view, package_dir, shell, {console, sessions, starter, true})
        .run();
}

}  // namespace vh
