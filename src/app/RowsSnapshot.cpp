#include "RowsSnapshot.h"

#include "BackgroundPriority.h"

#include <thread>

#include "filelist/FileList.h"

namespace tolvane {

std::shared_ptr<const RowsSnapshot> RowsSnapshot::Of(const FileList& list,
                                                     std::shared_ptr<const RowsSnapshot> last) {
    if (last && last->generation == list.Generation() && last->names.size() == list.RowCount())
        return last;
    auto snapshot = std::make_shared<RowsSnapshot>();
    snapshot->generation = list.Generation();
    snapshot->names.reserve(list.RowCount());
    snapshot->folders.reserve(list.RowCount());
    for (size_t r = 0; r < list.RowCount(); ++r) {
        snapshot->names.push_back(list.Row(r).name);
        snapshot->folders.push_back(list.Row(r).folder);
    }
    return snapshot;
}

void DisposeLater(std::vector<std::wstring> garbage) {
    if (garbage.size() < 1000)
        return;  // cheaper to free here than to start a thread
    std::thread([garbage = std::move(garbage)]() mutable {
        RunBelowInterface();
        garbage.clear();
    }).detach();
}

}  // namespace tolvane
