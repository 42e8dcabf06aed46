#pragma once

#include <string_view>
#include <vector>

namespace tolvane {

// A name a pattern may use for a property value, and the short name it stands for.
struct PropertyName {
    std::wstring_view name;
    std::wstring_view shortName;
};

extern const std::vector<PropertyName> kGeneralCategoryNames;
extern const std::vector<PropertyName> kScriptNames;
extern const std::vector<std::wstring_view> kBinaryPropertyNames;

}  // namespace tolvane
