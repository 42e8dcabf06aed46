#include "TextModeSession.h"

#include <algorithm>

#include "ClipboardTexts.h"
#include "engine/StringOps.h"

namespace tolvane {

namespace {

std::wstring LineText(std::wstring_view line) {
    return std::wstring(TrimBlanks(PastedName(line)));
}

}  // namespace

std::wstring TextModeNewName(std::wstring_view name, std::wstring_view line) {
    std::wstring newName = LineText(line);
    const std::wstring extension = ExtensionOf(name);
    if (!extension.empty())
        newName.append(L".").append(extension);
    return newName;
}

std::wstring TextModeSession::Begin(const FileList& list) {
    lines_.clear();
    lines_.reserve(list.RowCount() + 1);
    keys_.clear();
    keys_.reserve(list.RowCount());
    std::wstring text;
    for (size_t r = 0; r < list.RowCount(); ++r) {
        std::wstring stem = StemOf(list.Row(r).newName);
        if (stem.empty())
            stem = StemOf(list.Row(r).name);
        // A name may hold a line break; its row still gets one line.
        for (wchar_t& c : stem) {
            if ((c < 0x20 && c != L'\t') || c == 0x85 || c == 0x2028 || c == 0x2029)
                c = 0xFFFD;
        }
        text += stem;
        text += L'\n';
        lines_.push_back(std::move(stem));
        keys_.push_back(list.Row(r).key);
    }
    lines_.emplace_back();  // after the last line feed
    rowOfKey_.clear();
    mapBuilt_ = false;
    coloured_ = false;
    active_ = true;
    return text;
}

void TextModeSession::End() {
    active_ = false;
    lines_.clear();
    keys_.clear();
    rowOfKey_.clear();
    mapBuilt_ = false;
}

long long TextModeSession::RowOf(const FileList& list, size_t line) {
    if (line >= keys_.size())
        return -1;
    const std::uint64_t key = keys_[line];
    // Mostly the rows are still where they were.
    if (line < list.RowCount() && list.Row(line).key == key)
        return static_cast<long long>(line);
    if (!mapBuilt_ || mapGeneration_ != list.Generation()) {
        rowOfKey_.clear();
        rowOfKey_.reserve(list.RowCount());
        for (size_t r = 0; r < list.RowCount(); ++r)
            rowOfKey_.emplace(list.Row(r).key, r);
        mapGeneration_ = list.Generation();
        mapBuilt_ = true;
    }
    const auto found = rowOfKey_.find(key);
    return found == rowOfKey_.end() ? -1 : static_cast<long long>(found->second);
}

void TextModeSession::Apply(FileList& list, size_t row, std::wstring_view line) {
    std::wstring newName = TextModeNewName(list.Row(row).name, line);
    if (list.Row(row).newName != newName)
        list.SetNewName(row, std::move(newName));
}

ColourMark TextModeSession::ColourOf(const FileList& list, size_t row, std::wstring_view line) {
    const bool changed = StemOf(list.Row(row).name) != LineText(line);
    return {static_cast<int>(row), ColumnLayout::kNewName, changed ? kRedText : kBlackText,
            kWhiteBackground};
}

// A click on the list empties the colour table, a pass colours its results and changes
// the rows' names: then the colour of every line's row is worked out again.
void TextModeSession::Recolour(FileList& list) {
    std::vector<ColourMark> marks;
    marks.reserve(list.Colours().Entries().size() + keys_.size());
    for (const ColourMark& mark : list.Colours().Entries()) {
        if (mark.column != ColumnLayout::kNewName)
            marks.push_back(mark);
    }
    for (size_t i = 0; i < keys_.size(); ++i) {
        const long long row = RowOf(list, i);
        if (row >= 0)
            marks.push_back(ColourOf(list, static_cast<size_t>(row), lines_[i]));
    }
    list.SetColours(marks);
}

size_t TextModeSession::Replace(FileList& list, size_t first, size_t removed,
                                std::vector<std::wstring> lines) {
    if (!active_)
        return 0;
    first = std::min(first, lines_.size());
    removed = std::min(removed, lines_.size() - first);
    const size_t added = lines.size();
    // When the count of lines changed, every line after the edit stands at another
    // place now, so for another row.
    const size_t end = added == removed ? first + added : lines_.size() - removed + added;
    const auto at = [&](size_t i) { return lines_.begin() + static_cast<std::ptrdiff_t>(i); };
    const std::vector<std::wstring> old(at(first), at(std::min(end, lines_.size())));
    lines_.erase(at(first), at(first + removed));
    lines_.insert(at(first), std::make_move_iterator(lines.begin()),
                  std::make_move_iterator(lines.end()));
    // While nobody else changed the colour table since the last edit, only the rows
    // of the edited lines can have changed colour.
    const bool recolourAll = !coloured_ || list.Colours().Version() != colourVersion_;
    size_t applied = 0;
    for (size_t i = first; i < end; ++i) {
        if (i - first < old.size() && old[i - first] == lines_[i])
            continue;
        const long long row = RowOf(list, i);
        if (row < 0)
            continue;
        Apply(list, static_cast<size_t>(row), lines_[i]);
        if (!recolourAll)
            list.SetCellColour(ColourOf(list, static_cast<size_t>(row), lines_[i]));
        ++applied;
    }
    if (recolourAll)
        Recolour(list);
    colourVersion_ = list.Colours().Version();
    coloured_ = true;
    return applied;
}

}  // namespace tolvane
