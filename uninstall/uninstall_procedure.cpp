#include "uninstall/uninstall_procedure.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/names.h"
#include "platform/text_codec.h"
#include "shared/console_close.h"
#include "shared/guarded_tree.h"
#include "shared/product.h"
#include "shared/registry_strings.h"
#include "shared/start_menu.h"
#include "shared/uninstall_entry.h"
#include "uninstall/run_value.h"
#include "uninstall/uninstall_texts.h"

namespace vh {

namespace {

// One step of the removal. A stage lists a directory and deletes its files,
// then removes a directory; either part may be absent.
struct Stage {
    std::string listed;   // whose files are deleted; empty: no listing
    std::string removed;  // removed at the end; empty: none
    bool shows_text;      // the message names each file and the removed directory
    bool keeps_uninstaller;
    bool last;  // sets the bar to 100 instead of adding 16.6
    // A folder that may be the user's own: only the installer's shortcuts
    // are deleted, and the folder is removed only when that empties it.
    bool only_shortcuts = false;
    // One of the alias folders, which every user may write: emptied and
    // removed through its held handle, never through a link.
    std::optional<TreeLevel> alias_folder = std::nullopt;
};

std::vector<Stage> product_stages() {
    using namespace product;
    return {
        {folder_alias_dir, folder_alias_dir, true, false, false, false, TreeLevel::folder_aliases},
        {program_alias_dir, program_alias_dir, true, false, false, false,
         TreeLevel::program_aliases},
        {"", aliases_dir, true, false, false},
        {skins_dir, skins_dir, true, false, false},
        {install_dir, "", true, true, false},
    };
}

// The Start-menu folder is looked up only when its stage is reached: the
// registry first, then the shell. Without either, the installer put the
// shortcuts into "\Varnholde" on the current drive, which may well be a
// folder of the user's.
Stage start_menu_stage(const std::string& programs) {
    const std::string folder = programs + product::start_menu_folder;
    return {folder, folder, false, false, true, programs.empty()};
}

std::string join(const std::string& directory, const std::string& name) {
    if (!directory.empty() && directory.back() == '\\') return directory + name;
    return directory + "\\" + name;
}

// A hint at the cause, so the user knows what to do before trying again.
std::string reason(FsError error) {
    switch (error) {
    case FsError::access_denied: return " (нет доступа: файл только для чтения или защищён)";
    case FsError::sharing_violation: return " (файл занят другой программой)";
    case FsError::dir_not_empty: return " (в папке остались скрытые файлы или вложенные папки)";
    default: return "";
    }
}

// The console program is held, once the console of this session has
// ended, only by the console of another user.
std::string refusal_reason(const std::string& path, FsError error) {
    if (error == FsError::sharing_violation && names_equal_ignoring_case(path, product::console_program))
        return std::string(" (") + console_of_other_user_text + ")";
    return reason(error);
}

bool is_missing(FsError error) {
    return error == FsError::file_not_found || error == FsError::path_not_found;
}

class Procedure {
public:
    Procedure(const UninstallSystem& system, UninstallView& view)
        : sys_(system), view_(view), tree_(system.fs) {}

    UninstallOutcome run() {
        begin();
        if (!close_console() || !open_tree() || !check_deletable()) {
            restart_closed_consoles();
            return UninstallOutcome::refused;
        }
        for (const Stage& stage : product_stages())
            if (!run_stage(stage)) return UninstallOutcome::stopped;
        if (!remove_autostart()) return UninstallOutcome::stopped;
        if (!remove_apps_entry()) return UninstallOutcome::stopped;
        if (!run_stage(start_menu_stage(programs_)))
            return UninstallOutcome::stopped;
        if (!write_and_start_batch()) return UninstallOutcome::stopped;
        finish();
        return UninstallOutcome::completed;
    }

private:
    void begin() {
        view_.set_question_buttons_visible(false);
        view_.set_message_size(8);
        view_.set_progress_visible(true);
        view_.set_message("");
    }

