#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {

// The names and folders of every row, copied once for the work done on other threads
// and shared until the rows change: typing in an option box does not copy 100,000
// names again for every key.
struct RowsSnapshot {
    std::vector<std::wstring> names;
    std::vector<std::shared_ptr<const std::wstring>> folders;
    std::uint64_t generation = 0;
};

// Gives back the memory of what a thread of the window is done with on a thread of its
// own, so that the user-interface thread does not spend its time freeing 100,000 names.
void DisposeLater(std::vector<std::wstring> garbage);

// Hands the memory that large work has freed back to the system, on a thread below the
// user-interface thread: copies of 100,000 names made and freed on other threads leave
// their pages with the process otherwise, and it looks twice its size.
void ReturnFreedMemoryLater();

}  // namespace tolvane
