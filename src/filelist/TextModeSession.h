#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "FileList.h"

namespace tolvane {

// The lines of the text-mode editor and the rows they stand for. Line i stands for
// the row that was row i when the text was made: rows sorted, moved, removed or added
// meanwhile never make a line rename another row, and a line whose row is gone, or a
// line beyond the last row, changes nothing. An edit changes only the rows of the
// lines it touched, so that typing stays quick on a long list.
class TextModeSession {
  public:
    // The editor's text for the rows as they are now, as BuildTextModeText makes it
    // but with one line for each row even when a name holds a line break (it shows
    // as U+FFFD); from here the lines stand for these rows.
    std::wstring Begin(const FileList& list);
    void End();
    bool Active() const { return active_; }
    size_t LineCount() const { return lines_.size(); }
    const std::wstring& Line(size_t line) const { return lines_[line]; }

    // The editor replaced its lines first .. first + removed - 1 by `lines` (an edit
    // inside one line replaces that line by its new text). Every line whose text or
    // place changed gives the row it stands for its new name: the line trimmed and
    // cleaned, with the extension of the row's name. Then every line's row is drawn
    // red when its line differs from the stem of its name, black when not; rows left
    // without a line keep their new names. Returns the number of rows that took a line.
    size_t Replace(FileList& list, size_t first, size_t removed, std::vector<std::wstring> lines);

  private:
    // The current index of the row line `line` stands for; -1 when there is none.
    long long RowOf(const FileList& list, size_t line);
    void Apply(FileList& list, size_t row, std::wstring_view line);
    static ColourMark ColourOf(const FileList& list, size_t row, std::wstring_view line);
    void Recolour(FileList& list);

    bool active_ = false;
    std::vector<std::wstring> lines_;
    std::vector<std::uint64_t> keys_;  // the row of each line, by its key
    // Where each key is now, found again only when rows moved.
    std::unordered_map<std::uint64_t, size_t> rowOfKey_;
    std::uint64_t mapGeneration_ = 0;
    bool mapBuilt_ = false;
    // The colour table as the last edit left it.
    std::uint64_t colourVersion_ = 0;
    bool coloured_ = false;
};

// The new name that text-mode line `line` gives a row named `name`.
std::wstring TextModeNewName(std::wstring_view name, std::wstring_view line);

}  // namespace tolvane
