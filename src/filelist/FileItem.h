#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "FileStat.h"

namespace tolvane {

// One row of the file list.
struct FileItem {
    int serial = 0;          // column 0, 1-based
    std::uint64_t key = 0;   // the row's own for as long as it is listed, whatever its place
    std::wstring name;       // column 1: current name with extension
    std::wstring newName;    // column 2: the preview
    std::wstring status;     // column 3: written by a rename pass
    std::wstring statusTip;  // why the rename of this row failed
    std::shared_ptr<const std::wstring> folder;  // last column; rows of one folder share it
    FileStat stat;  // size and times, read when an optional column needs them
    bool statRead = false;
    bool checked = true;
    bool selected = false;
};

}  // namespace tolvane
