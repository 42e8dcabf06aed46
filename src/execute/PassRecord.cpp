#include "PassRecord.h"

#include <algorithm>
#include <string_view>

#include "JournalFormat.h"

namespace tolvane {

std::vector<size_t> FirstStepOfEachFile(const std::vector<Move>& moves) {
    std::vector<size_t> first(moves.size());
    // Where each step left its file; a later step of the same file starts there.
    std::unordered_map<std::string_view, size_t> arrivedAt;
    for (size_t s = 0; s < moves.size(); ++s) {
        first[s] = s;
        const auto it = arrivedAt.find(moves[s].from);
        if (it != arrivedAt.end() && moves[it->second].id == moves[s].id) {
            first[s] = first[it->second];
            arrivedAt.erase(it);
        }
        arrivedAt[moves[s].to] = s;
    }
    return first;
}

namespace {

std::string_view FolderOf(const Move& move) {
    const auto split = journal::SplitAtLastSlash(move.to);
    return split ? split->folder : std::string_view();
}

}  // namespace

std::vector<std::int64_t> LatestBirths(const PassRecord& pass) {
    std::unordered_map<std::string_view, std::int64_t> clockOf;
    for (const auto& [step, at] : pass.settled) {
        if (step >= pass.moves.size())
            continue;
        std::int64_t& latest = clockOf[FolderOf(pass.moves[step])];
        latest = std::max(latest, at);
    }
    std::vector<std::int64_t> latest(pass.moves.size(), pass.started);
    if (clockOf.empty())
        return latest;
    for (size_t s = 0; s < pass.moves.size(); ++s) {
        const auto clock = clockOf.find(FolderOf(pass.moves[s]));
        if (clock != clockOf.end())
            latest[s] = std::max(latest[s], clock->second);
    }
    return latest;
}

size_t FilesMoved(const PassRecord& pass) {
    const std::vector<size_t> first = FirstStepOfEachFile(pass.moves);
    std::vector<bool> counted(pass.moves.size(), false);
    size_t files = 0;
    for (size_t s = 0; s < pass.moves.size(); ++s) {
        if (pass.claims[s] == StepClaim::Made && !counted[first[s]]) {
            counted[first[s]] = true;
            ++files;
        }
    }
    return files;
}

}  // namespace tolvane
