#include "RenameTarget.h"

#include "engine/StringOps.h"
#include "engine/TextConvert.h"

namespace tolvane {

RenameTarget TargetOf(std::wstring_view name, std::wstring_view newName) {
    RenameTarget target;
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
