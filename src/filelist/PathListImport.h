#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The text of a path-list file: UTF-8 with or without byte-order mark, UTF-16 with
// byte-order mark, otherwise GB18030 (the encoding of Chinese Windows text files).
std::wstring DecodePathListText(std::string_view bytes);

// The lines of a path-list file that name an existing file or folder, as they stand
// (only the line ends are removed; a relative line counts from the working folder),
// each as the whole path the system resolves it to, in file order. An unreadable
// file gives none.
std::vector<std::wstring> ReadPathListFile(const std::filesystem::path& file);

// The path a clipboard line names: a file:// URI with its percent-escapes decoded,
// an absolute path (also inside quotes or after a list number such as "1. "), or a
// Windows drive path. A line without one comes back as it is.
std::wstring ExtractPathFromLine(std::wstring_view line);

// The existing paths of a clipboard text, one per line, each line trimmed first.
std::vector<std::wstring> PathsFromClipboardText(std::wstring_view text);

}  // namespace tolvane
