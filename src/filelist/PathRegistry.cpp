#include "PathRegistry.h"

#include <limits>

#include "engine/TextConvert.h"

namespace tolvane {

bool PathRegistry::Contains(std::wstring_view path) const {
    return index_.find(ToNarrow(path)) != index_.end();
}

void PathRegistry::Append(std::wstring_view path) {
    slots_.push_back(ToNarrow(path));
    live_.push_back(true);
    index_.emplace(slots_.back(), static_cast<std::uint32_t>(slots_.size() - 1));
}

bool PathRegistry::RemoveFirst(std::wstring_view path) {
    const std::string key = ToNarrow(path);
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
