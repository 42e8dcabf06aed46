#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {

class FileList;

// The names and folders of every row, copied once for the work done on other threads
// and shared until the rows change: typing in an option box does not copy 100,000
// names again for every key.
struct RowsSnapshot {
    std::vector<std::wstring> names;
    std::vector<std::shared_ptr<const std::wstring>> folders;
    std::uint64_t generation = 0;

    // The snapshot of the rows as they are now: `last` when the rows have not changed
    // since it was taken, else a new one.
    static std::shared_ptr<const RowsSnapshot> Of(const FileList& list,
                                                  std::shared_ptr<const RowsSnapshot> last);
};

// Gives back the memory of what a thread of the window is done with on a thread of its
// own, so that the user-interface thread does not spend its time freeing 100,000 names.
void DisposeLater(std::vector<std::wstring> garbage);

}  // namespace tolvane
