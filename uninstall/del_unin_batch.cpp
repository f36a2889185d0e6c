// "Del_Unin.bat": deletes the uninstaller once it has ended, then itself.
#include <string>

#include "uninstall/uninstall_procedure.h"
#include "uninstall/uninstall_texts.h"

namespace vh {

namespace {

std::string join(const std::string& directory, const std::string& name) {
    if (!directory.empty() && directory.back() == '\\') return directory + name;
    return directory + "\\" + name;
}

std::string file_stem(const std::string& file_name) {
    return file_name.substr(0, file_name.rfind('.'));
}

// A path as one argument of a batch line: in quotes, so that blanks, '&'
// and the like are part of the name, and with '%' doubled, which the
// interpreter would otherwise take for the start of a variable.
std::string batch_quoted(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string batch_file_text(const std::string& own_directory, const std::string& own_file_name,
                            BatchTries tries) {
    const std::string program = batch_quoted(file_stem(own_file_name) + ".exe");
    return "set vh_free=0\r\n"
           "set vh_held=0\r\n"
           ":no_ex\r\n"
           // /f: read-only too; /a: hidden and system too, which "del"
           // alone skips while "if exist" still sees them.
           "del /f /a " + program + "\r\n"
           "if not exist " + program + " goto done\r\n"
           // The file opened for appending, with nothing written: the
           // "set" behind the redirection runs only where the open
           // succeeded, which a running program's file refuses.
           "set vh_open=\r\n"
           ">>" + program + " set vh_open=1\r\n"
           "if defined vh_open set /a vh_free+=1\r\n"
           "if not defined vh_open set /a vh_held+=1\r\n"
           "if %vh_free% geq " + std::to_string(tries.once_free) + " goto done\r\n"
           "if %vh_held% geq " + std::to_string(tries.while_held) + " goto done\r\n"
           // Two echoes of the local host lie a second apart. Named by its
           // full path: the interpreter, elevated, would otherwise look in
           // the current directory first.
           "\"%SystemRoot%\\System32\\ping.exe\" -n 2 127.0.0.1 >nul\r\n"
           "goto no_ex\r\n"
           ":done\r\n"
           "del " + batch_quoted(join(own_directory, uninstall_path::batch_name)) + "\r\n";
}

std::string batch_command_line(const std::string& command_interpreter,
                               const std::string& batch_path) {
    // /d: no AutoRun commands, which could change the current directory
    // that the batch's lines rely on.
    return "\"" + command_interpreter + "\" /d /c \"" + batch_path + "\"";
}

}  // namespace vh
