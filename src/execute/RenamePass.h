#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "FileSystem.h"
#include "UndoRecord.h"
#include "engine/TextSource.h"
#include "filelist/FileList.h"

namespace tolvane {

// The texts a pass writes: status cells and the labels of the summary line.
struct PassTexts {
    std::wstring success, failure, unchanged, unchecked;                      // status cells
    std::wstring successLabel, failureLabel, unchangedLabel, uncheckedLabel;  // summary
    static PassTexts From(const TextSource& texts);
};

struct PassResult {
    int succeeded = 0;
    int failed = 0;
    int unchanged = 0;
    int unchecked = 0;
    std::wstring summary;         // "成功 3, 失败 0, 无修改 1, 未选中 0"
    bool journalWritten = false;  // false: the journal could not be written, nothing moved
    std::wstring journalError;    // why the journal could not be written
};

// Renames every checked row whose cleaned new name differs from its name, planned
// as one batch so that renames that depend on each other succeed, and never over an
// existing file. Writes each row's status (the reason of a failure as its tip) and
// colour, updates the path registry and the undo record, and journals the moves;
// when the journal cannot be written first, nothing is renamed and those rows fail.
// Nothing happens on an empty list.
std::optional<PassResult> ExecuteRenames(FileList& list, UndoRecord& undo, const PassTexts& texts,
                                         FileSystem& fs,
                                         const std::filesystem::path& journalFolder);

// The summary line of a pass.
std::wstring SummaryText(const PassTexts& texts, const PassResult& result);

}  // namespace tolvane
