#include "SharedRows.h"

#include "filelist/FileList.h"

namespace tolvane {

std::shared_ptr<const RowsSnapshot> SharedRows::Now() {
    const size_t rows = list_.RowCount();
    if (last_ && last_->generation == list_.Generation() && last_->Size() == rows)
        return last_;
    last_.reset();  // not held twice while the new one is made
    auto snapshot = std::make_shared<RowsSnapshot>();
    snapshot->generation = list_.Generation();
    size_t length = 0;
    for (size_t r = 0; r < rows; ++r)
        length += list_.Row(r).name.size();
    snapshot->text.reserve(length);
    snapshot->ends.reserve(rows);
    snapshot->folders.reserve(rows);
    for (size_t r = 0; r < rows; ++r) {
        const FileItem& row = list_.Row(r);
        snapshot->text += row.name;
        snapshot->ends.push_back(static_cast<std::uint32_t>(snapshot->text.size()));
        if (snapshot->heldFolders.empty() || snapshot->heldFolders.back() != row.folder)
            snapshot->heldFolders.push_back(row.folder);
        snapshot->folders.push_back(row.folder.get());
    }
    last_ = std::move(snapshot);
    return last_;
}

}  // namespace tolvane
