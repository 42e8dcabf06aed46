#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace tolvane {

// Whether each of many paths (their bytes) names something on disk, a dangling
// symbolic link included, as PathExists answers for one. A folder asked about for many
// names is listed once instead of being looked up name by name: after a pass of
// 100,000 renames one listing costs a fraction of 100,000 lookups. A name the listing
// lacks is still looked up on its own, so a file system that ignores case, or a name
// made since the listing, answers as the lookup would.
std::vector<bool> PathsExist(std::span<const std::string_view> paths);

}  // namespace tolvane
