#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "FileSystem.h"
#include "PassRecord.h"

namespace tolvane {

// A journal file read back, trusting nothing in it: a file that is not a regular
// file, is too large, has another version, a name that leaves its folder ('/', ".",
// ".."), a NUL byte, a folder that is not absolute, a plan line before any folder
// line, or numbers that are malformed, out of range or repeated is refused, and then
// nothing of it may be acted on. Room that a crash left unwritten after the plan is
// skipped, as is a last line cut short.
struct JournalRead {
    PassRecord pass;
    std::wstring error;  // why the file is refused; empty when it was read
};
JournalRead ReadJournalPass(const std::filesystem::path& file);

// The newest pass of `folder` (by sequence number) that was not undone and may have
// left a file renamed. A journal that is refused stops the search: an older pass must
// not be undone before a newer one.
struct UndoablePass {
    std::optional<PassRecord> pass;
    std::wstring error;
};
UndoablePass LatestUndoablePass(const std::filesystem::path& folder, FileSystem& fs);

}  // namespace tolvane
