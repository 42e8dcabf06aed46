#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// The longest name, in bytes, that the file systems of Linux take.
inline constexpr size_t kMaxNameBytes = 255;

// What a checked row asks of a pass, from its name and the new name it shows: the new
// name without the characters no name may hold and without blanks at its end (the old
// name is used as it is: a name may end in blanks).
struct RenameTarget {
    enum class Kind {
        Unchanged,  // the cleaned new name is the name
        Rename,     // to `name`
        Refused,    // `reason` says why: empty, "." or "..", too long, or only an
                    // extension where the name had more (".jpg" for "IMG_1.jpg")
    };
    Kind kind = Kind::Unchanged;
    std::wstring name;
    std::wstring reason;
};

RenameTarget TargetOf(std::wstring_view name, std::wstring_view newName);

}  // namespace tolvane
