#include "RenamePlan.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
#include <string_view>

#include "engine/TextConvert.h"

namespace tolvane {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// Finds a rename by one of its paths: open addressing over indexes, without a node
// per entry (a batch of 100,000 renames builds two of these). Hashes are computed once
// per path by the caller.
class PathIndex {
  public:
    PathIndex(const std::vector<WantedRename>& renames, std::string WantedRename::*path)
        : renames_(renames), path_(path) {
        size_t capacity = 16;
        while (capacity < renames.size() * 2)
            capacity *= 2;
        slots_.assign(capacity, kEmpty);
    }

    // The rename whose path is `key`, or kNone.
    size_t Find(std::string_view key, size_t hash) const {
        for (size_t slot = hash & (slots_.size() - 1);; slot = (slot + 1) & (slots_.size() - 1)) {
            if (slots_[slot] == kEmpty)
                return kNone;
            if (renames_[slots_[slot]].*path_ == key)
                return slots_[slot];
        }
    }

    void Insert(size_t index, size_t hash) {
        size_t slot = hash & (slots_.size() - 1);
        while (slots_[slot] != kEmpty)
            slot = (slot + 1) & (slots_.size() - 1);
        slots_[slot] = static_cast<std::uint32_t>(index);
    }

  private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;

    const std::vector<WantedRename>& renames_;
    std::string WantedRename::*path_;
    std::vector<std::uint32_t> slots_;
};

}  // namespace

RenamePlan PlanRenames(std::vector<WantedRename> wanted) {
    RenamePlan plan;
    plan.renames.reserve(wanted.size());
    // First pass: accept in row order; the indexes look into `wanted`, which stays put.
    PathIndex bySource(wanted, &WantedRename::from), byTarget(wanted, &WantedRename::to);
    std::vector<size_t> fromHash(wanted.size()), toHash(wanted.size());
    const std::hash<std::string_view> hash;
    std::vector<bool> accepted(wanted.size(), false);
    for (size_t w = 0; w < wanted.size(); ++w) {
        const WantedRename& rename = wanted[w];
        fromHash[w] = hash(rename.from);
        toHash[w] = hash(rename.to);
        if (const size_t other = bySource.Find(rename.from, fromHash[w]); other != kNone) {
            plan.refused.push_back({rename.row, L"the file is listed twice; row " +
                                                    std::to_wstring(wanted[other].row + 1) +
                                                    L" renames it"});
            continue;
        }
        if (const size_t other = byTarget.Find(rename.to, toHash[w]); other != kNone) {
            plan.refused.push_back({rename.row, L"row " + std::to_wstring(wanted[other].row + 1) +
                                                    L" is renamed to the same name"});
            continue;
        }
        bySource.Insert(w, fromHash[w]);
        byTarget.Insert(w, toHash[w]);
        accepted[w] = true;
    }
    // Indexes into the accepted renames, in row order.
    std::vector<size_t> indexOf(wanted.size(), kNone);
    size_t n = 0;
    for (size_t w = 0; w < wanted.size(); ++w) {
        if (accepted[w])
            indexOf[w] = n++;
    }
    // Who waits for whom, while the maps can still look into `wanted`.
    plan.waitsFor.assign(n, kNone);
    std::vector<size_t> waitedBy(n, kNone);
    for (size_t w = 0; w < wanted.size(); ++w) {
        if (!accepted[w])
            continue;
        const size_t source = bySource.Find(wanted[w].to, toHash[w]);
        if (source == kNone)
            continue;
        plan.waitsFor[indexOf[w]] = indexOf[source];
        waitedBy[indexOf[source]] = indexOf[w];
    }
    for (size_t w = 0; w < wanted.size(); ++w) {
        if (accepted[w])
            plan.renames.push_back(std::move(wanted[w]));
    }

    // Deepest first; a rename's chain or cycle lies in one folder, so in one depth.
    std::vector<size_t> depth(n);
    for (size_t i = 0; i < n; ++i) {
        const std::string& from = plan.renames[i].from;
        depth[i] = static_cast<size_t>(std::count(from.begin(), from.end(), '/'));
    }
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    if (std::adjacent_find(depth.begin(), depth.end(), std::not_equal_to<>()) != depth.end()) {
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return depth[a] > depth[b]; });
    }
    std::vector<bool> placed(n, false);
    for (size_t begin = 0, end = 0; begin < n; begin = end) {
        while (end < n && depth[order[end]] == depth[order[begin]])
            ++end;
        // Chains: start where the target is free, then the rename waiting for that one.
        for (size_t o = begin; o < end; ++o) {
            const size_t i = order[o];
            if (plan.waitsFor[i] != kNone)
                continue;
            for (size_t k = i; k != kNone && !placed[k]; k = waitedBy[k]) {
                plan.steps.push_back({PlanStep::Kind::Direct, k, kNone});
                placed[k] = true;
            }
        }
        // What is left forms cycles: one member steps aside to a temporary name, the
        // others follow around the cycle, and the member comes back to its target last.
        for (size_t o = begin; o < end; ++o) {
            const size_t i = order[o];
            if (placed[i])
                continue;
            const size_t cycle = plan.cycleCount++;
            plan.steps.push_back({PlanStep::Kind::ToTemporary, i, cycle});
            placed[i] = true;
            for (size_t k = waitedBy[i]; k != i; k = waitedBy[k]) {
                plan.steps.push_back({PlanStep::Kind::Direct, k, cycle});
                placed[k] = true;
            }
            plan.steps.push_back({PlanStep::Kind::FromTemporary, i, cycle});
        }
    }
    return plan;
}

}  // namespace tolvane
