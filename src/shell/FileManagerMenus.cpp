#include "FileManagerMenus.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

#include "DesktopEntryTemplate.h"
#include "ExecQuoting.h"
#include "engine/TextConvert.h"
#include "filelist/PathListImport.h"
#include "settings/FileBytes.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kPlainFile = 0644;
// KDE reads a service menu of the user's only when it may be executed; GNOME Files
// runs its scripts.
constexpr unsigned kExecutable = 0755;
// Ours are a few hundred bytes; a file much larger is somebody else's.
constexpr std::uint64_t kLargestOfOurs = 64 * 1024;

std::string Line(std::string_view text) {
    return std::string(text) + '\n';
}

// Thunar's Send To entry: a desktop entry that starts the program with the files.
std::string SendToEntryText(const std::string& exec) {
    std::string text = Line(FileManagerMenus::kSendToMarker);
    text += Line("[Desktop Entry]");
    text += Line("Type=Application");
    text += Line("Version=1.0");
    text += Line("Name=Tolvane");
    text += Line("Icon=tolvane");
    text += Line("Exec=" + exec + " %F");
    return text;
}

// The "Open With" entry bears the installed entry's name, so it stands in for that one
// in the application menu: it is the installed entry itself (its translations and
// keywords kept) naming this program, and like that one it claims no MIME type, so it
// is offered among all applications and never opens anything by default.
std::string OpenWithEntryText(const std::string& exec) {
    std::string text = Line(FileManagerMenus::kSendToMarker) + kDesktopEntryTemplate;
    const std::string_view placeholder = "@TOLVANE_EXEC@";
    if (const size_t at = text.find(placeholder); at != std::string::npos)
        text.replace(at, placeholder.size(), exec);
    if (!text.ends_with('\n'))
        text += '\n';
    return text;
}

std::string ServiceMenuText(const std::string& exec) {
    std::string text = Line(FileManagerMenus::kMarker);
    text += Line("[Desktop Entry]");
    text += Line("Type=Service");
    text += Line("MimeType=all/allfiles;inode/directory;");
    text += Line("X-KDE-ServiceTypes=KonqPopupMenu/Plugin");
    text += Line("Actions=tolvane;");
    text += Line("");
    text += Line("[Desktop Action tolvane]");
    text += Line("Name=Tolvane");
    text += Line("Icon=tolvane");
    text += Line("Exec=" + exec + " %F");
    return text;
}

// Nemo pastes each item of %U into the command line and then splits it like a shell,
// with no quoting of its own unless Quote says so; how it escapes paths inside quotes
// differs between its versions. A URI holds no blank, '"', '\' or '`' (all of them are
// %-escaped), so in double quotes every Nemo hands it over whole, apostrophes and all;
// the program takes file:// URIs as the paths they name.
std::string NemoActionText(const std::string& exec) {
    std::string text = Line(FileManagerMenus::kMarker);
    text += Line("[Nemo Action]");
    text += Line("Name=Tolvane");
    text += Line("Icon-Name=tolvane");
    text += Line("Exec=" + exec + " %U");
    text += Line("Quote=double");
    text += Line("Selection=notnone");
    text += Line("Extensions=any;");
    return text;
}

// GNOME Files gives a script the selected items as its arguments, as they are: a
// name may start with '-', or be "--" itself, hence the "--" before them.
std::string FilesScriptText(const std::string& program) {
    std::string text = Line("#!/bin/sh");
    text += Line(FileManagerMenus::kMarker);
    text += Line("exec " + ShellWord(program) + " -- \"$@\"");
    return text;
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

std::string SystemText(int error) {
    return std::strerror(error);
}

}  // namespace

FileManagerMenus::FileManagerMenus(fs::path program, fs::path dataHome)
    : program_(std::move(program)), dataHome_(std::move(dataHome)) {}

fs::path FileManagerMenus::ServiceMenu() const {
    return dataHome_ / "kio" / "servicemenus" / "tolvane.desktop";
}

fs::path FileManagerMenus::NemoAction() const {
    return dataHome_ / "nemo" / "actions" / "tolvane.nemo_action";
}

