#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The names and folders of every row, copied once for the work done on other threads
// and shared until the rows change: typing in an option box does not copy 100,000
// names again for every key.
struct RowsSnapshot {
    // The names one after another in one text: a copy of 100,000 names is one
    // allocation, not one per row.
    std::wstring text;
    std::vector<std::uint32_t> ends;  // where each row's name ends in `text`
    // Each row's folder; `heldFolders` keeps the distinct ones alive.
    std::vector<const std::wstring*> folders;
    std::vector<std::shared_ptr<const std::wstring>> heldFolders;
    std::uint64_t generation = 0;

    size_t Size() const { return ends.size(); }
    std::wstring_view Name(size_t r) const {
        const size_t begin = r == 0 ? 0 : ends[r - 1];
        return std::wstring_view(text).substr(begin, ends[r] - begin);
    }
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
    void Add(std::wstring_view name, const std::wstring& newName) {
        const bool same = newName == name;
        changed.push_back(same ? std::wstring() : newName);
        kept.push_back(same);
    }
    size_t Size() const { return kept.size(); }
    // Row `r`'s new name.
    std::wstring_view Of(size_t r, const RowsSnapshot& rows) const {
        return kept[r] ? rows.Name(r) : std::wstring_view(changed[r]);
    }
};

// Gives back the memory of what a thread of the window is done with on a thread of its
// own, so that the user-interface thread does not spend its time freeing 100,000 names.
void DisposeLater(std::vector<std::wstring> garbage);

// Hands the memory that large work has freed back to the system, on a thread below the
// user-interface thread: copies of 100,000 names made and freed on other threads leave
// their pages with the process otherwise, and it looks twice its size.
void ReturnFreedMemoryLater();

// Keeps what the process frees for its next allocations, whichever thread made them,
// until ReturnFreedMemoryLater: the names of one keystroke are freed just before those
// of the next are made, and pages given back in between would be faulted in again one
// by one, which on a virtual machine costs more than computing the names. Called before
// the window starts its threads.
void HoldFreedMemoryUntilIdle();

}  // namespace tolvane
