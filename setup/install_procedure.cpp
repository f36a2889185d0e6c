#include "setup/install_procedure.h"

#include <cstdint>
#include <vector>

#include "console/settings_check.h"
#include "shared/console_close.h"
#include "shared/guarded_tree.h"
#include "shared/product.h"
#include "shared/registry_strings.h"
#include "shared/start_menu.h"
#include "shared/uninstall_entry.h"
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
// The tree's levels in the order they are made, with the rights each gets
// (tree_folder_rights() lists them in the same order) and whether the
// window names it.
struct TreeFolder {
    TreeLevel level;
    bool shown;
};
constexpr TreeFolder tree_folders[] = {
    {TreeLevel::root, false},           {TreeLevel::product, false},
    {TreeLevel::aliases, false},        {TreeLevel::skins, true},
    {TreeLevel::folder_aliases, true},  {TreeLevel::program_aliases, true},
};

// What the administrator is told to do with a level that cannot be used.
std::string tree_fault_text(const TreeFault& fault) {
    const std::string what = fault.folder;
    switch (fault.kind) {
    case LevelFault::link:
        return "Установка прервана: " + what +
               " — не папка, а ссылка на другое место. Удалите эту ссылку и запустите установку снова.";
    case LevelFault::foreign_owner:
        return "Установка прервана: папку " + what +
               " создал не администратор, ей нельзя доверять. Удалите её и запустите установку снова.";
    case LevelFault::not_a_folder:
        return "Установка прервана: на месте папки " + what +
               " находится файл. Удалите его и запустите установку снова.";
    default: break;
    }
    return "Установка прервана: не удалось открыть папку " + what + " (" +
           failure_reason(fault.error) + "). Закройте программы, которые её используют, и запустите установку снова.";
}

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
        if (!sound_in_tree(product::settings_file)) return false;
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
        for (const Copy& copy : planned_copies()) {
            const FsError e = fs_.check_replaceable(copy.destination);
            if (e == FsError::ok || e == FsError::file_not_found || e == FsError::path_not_found)
                continue;
            if (e == FsError::access_denied && only_read_only(copy.destination)) continue;
            return fail_copy(copy.source, copy.destination, e);
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

    // A missing level is created with its rights from the first moment, an
    // existing one gets them through its handle, before any file is put in.
    bool make_tree_folders() {
        const std::vector<PathRights> rights = tree_folder_rights();
        for (size_t i = 0; i < std::size(tree_folders); ++i) {
            const TreeFolder& folder = tree_folders[i];
            const std::string& path = tree_.path(folder.level);
            if (folder.shown) view_.set_status_text(folder_prefix + path + "\\");
            const bool existed = tree_.held(folder.level) != nullptr;
            if (FsError e = tree_.secure(folder.level, rights_for(rights, path)); e != FsError::ok)
                return fail_folder(path, e);
            if (existed && !reinherit_aliases(folder.level)) return false;
            if (folder.shown) step();
        }
        return true;
    }

    // Alias files made under an older installation's rights, which let every
    // user change them, take only what the folder now gives: their authors
    // keep them, the others may read and run them. Links and files with
    // other names are left as they are: never re-righted in place.
    bool reinherit_aliases(TreeLevel level) {
        if (level != TreeLevel::program_aliases && level != TreeLevel::folder_aliases) return true;
        HeldFolder* folder = tree_.held(level);
        std::vector<FolderEntry> entries;
        if (FsError e = folder->list(entries); e != FsError::ok)
            return fail_folder(tree_.path(level), e);
        for (const FolderEntry& entry : entries) {
            if (entry.attributes & (attr::directory | attr::reparse_point)) continue;
            const FsError e = folder->inherit_file_rights(entry.name);
            if (e != FsError::ok && e != FsError::link && e != FsError::file_not_found)
                return fail("Не удалось установить права доступа к " + tree_.path(level) + "\\" +
                                entry.name + " (" + failure_reason(e) + aborted,
                            fs_.windows_error(e));
        }
        return true;
    }

    static const FileRights& rights_for(const std::vector<PathRights>& rights,
                                        const std::string& path) {
        for (const PathRights& entry : rights)
            if (entry.path == path) return entry.rights;
        return rights.front().rights;
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
        FsError e = clear_destination(destination);
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

    // A file of the tree that is a link, has more than one name or is not
    // the administrators' is never written in place: that name goes first
    // (through the held folder, the link itself, never its target), and
    // the copy makes a new file.
    FsError clear_destination(const std::string& destination) {
        std::string name;
        HeldFolder* held = holding_folder(destination, name);
        if (!held) return FsError::ok;  // the Start menu's folder: administrators' only
        EntryFacts facts;
        const FsError e = held->entry_facts(name, facts);
        if (e == FsError::file_not_found) return FsError::ok;
        if (e != FsError::ok) return e;
        if (!sound(facts)) return held->remove(name);
        // An earlier copy of a read-only package: made writable to be replaced.
        std::uint32_t attributes = 0;
        if (fs_.get_attributes(destination, attributes) == FsError::ok &&
            (attributes & attr::read_only))
            return fs_.set_attributes(destination, attr::archive);
        return FsError::ok;
    }

    static bool sound(const EntryFacts& facts) {
        return !(facts.attributes & (attr::reparse_point | attr::directory)) && facts.links == 1 &&
               owned_by_administrators(facts.owner);
    }

    // The held folder of the tree that holds path, and path's name in it.
    HeldFolder* holding_folder(const std::string& path, std::string& name) const {
        const size_t slash = path.rfind('\\');
        const std::string folder = path.substr(0, slash);
        name = path.substr(slash + 1);
        for (TreeLevel level : {TreeLevel::skins, TreeLevel::product})
            if (folder == tree_.path(level)) return tree_.held(level);
        return nullptr;
    }

    // A file of the tree that is what it seems (or is not there).
    bool sound_in_tree(const std::string& path) const {
        std::string name;
        HeldFolder* held = holding_folder(path, name);
        EntryFacts facts;
        return !held || held->entry_facts(name, facts) != FsError::ok || sound(facts);
    }

    bool only_read_only(const std::string& path) {
        std::uint32_t attributes = 0;
        return fs_.get_attributes(path, attributes) == FsError::ok &&
               (attributes & attr::read_only) &&
               !(attributes & (attr::hidden | attr::system | attr::directory | attr::reparse_point));
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
    GuardedTree tree_;
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
