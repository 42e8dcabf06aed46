#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "Clock.h"
#include "metadata/FileMetadata.h"

namespace tolvane {

// What the expansion of one template reads besides the template itself.
struct TemplateInputs {
    std::wstring_view serialText;   // empty unless serial numbering is on
    std::wstring_view counterText;  // the two-digit counter
    std::wstring_view dateText;     // "%Y-%m-%d" of the clock reading
    std::wstring_view timeText;     // "%H%M%S" of the clock reading
    const std::tm* now = nullptr;   // the clock reading, local time
    // Reads the times of folder + "/" + old name; called only when a token needs them.
    std::function<FileTimes()> readFileTimes;
    // Reads what folder + "/" + old name says of itself (see MetadataTokens.h);
    // called at most once, and only when a token needs it.
    std::function<FileMetadata()> readMetadata;
    std::wstring_view folder;
    std::wstring_view oldName;
    std::wstring_view workingName;  // the name as the steps before the template left it
    bool ignoreExtension = false;
};

// Expands the tokens in a fixed order: <#> then every remaining '#', <r>, <date>,
// <time>, <Y> <M> <D> <y> <m> <d>, <mdate> <mtime> <cdate> <ctime>; last, in one
// sweep, <dir>, <name>, <self> and the tokens read from the file. Values brought in
// by a later token are never scanned for earlier ones, nor those of the last sweep
// for any token. A name longer than `limit` is cut to `limit` + 1 characters, and
// no more than that is built.
std::wstring ExpandTemplate(std::wstring_view templateText, const TemplateInputs& in,
                            size_t limit = std::wstring::npos - 1);

// Whether the template uses a token whose value comes from the file's times.
bool TemplateNeedsFileTimes(std::wstring_view templateText);

}  // namespace tolvane
