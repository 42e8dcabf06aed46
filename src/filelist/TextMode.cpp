#include "TextMode.h"

#include "engine/StringOps.h"

namespace tolvane {

std::wstring BuildTextModeText(const FileList& list) {
    std::wstring text;
    for (size_t r = 0; r < list.RowCount(); ++r) {
        std::wstring stem = StemOf(list.Row(r).newName);
        if (stem.empty())
            stem = StemOf(list.Row(r).name);
        text += stem;
        text += L'\n';
    }
    return text;
}

void ApplyTextEdits(FileList& list, std::wstring_view text) {
    const std::vector<std::wstring> lines = SplitString(text, L'\n');
    list.ClearColours();
    for (size_t i = 0; i < lines.size() && i < list.RowCount(); ++i) {
        const std::wstring line(TrimBlanks(lines[i]));
        const std::wstring extension = ExtensionOf(list.Row(i).name);
        std::wstring newName = line;
        if (!extension.empty())
            newName.append(L".").append(extension);
        const bool changed = StemOf(list.Row(i).name) != line;
        list.SetNewName(i, std::move(newName));
        list.AppendColour({static_cast<int>(i), ColumnLayout::kNewName,
                           changed ? kRedText : kBlackText, kWhiteBackground});
    }
}

}  // namespace tolvane
