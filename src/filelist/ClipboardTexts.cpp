#include "ClipboardTexts.h"

#include "engine/StringOps.h"

namespace tolvane {

namespace {

// One line per row. The text is sized before it is written: the texts of a long list
// run to tens of megabytes, and growing them step by step costs more than writing them.
template <class Size, class Line>
std::wstring PerRow(const FileList& list, Size size, Line line) {
    size_t total = 0;
    for (size_t r = 0; r < list.RowCount(); ++r)
        total += size(r) + 1;
    std::wstring text;
    text.reserve(total);
    for (size_t r = 0; r < list.RowCount(); ++r) {
        line(text, r);
        text += L'\n';
    }
    return text;
}

}  // namespace

std::wstring ExportNames(const FileList& list) {
    return PerRow(
        list, [&](size_t r) { return list.Row(r).name.size(); },
        [&](std::wstring& text, size_t r) { text += list.Row(r).name; });
}

std::wstring ExportNewNames(const FileList& list) {
    return PerRow(
        list, [&](size_t r) { return list.Row(r).newName.size(); },
        [&](std::wstring& text, size_t r) { text += list.Row(r).newName; });
}

std::wstring ExportPathsAndNewPaths(const FileList& list) {
    return PerRow(
        list,
        [&](size_t r) {
            return 2 * list.Folder(r).size() + list.Row(r).name.size() +
                   list.Row(r).newName.size() + 3;
        },
        [&](std::wstring& text, size_t r) {
            const std::wstring& folder = list.Folder(r);
            text += folder;
            text += L'/';
            text += list.Row(r).name;
            text += L'\t';
            text += folder;
            text += L'/';
            text += list.Row(r).newName;
        });
}

std::wstring ExportAllColumns(const FileList& list) {
    return PerRow(
        list,
        [&](size_t r) {
            const FileItem& row = list.Row(r);
            return row.name.size() + row.newName.size() + row.status.size() +
                   list.Folder(r).size() + 64;
        },
        [&](std::wstring& text, size_t r) {
            const size_t start = text.size();
            for (int c = 0; c < list.Columns().Count(); ++c) {
                text += list.CellText(r, c);
                text += L'\t';
            }
            while (text.size() > start && text.back() == L'\t')
                text.pop_back();
        });
}

std::wstring PastedName(std::wstring_view line) {
    std::wstring name;
    name.reserve(line.size());
    for (const wchar_t c : line) {
        if (c == L'\t')
            name += L' ';
        else if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0) && c != 0x2028 && c != 0x2029)
            name += c;
    }
    return name;
}

void PasteNewNames(FileList& list, std::wstring_view text) {
    if (list.Empty())
        return;
    const std::vector<std::wstring> lines = SplitString(text, L'\n');
    list.ClearColours();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::wstring line(TrimTrailingBlanks(PastedName(lines[i])));
        if (i == list.RowCount())
            break;
        const bool changed = line != list.Row(i).newName;
        list.AppendColour({static_cast<int>(i), ColumnLayout::kNewName,
                           changed ? kRedText : kBlackText, kImportBackground});
        list.SetNewName(i, std::move(line));
    }
}

}  // namespace tolvane
