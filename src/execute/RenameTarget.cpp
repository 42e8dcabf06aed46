#include "RenameTarget.h"

#include "engine/StringOps.h"
#include "engine/TextConvert.h"

namespace tolvane {

RenameTarget TargetOf(std::wstring_view name, std::wstring_view newName) {
    RenameTarget target;
    if (newName.size() > kMaxNewNameLength) {
        // The new-name steps stopped building it there.
        target.kind = RenameTarget::Kind::Refused;
        target.reason =
            L"the new name is too long: more than " + std::to_wstring(kMaxNewNameLength) +
            L" characters; file systems take at most " + std::to_wstring(kMaxNameBytes) + L" bytes";
        return target;
    }
    std::wstring cleaned = StripInvalidNameChars(newName);
    if (cleaned == name)
        return target;
    cleaned.resize(TrimTrailingBlanks(cleaned).size());
    if (cleaned == name)
        return target;
    target.kind = RenameTarget::Kind::Refused;
    if (cleaned.empty()) {
        target.reason = L"the new name is empty";
    } else if (cleaned == L"." || cleaned == L".." || cleaned.find(L'\0') != std::wstring::npos) {
        target.reason = L"the new name is not a file name";
    } else if (StemOf(cleaned).empty() && !StemOf(name).empty()) {
        // A template token with no value for this file (a photo without a capture date,
        // an untagged song) would leave a bare extension: a hidden file, not a name.
        target.reason =
            L"the new name has nothing before its extension: the template gave "
            L"nothing for this file";
    } else if (const size_t bytes =
                   cleaned.size() * 4 <= kMaxNameBytes ? 0 : ToNarrow(cleaned).size();
               bytes > kMaxNameBytes) {
        target.reason = L"the new name is " + std::to_wstring(bytes) +
                        L" bytes long; file systems take at most " + std::to_wstring(kMaxNameBytes);
    } else {
        target.kind = RenameTarget::Kind::Rename;
        target.name = std::move(cleaned);
    }
    return target;
}

}  // namespace tolvane
