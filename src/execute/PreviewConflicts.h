#pragma once

#include <atomic>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class FileSystem;

// A row as the conflict check reads it.
struct ConflictRow {
    std::wstring_view name;
    std::wstring_view newName;
    std::wstring_view folder;
    bool checked = true;
};

// Why a row's rename would fail, known before anything is renamed.
struct RowConflict {
    enum class Kind {
        Taken,    // a file outside the batch has the new name (or one that will not move)
        Twice,    // an earlier row wants the same new name
        Refused,  // the new name is empty, no file name, too long, or a bare extension
    };
    size_t row = 0;
    Kind kind = Kind::Taken;
    std::wstring reason;
};

// The rows of a pass that could not be renamed, as the pass itself would find them: a
// new name that an earlier row wants, one the file system would not take, and one that
// a file has which does not move away in the pass (a file outside the batch, or the
// source of a row that itself cannot be renamed). A new name held by the row's own
// file under another letter case is no conflict. One look at the disk per row whose
// new name is not another row's name. Stops early, returning what it found, when
// `cancel` turns true.
std::vector<RowConflict> FindConflicts(std::span<const ConflictRow> rows, FileSystem& fs,
                                       const std::atomic<bool>* cancel = nullptr);

}  // namespace tolvane
