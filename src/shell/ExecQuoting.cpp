#include "ExecQuoting.h"

#include "engine/TextConvert.h"

namespace tolvane {

namespace {

// What a key file can hold as one line of text.
bool FitsKeyFile(std::string_view text) {
    if (!IsValidUtf8(text))
        return false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

// A string value of a key file: its reader turns "\\" back into '\'.
std::string EscapeBackslashes(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

std::optional<std::string> DesktopExecWord(std::string_view path) {
    if (!FitsKeyFile(path))
        return std::nullopt;
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return EscapeBackslashes(quoted);
}

std::optional<std::string> DesktopExecCommand(std::string_view path) {
    std::optional<std::string> word = DesktopExecWord(path);
    if (!word || path.find('%') == std::string_view::npos)
        return word;
    // sh -c SCRIPT NAME ARGS... runs SCRIPT with $0 = NAME and the rest as "$@".
    return "/bin/sh -c " + *DesktopExecWord("exec \"$0\" \"$@\"") + ' ' + *word;
}

std::string ShellWord(std::string_view path) {
    std::string word = "'";
    for (const char c : path) {
        if (c == '\'')
            word += "'\\''";
        else
            word += c;
    }
    word += '\'';
    return word;
}

std::optional<std::string> NemoExecWord(std::string_view path) {
    if (!FitsKeyFile(path) || path.find('%') != std::string_view::npos)
        return std::nullopt;
    return EscapeBackslashes(ShellWord(path));
}

}  // namespace tolvane