    void finish() {
        view_.set_progress_visible(false);
        view_.set_message_size(12);
        view_.set_message(uninstall_text::completed);
        view_.show_exit_button();
    }

    // A running console holds its program file and would write its settings
    // and aliases while they are deleted: it is asked to end the normal way
    // first, and while it runs nothing is deleted.
    bool close_console() {
        const ConsoleClose closed =
            close_consoles(reach(), tree_files(),
                           [this](const std::string& text) { view_.set_message(text); }, closed_);
        if (closed != ConsoleClose::still_running) return true;
        return stop(std::string(console_not_closed_text) + " и запустите удаление снова");
    }

    ConsoleReach reach() const { return {sys_.console, sys_.sessions, nullptr}; }

    // A refused run changes nothing: the consoles of other sessions that it
    // closed run again. This session's comes back at the next log-on or
    // when its user starts it, as after "Выход".
    void restart_closed_consoles() {
        restart_consoles(reach(), closed_, product::console_program, product::install_dir,
                         [](const std::string&) {});
    }

    // Every file the stages would delete, which a console may hold; not
    // this uninstaller, which holds its own file.
    std::vector<std::string> tree_files() {
        std::vector<std::string> files;
        for (const Stage& stage : product_stages()) {
            std::vector<std::string> names;
            if (stage.listed.empty() || sys_.fs.list_files(stage.listed, names) != FsError::ok)
                continue;
            for (const std::string& name : names)
                if (!(stage.keeps_uninstaller && name == product::uninstaller_name))
                    files.push_back(join(stage.listed, name));
        }
        return files;
    }

    // The tree's levels are held while they are emptied, each opened without
    // following a link: a link in an alias folder's place is removed as a
    // link; anywhere else, or a level a user made, nothing is deleted.
    bool open_tree() {
        const TreeFault fault = tree_.open();
        if (!fault) return true;
        std::string why;
        switch (fault.kind) {
        case LevelFault::link: why = " — не папка, а ссылка на другое место; удалите эту ссылку"; break;
        case LevelFault::foreign_owner:
            why = " создана не администратором, ей нельзя доверять; удалите её вручную";
            break;
        case LevelFault::not_a_folder: why = " — не папка, а файл"; break;
        default: why = reason(fault.error); break;
        }
        return stop("ничего не удалено: папка " + fault.folder + why, sys_.fs.windows_error(fault.error));
    }

    // What an alias folder holds, listed through its handle: every file in
    // it is checked as those of the other folders; links and subfolders are
    // removed without following them, so they cannot stop the run.
    bool check_alias_folder(const Stage& stage) {
        HeldFolder* folder = tree_.held(*stage.alias_folder);
        if (!folder) return true;  // missing, or a link that goes as a link
        std::vector<FolderEntry> entries;
        if (FsError e = folder->list(entries); e != FsError::ok)
            return stop_on(e, "не удалось прочитать папку " + stage.listed);
        for (const FolderEntry& entry : entries) {
            if (entry.attributes & (attr::directory | attr::reparse_point)) continue;
            const std::string path = join(stage.listed, entry.name);
            const FsError e = sys_.fs.check_replaceable(path);
            if (e == FsError::ok || is_missing(e) ||
                (e == FsError::access_denied && (entry.attributes & (attr::hidden | attr::system)) &&
                 !(entry.attributes & attr::read_only)))
                continue;  // hidden and system files go through the handle
            return stop("не удалось удалить файл " + path + refusal_reason(path, e),
                        sys_.fs.windows_error(e));
        }
        return true;
    }

    // The Start menu's shortcuts are deleted last: one that cannot be
    // deleted would stop the run with the product half removed.
    bool check_shortcuts() {
        programs_ = common_programs_folder(sys_.registry, sys_.shell);
        const std::string& folder = programs_;
        if (folder.empty()) return true;
        for (const char* name : product::shortcut_names) {
            const std::string path =
                join(folder + product::start_menu_folder, name + std::string(product::shortcut_extension));
            const FsError e = sys_.fs.check_replaceable(path);
            if (e == FsError::ok || is_missing(e)) continue;
            return stop("не удалось удалить файл " + path + refusal_reason(path, e),
                        sys_.fs.windows_error(e));
        }
        return true;
    }

