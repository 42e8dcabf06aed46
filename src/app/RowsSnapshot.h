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

// The new names of the rows, copied for the work on other threads. A row whose new name
// is its name (every row until an option is set) holds no copy of it.
struct NewNamesCopy {
    std::vector<std::wstring> changed;  // empty where the row keeps its name
    std::vector<bool> kept;

    void Reserve(size_t rows) {
        changed.reserve(rows);
        kept.reserve(rows);
    }
    void Add(const std::wstring& name, const std::wstring& newName) {
        const bool same = newName == name;
        changed.push_back(same ? std::wstring() : newName);
        kept.push_back(same);
    }
    size_t Size() const { return kept.size(); }
    // Row `r`'s new name, `names` being the rows' names.
    const std::wstring& Of(size_t r, const std::vector<std::wstring>& names) const {
        return kept[r] ? names[r] : changed[r];
    }
};

// Gives back the memory of what a thread of the window is done with on a thread of its
// own, so that the user-interface thread does not spend its time freeing 100,000 names.
void DisposeLater(std::vector<std::wstring> garbage);

// Hands the memory that large work has freed back to the system, on a thread below the
// user-interface thread: copies of 100,000 names made and freed on other threads leave
// their pages with the process otherwise, and it looks twice its size.
void ReturnFreedMemoryLater();

// Keeps what the process frees for its next allocations until ReturnFreedMemoryLater:
// the names of one keystroke are freed just before those of the next are made, and
// pages given back in between would be faulted in again one by one, which on a virtual
// machine costs more than computing the names.
void HoldFreedMemoryUntilIdle();

}  // namespace tolvane
