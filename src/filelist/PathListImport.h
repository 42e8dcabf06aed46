#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// A path list is read whole, so it is bounded: a million lines of long paths fit.
// Its lines are decoded one at a time, so memory stays near the size of the file.
inline constexpr std::uint64_t kMaxPathListSize = 256u << 20;

// Where the relative lines of a path list count from: the folder of the list file in
// the window (whose working folder is whatever the desktop started it in), the working
// folder on the command line, as shell tools count them.
enum class RelativeLines { FromWorkingFolder, FromListFolder };

// The text of a path-list file: UTF-8 with or without byte-order mark, UTF-16 with
// byte-order mark, UTF-16 without one (told by the zero bytes of its ASCII
// characters, which no name holds), otherwise GB18030 (the encoding of Chinese
// Windows text files).
std::wstring DecodePathListText(std::string_view bytes);

// The lines of a path list (encoded as DecodePathListText reads them) that name an
// existing file or folder, each as the whole path the system resolves it to, in list
// order. Only the line ends are removed: a line names the path as it stands, and
// without its blanks at either end only when nothing exists as it stands. A relative
// line counts from `relativeTo` (the working folder when empty). A line holding a NUL,
// a line longer than any path, and the bare lines "." and ".." name nothing.
std::vector<std::wstring> PathsFromListBytes(std::string_view bytes,
                                             const std::filesystem::path& relativeTo = {});

// The same, read from a file (also a pipe) of at most kMaxPathListSize bytes. A file
// that cannot be read gives none, and `problem` says why.
std::vector<std::wstring> ReadPathListFile(const std::filesystem::path& file,
                                           RelativeLines relative, std::string* problem = nullptr);
// The same, read from an open descriptor such as standard input; relative lines count
// from the working folder.
std::vector<std::wstring> ReadPathListDescriptor(int fd, std::string* problem = nullptr);

// The local path (bytes) of the percent-encoded path of a file URI, its escapes
// decoded: "/a%20b" gives "/a b". None when an escape stands for a NUL or a '/': no
// file name holds either, so such a URI names no file (and "%2F" must not turn into
// a folder separator).
std::optional<std::string> DecodeFileUriPath(std::string_view encoded);

// The local path of the first file:// URI in `line`, decoded by DecodeFileUriPath:
// "file:///a%20b" or "file://localhost/a%20b" gives "/a b". The URI ends at a blank,
// an angle bracket or a closing quote. None when the line holds no local file URI,
// or one that names no file.
std::optional<std::wstring> PathOfFileUri(std::wstring_view line);

// The paths a clipboard line may name, the likeliest first. A local file:// URI gives
// its decoded path, or nothing when it names no file. Otherwise the path as given
// comes first: the line itself when it starts with '/', blanks at its end included,
// and the text inside quotes around the whole line (which may hold the quote, as in
// '/d/it's.txt'). Then the absolute paths found in the line, then in the line without
// its end blanks: one starts at a '/' that begins the line or follows a blank (it runs
// to the end of the line) or an opening quote (it ends at the closing quote), the last
// start first so that of two paths the second is taken, then the earlier ones, since a
// path may itself hold " /"; then a Windows drive path; a line without any comes back
// as it is.
std::vector<std::wstring> PathCandidatesOfLine(std::wstring_view line);

// The likeliest path found in a clipboard line, whether or not it exists (the first
// of the absolute paths found, else the Windows path, else the line).
std::wstring ExtractPathFromLine(std::wstring_view line);

// The existing paths of a clipboard text, one per line: of each line's candidates,
// the first absolute one that names an existing item. The clipboard has no folder, so
// a relative line names nothing. Lines longer than any path are skipped.
std::vector<std::wstring> PathsFromClipboardText(std::wstring_view text);

}  // namespace tolvane
