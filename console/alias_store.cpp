#include "console/alias_store.h"

#include <optional>
#include <vector>

#include "console/alias_name.h"
#include "platform/text_codec.h"

namespace vh {

namespace {

const std::string line_end = "\r\n";

std::string with_backslash(std::string dir) {
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    return dir;
}

AliasStatus status_of(FsError error) {
    switch (error) {
        case FsError::ok: return AliasStatus::done;
        case FsError::file_not_found:
        case FsError::path_not_found: return AliasStatus::file_not_found;
        case FsError::invalid_name: return AliasStatus::invalid_name;
        default: return AliasStatus::failed;
    }
}

AliasStatus status_of(StartResult result) {
    switch (result) {
        case StartResult::ok: return AliasStatus::done;
        case StartResult::file_not_found: return AliasStatus::file_not_found;
        default: return AliasStatus::failed;
    }
}

// An operation on an alias file known to be there: a refusal then comes
// from the file's own rights, which let only its author change or delete it.
AliasStatus status_of_existing(FsError error) {
    return error == FsError::access_denied ? AliasStatus::others_alias : status_of(error);
}

// Aliases are the directory's plain files: not subdirectories, and not what
// Windows keeps out of sight as hidden or system files.
bool is_alias_file(std::uint32_t attributes) {
    return !(attributes & (attr::directory | attr::hidden | attr::system));
}

// A missing file outweighs any other failure when several are reported,
// and other users' aliases outweigh the rest: the user learns why they stay.
AliasStatus worse(AliasStatus a, AliasStatus b) {
    for (AliasStatus first : {AliasStatus::file_not_found, AliasStatus::others_alias})
        if (a == first || b == first) return first;
    return a != AliasStatus::done ? a : b;
}

constexpr const char* blanks = " \t";

}  // namespace

AliasStore::AliasStore(FileSystem& fs, ProcessStarter& starter, std::string program_dir,
                       std::string folder_dir)
    : fs_(fs),
      starter_(starter),
      program_dir_(with_backslash(std::move(program_dir))),
      folder_dir_(with_backslash(std::move(folder_dir))) {}

AliasStatus AliasStore::define_program_alias(const std::string& argument) {
    return define_alias(program_dir_, argument);
}

AliasStatus AliasStore::define_folder_alias(const std::string& argument) {
    return define_alias(folder_dir_, argument);
}

AliasStatus AliasStore::define_alias(const std::string& dir, const std::string& argument) {
    if (argument.empty()) return AliasStatus::nothing_matched;
    // No blank, or a blank first, leaves no name: refused like a bad name.
    const std::size_t blank = argument.find(' ');
    if (blank == std::string::npos) return AliasStatus::invalid_name;
    const std::string name = argument.substr(0, blank);
    if (!is_usable_alias_name(name, dir)) return AliasStatus::invalid_name;
    // The file holds the target in Windows-1251; a target that has no such
    // form is refused rather than stored with stand-in characters.
    const std::optional<std::string> target = utf8_to_cp1251(argument.substr(blank + 1));
    if (!target) return AliasStatus::invalid_name;
    // The write opens the file before it empties it: a file the user may
    // not change is refused whole and keeps its target.
    const FsError error = fs_.write_file(dir + name, *target + line_end);
    return error == FsError::access_denied ? write_refused(dir, name, error) : status_of(error);
}

AliasStatus AliasStore::write_refused(const std::string& dir, const std::string& name,
                                      FsError error) {
    // The file system ignores case, so the entry is looked up as it stands.
    std::string stored_name;
    std::uint32_t attributes = 0;
    if (fs_.find_file(dir + name, stored_name, attributes) == FsError::ok &&
        is_alias_file(attributes))
        return AliasStatus::others_alias;
    return status_of(error);
}

AliasRun AliasStore::run_program_alias(const std::string& line) {
    std::string target;
    const AliasRun found = read_target(program_dir_, line, target);
    return found.status == AliasStatus::done ? start(target) : found;
}

AliasRun AliasStore::run_folder_alias(const std::string& line, const std::string& win_dir) {
    std::string target;
    const AliasRun found = read_target(folder_dir_, line, target);
    // Two blanks between Explorer and its argument, as the console always had.
    return found.status == AliasStatus::done ? start(win_dir + "\\explorer.exe " + " " + target)
                                             : found;
}

AliasRun AliasStore::read_target(const std::string& dir, const std::string& line,
                                 std::string& target) {
    const AliasStatus found = find_alias(dir, line);
    if (found != AliasStatus::done) return {found, false};

    std::string content;
    const FsError read = fs_.read_file(dir + line, content);
    if (read != FsError::ok) return {status_of(read), true};
    // The line end is dropped unseen; a file too short to hold one is broken.
    if (content.size() < line_end.size()) return {AliasStatus::failed, true};
    target = cp1251_to_utf8(content.substr(0, content.size() - line_end.size()));
    return {AliasStatus::done, true};
}

// The file system ignores case, so the entry it finds for the name is only
// the alias when its stored name is the very same text.
AliasStatus AliasStore::find_alias(const std::string& dir, const std::string& name) {
    if (!is_usable_alias_name(name, dir)) return directory_status(dir);
    std::string stored_name;
    std::uint32_t attributes = 0;
    const FsError found = fs_.find_file(dir + name, stored_name, attributes);
    if (found == FsError::file_not_found) return AliasStatus::nothing_matched;
    if (found != FsError::ok) return status_of(found);
    return stored_name == name && is_alias_file(attributes) ? AliasStatus::done
                                                            : AliasStatus::nothing_matched;
}

// A name that no file can have matches nothing without reaching the file
// system; only a missing directory is still told, as for any other name.
AliasStatus AliasStore::directory_status(const std::string& dir) {
    std::uint32_t attributes = 0;
    const FsError error = fs_.get_attributes(dir, attributes);
    if (error != FsError::ok) return status_of(error);
    return attributes & attr::directory ? AliasStatus::nothing_matched
                                        : AliasStatus::file_not_found;
}

// A program that asks for administrator rights, and a document, shortcut or
// console file, cannot be started as a program: the shell opens them
// instead, asking for consent or choosing the document's program.
AliasRun AliasStore::start(const std::string& command_line) {
    const StartResult result = starter_.start(command_line, WindowShow::normal);
    if (result == StartResult::needs_shell) return open_with_shell(command_line);
    return {status_of(result), true};
}

AliasRun AliasStore::open_with_shell(const std::string& command_line) {
    const std::size_t first = command_line.find_first_not_of(blanks);
    if (first == std::string::npos) return {AliasStatus::refused, true};
    std::string program, rest;
    if (command_line[first] == '"') {
        const std::size_t close = command_line.find('"', first + 1);
        program = command_line.substr(first + 1, close == std::string::npos
                                                     ? std::string::npos
                                                     : close - first - 1);
        if (close != std::string::npos) rest = command_line.substr(close + 1);
    } else {
        const std::string line = command_line.substr(first);
        const std::size_t length = program_length(line);
        program = line.substr(0, length);
        rest = line.substr(length);
    }
    const std::size_t arguments = rest.find_first_not_of(blanks);
    switch (starter_.open_with_shell(
        program, arguments == std::string::npos ? std::string{} : rest.substr(arguments),
        WindowShow::normal)) {
        case StartResult::ok: return {AliasStatus::done, true};
        case StartResult::file_not_found: return {AliasStatus::file_not_found, true};
        default: return {AliasStatus::refused, true};
    }
}

std::size_t AliasStore::program_length(const std::string& line) {
    const std::size_t first_blank = line.find_first_of(blanks);
    for (std::size_t end = first_blank; end != std::string::npos;
         end = line.find_first_of(blanks, end + 1)) {
        std::uint32_t attributes = 0;
        if (fs_.get_attributes(line.substr(0, end), attributes) == FsError::ok &&
            !(attributes & attr::directory))
            return end;
    }
    // The whole line when it names a file with blanks in its name and no
    // arguments, else the first word.
    std::uint32_t attributes = 0;
    if (first_blank != std::string::npos && fs_.get_attributes(line, attributes) == FsError::ok &&
        !(attributes & attr::directory))
        return line.size();
    return first_blank == std::string::npos ? line.size() : first_blank;
}

AliasStatus AliasStore::delete_program_alias(const std::string& name) {
    return delete_alias(program_dir_, name);
}

AliasStatus AliasStore::delete_folder_alias(const std::string& name) {
    return delete_alias(folder_dir_, name);
}

AliasStatus AliasStore::delete_alias(const std::string& dir, const std::string& name) {
    if (!is_usable_alias_name(name, dir)) return AliasStatus::invalid_name;
    const AliasStatus found = find_alias(dir, name);
    return found == AliasStatus::done ? status_of_existing(fs_.delete_file(dir + name)) : found;
}

AliasStatus AliasStore::delete_all() {
    const AliasStatus programs = delete_every_alias(program_dir_);  // programs first
    return worse(programs, delete_every_alias(folder_dir_));
}

// Goes on past a file that cannot be deleted, so that one alias of another
// user (or a read-only one) does not keep all the others.
AliasStatus AliasStore::delete_every_alias(const std::string& dir) {
    std::vector<std::string> names;
    const FsError listed = fs_.list_files(dir, names);
    if (listed != FsError::ok) return status_of(listed);
    AliasStatus result = AliasStatus::done;
    for (const std::string& name : names)
        result = worse(result, status_of_existing(fs_.delete_file(dir + name)));
    return result;
}

}  // namespace vh
