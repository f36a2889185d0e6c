// The aliases: one small file per alias in the program alias directory or
// the folder alias directory. A file's name is the alias name as typed, its
// content the target and CR LF. Nothing is kept in memory between commands.
#pragma once

#include <string>

#include "console/console_state.h"
#include "platform/file_system.h"
#include "platform/system.h"

namespace vh {

enum class AliasStatus {
    done,             // the operation did its work
    nothing_matched,  // no alias of that name (or an empty definition): nothing done
    file_not_found,   // the alias directory, the alias file or the program is missing
    invalid_name,     // the name cannot be an alias file name: nothing was touched
    refused,          // the program start was refused (consent denied, shell failed)
    others_alias,     // the file system refuses to change or delete an existing alias
                      // file: another user's, which only its author may change
    failed,           // any other refusal of the file system or the program start
};

// The outcome of running an alias. Once an alias of the name has been found
// the interpreter's error trap is armed: a failure then ends its command
// sequence.
struct AliasRun {
    AliasStatus status = AliasStatus::nothing_matched;
    bool trap_armed = false;
};

class AliasStore {
public:
    // The directories end in a backslash (one is added when missing).
    AliasStore(FileSystem& fs, ProcessStarter& starter,
               std::string program_dir = product::program_alias_dir,
               std::string folder_dir = product::folder_alias_dir);

    // argument: the alias name, a blank, the target (which may hold blanks).
    AliasStatus define_program_alias(const std::string& argument);
    AliasStatus define_folder_alias(const std::string& argument);
    // Runs the alias whose file name equals the whole line exactly.
    AliasRun run_program_alias(const std::string& line);
    // Opens the folder in Explorer from the Windows directory win_dir.
    AliasRun run_folder_alias(const std::string& line, const std::string& win_dir);
    AliasStatus delete_program_alias(const std::string& name);
    AliasStatus delete_folder_alias(const std::string& name);
    // Empties both directories as far as the file system lets it: the
    // aliases it refuses to delete (other users') stay, the others go.
    AliasStatus delete_all();

    const std::string& program_dir() const { return program_dir_; }
    const std::string& folder_dir() const { return folder_dir_; }

private:
    AliasStatus define_alias(const std::string& dir, const std::string& argument);
    // What a refused write of dir + name means: an alias file that is
    // there but may not be changed is another user's.
    AliasStatus write_refused(const std::string& dir, const std::string& name, FsError error);
    // The target of the alias named line, or the reason there is none.
    AliasRun read_target(const std::string& dir, const std::string& line, std::string& target);
    // done when dir holds an alias file named exactly name (case counts).
    AliasStatus find_alias(const std::string& dir, const std::string& name);
    AliasStatus directory_status(const std::string& dir);
    AliasRun start(const std::string& command_line);
    AliasRun open_with_shell(const std::string& command_line);
    // How long the program part of an unquoted command line is: the
    // shortest run of words that names an existing file, as the program
    // start looks for it, else the first word.
    std::size_t program_length(const std::string& line);
    AliasStatus delete_alias(const std::string& dir, const std::string& name);
    AliasStatus delete_every_alias(const std::string& dir);

    FileSystem& fs_;
    ProcessStarter& starter_;
    std::string program_dir_;
    std::string folder_dir_;
};

}  // namespace vh
