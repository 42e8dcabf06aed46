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

}  // namespace tolvane
