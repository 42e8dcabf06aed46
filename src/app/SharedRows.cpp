#include "SharedRows.h"

#include "filelist/FileList.h"

namespace tolvane {

std::shared_ptr<const RowsSnapshot> SharedRows::Now() {
    if (last_ && last_->generation == list_.Generation() && last_->names.size() == list_.RowCount())
        return last_;
    last_.reset();  // not held twice while the new one is made
    auto snapshot = std::make_shared<RowsSnapshot>();
    snapshot->generation = list_.Generation();
    snapshot->names.reserve(list_.RowCount());
    snapshot->folders.reserve(list_.RowCount());
    for (size_t r = 0; r < list_.RowCount(); ++r) {
        snapshot->names.push_back(list_.Row(r).name);
        snapshot->folders.push_back(list_.Row(r).folder);
    }
    last_ = std::move(snapshot);
    return last_;
}

}  // namespace tolvane
