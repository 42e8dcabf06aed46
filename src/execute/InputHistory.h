#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class Settings;

// The input history of the editable option boxes. A stored history holds the
// entries oldest first, each followed by ';'; a box's drop-down list shows them
// newest first.

// The most records the settings dialog offers. A larger count typed there is stored
// as typed and kept as this many.
inline constexpr int kMaxHistoryRecords = 20;

// A stored record count as the histories use it: 0 to kMaxHistoryRecords.
int UsableRecordCount(int stored);

// The stored value after a pass in which the box held `text`, keeping `count`
// records: the newest count - 1 other entries, then `text`.
std::wstring RecordedHistory(std::wstring_view stored, std::wstring_view text, int count);

// The drop-down list after the same pass: `text` on top (an equal entry stays where
// it is), the last item dropped when the list holds more than `count`.
void RecordInDropDown(std::vector<std::wstring>& items, std::wstring_view text, int count);

// The entries of a stored history, newest first, as the drop-down list shows them.
std::vector<std::wstring> HistoryEntries(std::wstring_view stored);

// The stored value cut down to its newest `count` entries; the piece after the last
// ';' is left out.
std::wstring TrimmedHistory(std::wstring_view stored, int count);

// The drop-down list shortened from its end to count - 1 entries (count taken as
// UsableRecordCount gives it), as the window does when the record count is lowered.
void ShortenDropDown(std::vector<std::wstring>& items, int count);

// Records the text of box `id` in section "remind" and in its drop-down list; an
// empty text leaves both alone. The count is "set"/"remindCount", at most
// kMaxHistoryRecords.
void RecordInputHistory(const Settings& settings, int id, std::wstring_view text,
                        std::vector<std::wstring>& dropDown);

// The drop-down entries of box `id` from section "remind", newest first.
std::vector<std::wstring> LoadInputHistory(const Settings& settings, int id);

// Cuts the stored history of every box down to `count` entries (at most
// kMaxHistoryRecords).
void TrimInputHistory(const Settings& settings, int count);

}  // namespace tolvane
