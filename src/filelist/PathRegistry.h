#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane {

// The full paths of the items in the list, used to refuse duplicates. Ordered as
// added, compared exactly and case-sensitively; a hash index beside the entries
// makes a lookup O(1) instead of a scan.
class PathRegistry {
  public:
    bool Contains(std::wstring_view path) const;
    void Append(std::wstring_view path);
    // Removes the first entry equal to `path`; false when there is none.
    bool RemoveFirst(std::wstring_view path);
    // The same with the path's bytes (its narrow form).
    void AppendBytes(std::string bytes);
    bool RemoveFirstBytes(const std::string& bytes);
    // A renamed path: the first entry equal to `from` becomes `to` (appended when
    // there is none).
    void ReplaceBytes(const std::string& from, std::string to);
    void Clear();
    size_t Size() const { return index_.size(); }
    // The entries in their order.
    std::vector<std::wstring> Entries() const;

  private:
    void Compact();

    // UTF-8 keeps the entries small; a deque never moves them, so the index can
    // point into them.
    std::deque<std::string> slots_;
    std::vector<bool> live_;
    std::unordered_multimap<std::string_view, std::uint32_t> index_;
};

}  // namespace tolvane
