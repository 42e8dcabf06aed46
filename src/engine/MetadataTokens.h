#pragma once

#include <string>
#include <string_view>

#include "metadata/FileMetadata.h"

namespace tolvane {

// A template token whose value the file itself holds:
//   <edate> <etime> <EY> <EM> <ED> <camera> <width> <height>  of a picture,
//   <artist> <album> <title> <genre> <year> <track>            of an audio file.
// A file without the value gives empty text.
struct MetadataToken {
    std::wstring_view text;
    MetadataKind kind;
    std::wstring (*value)(const FileMetadata&);
};

// The token `text` starts with, if it is one of them.
const MetadataToken* MetadataTokenAt(std::wstring_view text);

// The kinds of metadata (MetadataKind bits) the tokens of a template read; 0 when it
// reads none.
unsigned MetadataKindsOf(std::wstring_view templateText);

// A text from a tag made fit to be part of a name: tabs and line breaks become
// blanks; other control characters, bidirectional controls, bytes that are not
// UTF-8 and the nine characters no name holds are removed; blanks at both ends are
// trimmed; at most kMaxMetadataNameChars characters are kept.
std::wstring NameSafeText(std::string_view utf8);

inline constexpr size_t kMaxMetadataNameChars = 255;

}  // namespace tolvane
