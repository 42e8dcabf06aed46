#include "PassRecord.h"

#include <string_view>

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
