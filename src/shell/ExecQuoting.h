#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// A program path written into the files through which file managers start the
// program. Each file kind reads its command line by rules of its own, so each gets
// the path quoted for those rules, and a path that a kind cannot carry gives none.

// The program as the first word of an Exec key of a desktop entry: quoted in whole
// (inside the quotes '"', '`', '$' and '\' escaped by a backslash, '%' written as
// "%%"), then escaped as a string value ('\' as "\\"), since readers undo the string
// escapes before the quoting. None for text that is not UTF-8 or holds a control
// character, which a desktop entry cannot hold.
std::optional<std::string> DesktopExecWord(std::string_view path);

// The command of an Exec key that starts the program, for the field code to follow.
// GLib looks the first word of Exec up as a program before it turns "%%" back into
// '%', and so rejects the whole entry when that word holds one: a path with '%' is
// then an argument of /bin/sh, which starts it with the items. None where
// DesktopExecWord gives none.
std::optional<std::string> DesktopExecCommand(std::string_view path);

// The program as a word of a POSIX shell: in single quotes, a quote inside written
// as '\''. Any bytes fit.
std::string ShellWord(std::string_view path);

// The program as the first word of a Nemo action's Exec key, which Nemo splits like
// a shell command after undoing the key file's escapes and after replacing its
// %-tokens: a shell word, then '\' escaped as "\\". None where a desktop entry could
// not hold it, and for a path with '%', which Nemo would read as a token.
std::optional<std::string> NemoExecWord(std::string_view path);

}  // namespace tolvane
