#pragma once

#include <functional>
#include <string>
#include <vector>

#include "../TestSupport.h"
#include "engine/Clock.h"
#include "engine/NewNamePipeline.h"
#include "engine/Recompute.h"
#include "engine/RenameOptions.h"

namespace tolvane::test {

using Setup = std::function<void(RenameOptions&)>;

// 29 July 2023, 10:11:12 local time.
inline std::tm July29() {
    std::tm t{};
    t.tm_year = 123;
    t.tm_mon = 6;
    t.tm_mday = 29;
    t.tm_hour = 10;
    t.tm_min = 11;
    t.tm_sec = 12;
    return t;
}

// New names of `names` (all in `folder`) in one full pass with the window's
// default options changed by `setup`, at a fixed clock.
inline std::vector<std::wstring> PreviewNames(const Setup& setup,
                                              const std::vector<std::wstring>& names,
                                              const std::wstring& folder = L"/photos/trip",
                                              std::tm now = July29()) {
    RenameOptions options = RenameOptions::WindowDefaults();
    if (setup)
        setup(options);
    const FixedClock clock(now);
    const NewNamePipeline pipeline(options, clock);
    std::vector<NameRow> rows;
    for (const auto& name : names)
        rows.push_back({name, folder});
    ItemCounter counter;
    return RecomputeAllNewNames(rows, pipeline, counter).newNames;
}

inline std::wstring PreviewName(const Setup& setup, const std::wstring& name) {
    return PreviewNames(setup, {name}).front();
}

}  // namespace tolvane::test
