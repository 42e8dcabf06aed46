#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane {

// The places where file managers offer Tolvane for the selected files and folders,
// as files of the user's under $XDG_DATA_HOME (default ~/.local/share):
// - the context menu: a KDE service menu (Dolphin), a Nemo action and a GNOME Files
//   script, each for files and folders, each starting the program with every
//   selected item as an argument of its own;
// - "Send To": Thunar's Send To entry and a desktop entry that puts Tolvane among the
//   applications every file manager's "Open With" offers. That entry claims no MIME
//   type: GLib makes an application that claims a type the default for it wherever no
//   default is set (MimeType= and [Added Associations] alike, the user's entries
//   first), and xdg-mime takes the first of the rebuilt MIME cache, so claiming
//   folders would let Tolvane take over opening them.
// Every file is written whole or not at all, with a marker line by which it is known
// as ours: a file of the user's that bears one of our names is never replaced or
// removed. The program is named by its absolute path, quoted as each file kind
// requires, so a path with blanks works.
class FileManagerMenus {
  public:
    // The lines that mark a file as written by Tolvane, each saying how it goes away:
    // the context-menu files go when the box is cleared, the Send To files never by
    // Tolvane. The first is the one every earlier build wrote, so their files stay ours.
    static constexpr const char* kMarker =
        "# Written by Tolvane's settings; Tolvane removes it when its context menu is turned off.";
    static constexpr const char* kSendToMarker =
        "# Written by Tolvane's Send To link; Tolvane never removes it: delete this file to "
        "take the entry away.";

    FileManagerMenus(std::filesystem::path program, std::filesystem::path dataHome);

    const std::filesystem::path& Program() const { return program_; }

    std::filesystem::path ServiceMenu() const;
    std::filesystem::path NemoAction() const;
    std::filesystem::path FilesScript() const;
    std::filesystem::path ThunarSendTo() const;
    std::filesystem::path OpenWithEntry() const;

    // What happened to the files of one request.
    struct Outcome {
        enum class Problem {
            NotOurs,      // a file of the user's (or something else) bears the name
            CannotWrite,  // the system refused; `reason` says why
            CannotName,   // the program's path cannot be written into such a file
        };
        struct Left {
            std::filesystem::path path;
            Problem problem;
            std::string reason;
        };
        std::vector<std::filesystem::path> written;
        std::vector<std::filesystem::path> removed;
        std::vector<Left> left;

        bool Clean() const { return left.empty(); }
    };

    // Whether any of the three context-menu files is there and ours: with one removed
    // by hand, the others still offer Tolvane.
    bool ContextMenuExists() const;
    // Writes the three context-menu files, replacing those of ours (so doing it again
    // changes nothing) and leaving a file of the user's alone.
    Outcome AddContextMenu() const;
    // Removes the three context-menu files that are ours, and nothing else.
    Outcome RemoveContextMenu() const;
    // Writes the Send To entry and the "Open With" desktop entry where nothing is yet;
    // an existing file is left as it is.
    Outcome AddSendTo() const;

    // Whether the file at `path` bears one of our marker lines.
    static bool IsOurs(const std::filesystem::path& path);

  private:
    struct File {
        std::filesystem::path path;
        std::string contents;  // empty when the program cannot be named in it
        unsigned mode;
    };
    std::vector<File> ContextMenuFiles() const;
    std::vector<File> SendToFiles() const;
    static void Write(const File& file, Outcome& outcome);

    std::filesystem::path program_;
    std::filesystem::path dataHome_;
};

// The arguments of the program's command line, with every argument that is a local
// file:// URI (as some file managers hand over a selection) turned into its path.
std::vector<std::string> ArgumentsWithUrisAsPaths(int argc, char** argv);

}  // namespace tolvane