fs::path FileManagerMenus::FilesScript() const {
    return dataHome_ / "nautilus" / "scripts" / "Tolvane";
}

fs::path FileManagerMenus::ThunarSendTo() const {
    return dataHome_ / "Thunar" / "sendto" / "tolvane.desktop";
}

fs::path FileManagerMenus::OpenWithEntry() const {
    return dataHome_ / "applications" / "tolvane.desktop";
}

bool FileManagerMenus::IsOurs(const fs::path& path) {
    const FileBytes read = ReadFileBytes(path, kLargestOfOurs);
    if (!read.Ok())
        return false;
    std::string_view rest = read.bytes;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line == kMarker || line == kSendToMarker)
            return true;
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

std::vector<FileManagerMenus::File> FileManagerMenus::ContextMenuFiles() const {
    const std::string& program = program_.native();
    const std::optional<std::string> desktop = DesktopExecCommand(program);
    const std::optional<std::string> nemo = NemoExecWord(program);
    return {
        {ServiceMenu(), desktop ? ServiceMenuText(*desktop) : std::string(), kExecutable},
        {NemoAction(), nemo ? NemoActionText(*nemo) : std::string(), kPlainFile},
        {FilesScript(), FilesScriptText(program), kExecutable},
    };
}

std::vector<FileManagerMenus::File> FileManagerMenus::SendToFiles() const {
    const std::optional<std::string> desktop = DesktopExecCommand(program_.native());
    const std::string sendTo = desktop ? SendToEntryText(*desktop) : std::string();
    const std::string openWith = desktop ? OpenWithEntryText(*desktop) : std::string();
    return {{ThunarSendTo(), sendTo, kPlainFile}, {OpenWithEntry(), openWith, kPlainFile}};
}

void FileManagerMenus::Write(const File& file, Outcome& outcome) {
    if (file.contents.empty()) {
        outcome.left.push_back({file.path, Outcome::Problem::CannotName, {}});
        return;
    }
    std::error_code ec;
    fs::create_directories(file.path.parent_path(), ec);
    if (ec) {
        outcome.left.push_back({file.path, Outcome::Problem::CannotWrite, ec.message()});
        return;
    }
    errno = 0;
    if (!WriteFileAtomically(file.path, file.contents, file.mode)) {
        const int error = errno != 0 ? errno : EACCES;
        outcome.left.push_back({file.path, Outcome::Problem::CannotWrite, SystemText(error)});
        return;
    }
    outcome.written.push_back(file.path);
}

bool FileManagerMenus::ContextMenuExists() const {
    for (const File& file : ContextMenuFiles()) {
        if (IsOurs(file.path))
            return true;
    }
    return false;
}

FileManagerMenus::Outcome FileManagerMenus::AddContextMenu() const {
    Outcome outcome;
    for (const File& file : ContextMenuFiles()) {
        if (Exists(file.path) && !IsOurs(file.path))
            outcome.left.push_back({file.path, Outcome::Problem::NotOurs, {}});
        else
            Write(file, outcome);
    }
    return outcome;
}

FileManagerMenus::Outcome FileManagerMenus::RemoveContextMenu() const {
    Outcome outcome;
    for (const File& file : ContextMenuFiles()) {
        if (!Exists(file.path))
            continue;
        if (!IsOurs(file.path)) {
            outcome.left.push_back({file.path, Outcome::Problem::NotOurs, {}});
            continue;
        }
        std::error_code ec;
        if (fs::remove(file.path, ec))
            outcome.removed.push_back(file.path);
        else
            outcome.left.push_back({file.path, Outcome::Problem::CannotWrite, ec.message()});
    }
    return outcome;
}

FileManagerMenus::Outcome FileManagerMenus::AddSendTo() const {
    Outcome outcome;
    for (const File& file : SendToFiles()) {
        if (!Exists(file.path))
            Write(file, outcome);
    }
    return outcome;
}

std::vector<std::string> ArgumentsWithUrisAsPaths(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        std::string argument = argv[i];
        if (i > 0 && argument.starts_with("file://")) {
            if (const auto path = PathOfFileUri(ToWide(argument)))
                argument = ToNarrow(*path);
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace tolvane