    // Every file the stages will delete must be deletable now, before the
    // first goes: a console of another user session still holds its
    // program, and stopping half-way would leave neither the product nor
    // its removal whole.
    bool check_deletable() {
        for (const Stage& stage : product_stages()) {
            if (stage.listed.empty()) continue;
            if (stage.alias_folder) {
                if (!check_alias_folder(stage)) return false;
                continue;
            }
            std::vector<std::string> names;
            const FsError listed = sys_.fs.list_files(stage.listed, names);
            if (is_missing(listed)) continue;
            if (listed != FsError::ok)
                return stop_on(listed, "не удалось прочитать папку " + stage.listed);
            for (const std::string& name : names) {
                if (stage.keeps_uninstaller && name == product::uninstaller_name) continue;
                const std::string path = join(stage.listed, name);
                const FsError e = sys_.fs.check_replaceable(path);
                if (e == FsError::ok || is_missing(e)) continue;
                return stop("не удалось удалить файл " + path + refusal_reason(path, e),
                            sys_.fs.windows_error(e));
            }
        }
        return check_shortcuts();
    }

    // With the console's file gone, Windows would try to start it at every
    // log-on: its Run value goes, unless it names another program.
    bool remove_autostart() {
        if (remove_run_value(sys_.registry) != RunValue::failed) return true;
        return stop(std::string("не удалось удалить параметр автозапуска ") +
                    product::run_value_name + " в разделе HKEY_LOCAL_MACHINE\\" +
                    product::run_key);
    }

    // With the tree gone, Apps & features would list a product that is not
    // there: its entry goes, unless it names another uninstaller.
    bool remove_apps_entry() {
        const std::string self = join(sys_.own_directory, sys_.own_file_name);
        if (remove_uninstall_entry(sys_.registry, self) != EntryRemoval::failed) return true;
        return stop(std::string("не удалось удалить раздел HKEY_LOCAL_MACHINE\\") +
                    product::uninstall_key);
    }

    bool run_stage(const Stage& stage) {
        if (stage.alias_folder) return remove_alias_folder(stage);
        // A directory already gone (an earlier run removed it) is a stage
        // done, so a second run can finish what a stopped one began.
        if (directory_missing(stage.listed.empty() ? stage.removed : stage.listed))
            return advance(stage);
        if (stage.only_shortcuts) return remove_shortcuts(stage);
        if (!stage.listed.empty() && !delete_files(stage)) return false;
        if (!stage.removed.empty()) {
            if (stage.shows_text) view_.set_message(uninstall_text::removing + stage.removed);
            tree_.release(stage.removed);  // held without delete sharing until now
            if (FsError e = sys_.fs.remove_directory(stage.removed); e != FsError::ok)
                return stop_on(e, "не удалось удалить папку " + stage.removed);
        }
        return advance(stage);
    }

    bool remove_alias_folder(const Stage& stage) {
        if (!tree_.held(*stage.alias_folder) && !tree_.is_link(*stage.alias_folder))
            return advance(stage);  // gone already: an earlier run removed it
        std::string failed;
        const FsError e = tree_.remove_alias_folder(
            *stage.alias_folder,
            [this](const std::string& path) { view_.set_message(uninstall_text::removing + path); },
            failed);
        if (e != FsError::ok)
            return stop_on(e, (failed == stage.removed ? "не удалось удалить папку "
                                                       : "не удалось удалить ") + failed);
        view_.set_message(uninstall_text::removing + stage.removed);
        return advance(stage);
    }

