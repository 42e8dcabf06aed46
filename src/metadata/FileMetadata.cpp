#include "FileMetadata.h"

namespace tolvane {

std::string CutMetadataText(std::string_view text, size_t limit) {
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    if (text.size() <= limit)
        return std::string(text);
    size_t end = limit;
    // Back to the start of the sequence the cut falls into.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

}  // namespace tolvane
