#include "PreviewConflicts.h"

#include <algorithm>
#include <cerrno>
#include <unordered_map>

#include "FileSystem.h"
#include "RenameTarget.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

struct Candidate {
    size_t row;
    std::string from;
    std::string to;
};

}  // namespace

std::vector<RowConflict> FindConflicts(std::span<const ConflictRow> rows, FileSystem& fs,
                                       const std::atomic<bool>* cancel) {
    const auto cancelled = [cancel] {
        return cancel != nullptr && cancel->load(std::memory_order_relaxed);
    };
    std::vector<RowConflict> conflicts;
    std::vector<Candidate> candidates;
    std::unordered_map<std::string, size_t> byTarget;
    std::wstring_view lastFolder;
    std::string folderBytes;
    // Cancelled at any row: a check of names being replaced holds up the next preview.
    for (size_t r = 0; r < rows.size() && !cancelled(); ++r) {
        const ConflictRow& row = rows[r];
        if (!row.checked)
            continue;
        RenameTarget target = TargetOf(row.name, row.newName);
        if (target.kind == RenameTarget::Kind::Unchanged)
            continue;
        if (target.kind == RenameTarget::Kind::Refused) {
            conflicts.push_back({r, RowConflict::Kind::Refused, std::move(target.reason)});
            continue;
        }
        if (r == 0 || row.folder != lastFolder) {
            lastFolder = row.folder;
            folderBytes = ToNarrow(row.folder) + '/';
        }
        Candidate candidate{r, folderBytes, folderBytes};
        AppendNarrow(candidate.from, row.name);
        AppendNarrow(candidate.to, target.name);
        const auto [it, fresh] = byTarget.emplace(candidate.to, candidates.size());
        if (!fresh) {
            conflicts.push_back({r, RowConflict::Kind::Twice,
                                 L"row " + std::to_wstring(candidates[it->second].row + 1) +
                                     L" is renamed to the same name"});
            continue;
        }
        candidates.push_back(std::move(candidate));
    }

    // A new name that is another rename's source is free once that rename is made;
    // any other new name must be free on disk now.
    std::unordered_map<std::string_view, size_t> bySource;
    for (size_t i = 0; i < candidates.size() && !cancelled(); ++i)
        bySource.emplace(candidates[i].from, i);
    std::vector<size_t> waitedBy(candidates.size(), kNone);
    std::vector<bool> refused(candidates.size(), false);
    std::vector<size_t> failed;
    for (size_t i = 0; i < candidates.size() && !cancelled(); ++i) {
        const Candidate& c = candidates[i];
        if (const auto it = bySource.find(c.to); it != bySource.end()) {
            waitedBy[it->second] = i;
            continue;
        }
        if (fs.Exists(c.to) && !fs.SameFile(c.from, c.to)) {
            refused[i] = true;
            failed.push_back(i);
            conflicts.push_back({c.row, RowConflict::Kind::Taken, ErrorText(EEXIST)});
        }
    }
    // A rename that cannot be made keeps its file, and so the name another wanted.
    while (!failed.empty()) {
        const size_t blocker = failed.back();
        failed.pop_back();
        const size_t i = waitedBy[blocker];
        if (i == kNone || refused[i])
            continue;
        refused[i] = true;
        failed.push_back(i);
        conflicts.push_back({candidates[i].row, RowConflict::Kind::Taken,
                             L"its new name is still taken: row " +
                                 std::to_wstring(candidates[blocker].row + 1) +
                                 L" could not be renamed"});
    }
    std::sort(conflicts.begin(), conflicts.end(),
              [](const RowConflict& a, const RowConflict& b) { return a.row < b.row; });
    return conflicts;
}

}  // namespace tolvane
