#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// A path list is read whole, so it is bounded: a million lines of long paths fit.
inline constexpr std::uint64_t kMaxPathListSize = 256u << 20;

// The text of a path-list file: UTF-8 with or without byte-order mark, UTF-16 with
// byte-order mark, UTF-16 without one (told by the zero bytes of its ASCII
// characters, which no name holds), otherwise GB18030 (the encoding of Chinese
// Windows text files).
std::wstring DecodePathListText(std::string_view bytes);

// The lines of a path list that name an existing file or folder, as they stand
// (only the line ends are removed; a relative line counts from the working folder),
// each as the whole path the system resolves it to, in list order. A line holding
// a NUL names nothing.
std::vector<std::wstring> PathsFromListBytes(std::string_view bytes);

// The same, read from a file (also a pipe) of at most kMaxPathListSize bytes. A file
// that cannot be read gives none, and `problem` says why.
std::vector<std::wstring> ReadPathListFile(const std::filesystem::path& file,
                                           std::string* problem = nullptr);
// The same, read from an open descriptor such as standard input.
std::vector<std::wstring> ReadPathListDescriptor(int fd, std::string* problem = nullptr);

// The local path of the first file:// URI in `line`, its percent-escapes decoded:
// "file:///a%20b" or "file://localhost/a%20b" gives "/a b". The URI ends at a blank,
// an angle bracket or a closing quote. None when the line holds no local file URI.
std::optional<std::wstring> PathOfFileUri(std::wstring_view line);

// The paths a clipboard line may name, the likeliest first. A file:// URI with its
// percent-escapes decoded; else the absolute paths: one starts at a '/' that begins
// the line or follows a blank (it runs to the end of the line) or an opening quote
// (it ends at the closing quote), the last start first so that of two paths the
// second is taken, then the earlier ones, since a path may itself hold " /"; then a
// Windows drive path; a line without any comes back as it is.
std::vector<std::wstring> PathCandidatesOfLine(std::wstring_view line);

// The likeliest path of a clipboard line, whether or not it exists.
std::wstring ExtractPathFromLine(std::wstring_view line);

// The existing paths of a clipboard text, one per line, each line trimmed first:
// of each line's candidates, the first absolute one that names an existing item.
// Lines longer than any path are skipped.
std::vector<std::wstring> PathsFromClipboardText(std::wstring_view text);

}  // namespace tolvane
