#include "PathRegistry.h"

#include <limits>

#include "engine/TextConvert.h"

namespace tolvane {

bool PathRegistry::Contains(std::wstring_view path) const {
    return index_.find(ToNarrow(path)) != index_.end();
}

void PathRegistry::Append(std::wstring_view path) {
    AppendBytes(ToNarrow(path));
}

void PathRegistry::AppendBytes(std::string bytes) {
    slots_.push_back(std::move(bytes));
    live_.push_back(true);
    index_.emplace(slots_.back(), static_cast<std::uint32_t>(slots_.size() - 1));
}

bool PathRegistry::RemoveFirst(std::wstring_view path) {
    return RemoveFirstBytes(ToNarrow(path));
}

bool PathRegistry::RemoveFirstBytes(const std::string& key) {
    auto [begin, end] = index_.equal_range(key);
    if (begin == end)
        return false;
    auto first = begin;
    for (auto it = begin; it != end; ++it) {
        if (it->second < first->second)
            first = it;
    }
    live_[first->second] = false;
    index_.erase(first);
    if (slots_.size() > 1024 && index_.size() < slots_.size() / 2)
        Compact();
    return true;
}

void PathRegistry::ReplaceBytes(const std::string& from, std::string to) {
    auto [begin, end] = index_.equal_range(from);
    if (begin == end) {
        AppendBytes(std::move(to));
        return;
    }
    auto first = begin;
    for (auto it = begin; it != end; ++it) {
        if (it->second < first->second)
            first = it;
    }
    // The index node is taken out, pointed at the new text and put back: no allocation.
    auto node = index_.extract(first);
    slots_[node.mapped()] = std::move(to);
    node.key() = slots_[node.mapped()];
    index_.insert(std::move(node));
}

void PathRegistry::Clear() {
    index_.clear();
    slots_.clear();
    live_.clear();
}

std::vector<std::wstring> PathRegistry::Entries() const {
    std::vector<std::wstring> entries;
    entries.reserve(index_.size());
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (live_[i])
            entries.push_back(ToWide(slots_[i]));
    }
    return entries;
}

void PathRegistry::Compact() {
    std::deque<std::string> slots;
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (live_[i])
            slots.push_back(std::move(slots_[i]));
    }
    slots_ = std::move(slots);
    live_.assign(slots_.size(), true);
    index_.clear();
    index_.reserve(slots_.size());
    for (size_t i = 0; i < slots_.size(); ++i)
        index_.emplace(slots_[i], static_cast<std::uint32_t>(i));
}

}  // namespace tolvane