    // The three shortcuts, where present; the folder only once it is empty.
    bool remove_shortcuts(const Stage& stage) {
        for (const char* name : product::shortcut_names) {
            const std::string path = join(stage.listed, name + std::string(product::shortcut_extension));
            const FsError e = sys_.fs.delete_file(path);
            if (e != FsError::ok && !is_missing(e))
                return stop_on(e, "не удалось удалить файл " + path);
        }
        const FsError e = sys_.fs.remove_directory(stage.removed);
        if (e != FsError::ok && e != FsError::dir_not_empty && !is_missing(e))
            return stop_on(e, "не удалось удалить папку " + stage.removed);
        return advance(stage);
    }

    bool delete_files(const Stage& stage) {
        std::vector<std::string> names;  // taken once: deleting does not change it
        if (FsError e = sys_.fs.list_files(stage.listed, names); e != FsError::ok)
            return stop_on(e, "не удалось прочитать папку " + stage.listed);
        for (const std::string& name : names) {
            if (stage.keeps_uninstaller && name == product::uninstaller_name) continue;
            const std::string path = join(stage.listed, name);
            if (stage.shows_text) view_.set_message(uninstall_text::removing + path);
            if (FsError e = sys_.fs.delete_file(path); e != FsError::ok)
                return stop_on(e, "не удалось удалить файл " + path);
        }
        return true;
    }

    bool directory_missing(const std::string& path) {
        std::uint32_t attributes = 0;
        return is_missing(sys_.fs.get_attributes(path, attributes));
    }

    bool advance(const Stage& stage) {
        // The bar's value is single precision: the sum is rounded to it at
        // every step, giving 16.6, 33.2, 49.8, 66.4, 83.
        view_.set_progress(stage.last ? 100.0f : static_cast<float>(view_.progress() + 16.6));
        return true;
    }

    bool write_and_start_batch() {
        const std::string batch = join(sys_.own_directory, uninstall_path::batch_name);
        // The command interpreter reads the batch in the Russian OEM code page.
        const std::optional<std::string> text =
            utf8_to_cp866(batch_file_text(sys_.own_directory, sys_.own_file_name));
        if (!text)
            return stop("не удалось записать файл " + batch +
                        " (путь к программе удаления содержит знаки, которых нет в кодировке 866)");
        if (FsError e = sys_.fs.write_file(batch, *text); e != FsError::ok)
            return stop_on(e, "не удалось записать файл " + batch);
        // A read-only uninstaller could never be deleted: the batch would
        // give up on it and leave it behind.
        const std::string own_path = join(sys_.own_directory, sys_.own_file_name);
        if (!clear_read_only(own_path))
            return stop("не удалось снять атрибут \"только чтение\" с файла " + own_path);
        // The batch names the uninstaller without a directory: it must run in D.
        const std::string command = batch_command_line(sys_.command_interpreter, batch);
        if (sys_.processes.start(command, WindowShow::hidden, sys_.own_directory) !=
            StartResult::ok)
            return stop("не удалось запустить " + batch);
        return true;
    }

    bool clear_read_only(const std::string& path) {
        std::uint32_t attributes = 0;
        if (sys_.fs.get_attributes(path, attributes) != FsError::ok) return false;
        if (!(attributes & attr::read_only)) return true;
        return sys_.fs.set_attributes(path, attributes & ~attr::read_only) == FsError::ok;
    }

    // A refusal of the file system: its reason and its Windows code.
    bool stop_on(FsError e, const std::string& what_failed) {
        return stop(what_failed + reason(e), sys_.fs.windows_error(e));
    }

    // Ends the procedure where it stands; what is gone stays gone.
    bool stop(const std::string& what_failed, std::uint32_t windows_error = 0) {
        view_.set_progress_visible(false);  // it would cover the exit button
        view_.show_failure("Удаление прервано: " + what_failed + ".", windows_error);
        view_.show_exit_button();
        return false;
    }

    const UninstallSystem& sys_;
    UninstallView& view_;
    GuardedTree tree_;
    std::string programs_;  // the Start menu's Programs folder, looked up once
    ClosedConsoles closed_;
};

}  // namespace

UninstallOutcome run_uninstall(const UninstallSystem& system, UninstallView& view) {
    return Procedure(system, view).run();
}

}  // namespace vh
