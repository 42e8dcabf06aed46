#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RenameOptions.h"
#include "TextSource.h"

namespace tolvane {

// Display name -> expression of the regular-expression preset list. Keeps the
// order in which names were first added; a later entry of the same name replaces
// the expression in place.
class PresetExpressionTable {
  public:
    void Set(std::wstring name, std::wstring expression);
    std::optional<std::wstring> Find(std::wstring_view name) const;
    const std::vector<std::pair<std::wstring, std::wstring>>& Entries() const { return entries_; }

  private:
    std::vector<std::pair<std::wstring, std::wstring>> entries_;
};

// Inserts like a combo box does: an index beyond the end fails and lists nothing.
bool InsertListItem(std::vector<std::wstring>& items, int index, std::wstring text);

// Item texts of the conversion list 1073 (indexes 0..9), the generated-name list
// 1072 (0..5) and the anchor-side list 1088 (before, after).
std::vector<std::wstring> ConversionItems(const TextSource& texts);
std::vector<std::wstring> SequenceItems(const TextSource& texts);
std::vector<std::wstring> AnchorSideItems(const TextSource& texts);

// The word the anchor-side text is compared with ("前" unless a language says otherwise).
std::wstring BeforeWord(const TextSource& texts);

struct RegexPresetList {
    std::vector<std::wstring> items;  // list 1089, "不选择" first
    PresetExpressionTable table;
};

// List 1089 from the stored user rules ("name#expression;" each): "不选择", the user
// rules, the five presets. A rule without '#' is skipped but still counts for the
// index at which later rules are inserted.
RegexPresetList BuildRegexPresetList(std::wstring_view userRules, const TextSource& texts);

// List 1071 from the stored user templates (';'-separated): "不选择", then the
// user templates placed among the twelve presets by their index.
std::vector<std::wstring> BuildTemplatePresetList(std::wstring_view userTemplates,
                                                  const TextSource& texts);

// Choosing item `index` of list 1089: its expression (empty when the name has
// none, as for "不选择") goes into the find box and the regex box is checked.
void ApplyRegexPreset(RenameOptions& options, const RegexPresetList& list, int index);

}  // namespace tolvane
