#include "InputHistory.h"

#include <algorithm>

#include "engine/ControlTable.h"
#include "engine/StringOps.h"
#include "settings/Settings.h"

namespace tolvane {

int UsableRecordCount(int stored) {
    return std::clamp(stored, 0, kMaxHistoryRecords);
}

std::wstring RecordedHistory(std::wstring_view stored, std::wstring_view text, int count) {
    const std::vector<std::wstring> pieces = SplitString(stored, L';');
    const auto k = static_cast<long long>(pieces.size());
    const long long start = k > count ? k - count : 0;
    std::wstring value;
    for (long long i = start; i < k; ++i) {
        const std::wstring& piece = pieces[static_cast<size_t>(i)];
        if (piece.empty() || piece == text)
            continue;
        value += piece;
        value += L';';
    }
    if (count > 0) {
        value += text;
        value += L';';
    }
    return value;
}

void RecordInDropDown(std::vector<std::wstring>& items, std::wstring_view text, int count) {
    items.insert(items.begin(), std::wstring(text));
    if (static_cast<long long>(items.size()) > count)
        items.pop_back();
}

std::vector<std::wstring> HistoryEntries(std::wstring_view stored) {
    std::vector<std::wstring> entries;
    if (stored.empty())
        return entries;
    for (std::wstring& piece : SplitString(stored, L';')) {
        if (!piece.empty())
            entries.insert(entries.begin(), std::move(piece));
    }
    return entries;
}

std::wstring TrimmedHistory(std::wstring_view stored, int count) {
    const std::vector<std::wstring> pieces = SplitString(stored, L';');
    const auto end = static_cast<long long>(pieces.size()) - 1;
    const long long start = count < end ? end - count : 0;
    std::wstring value;
    for (long long i = start; i < end; ++i) {
        const std::wstring& piece = pieces[static_cast<size_t>(i)];
        if (piece.empty())
            continue;
        value += piece;
        value += L';';
    }
    return value;
}

void ShortenDropDown(std::vector<std::wstring>& items, int count) {
    const auto keep = static_cast<size_t>(std::max(UsableRecordCount(count) - 1, 0));
    if (items.size() > keep)
        items.resize(keep);
}

void RecordInputHistory(const Settings& settings, int id, std::wstring_view text,
                        std::vector<std::wstring>& dropDown) {
    const int count = UsableRecordCount(settings.Number(keys::kRemindCount));
    if (text.empty())
        return;
    const std::wstring key = std::to_wstring(id);
    settings.Write(kRemindSection, key,
                   RecordedHistory(settings.Read(kRemindSection, key), text, count));
    RecordInDropDown(dropDown, text, count);
}

std::vector<std::wstring> LoadInputHistory(const Settings& settings, int id) {
    return HistoryEntries(settings.Read(kRemindSection, std::to_wstring(id)));
}

void TrimInputHistory(const Settings& settings, int count) {
    count = UsableRecordCount(count);
    for (int id : kHistoryComboIds) {
        const std::wstring key = std::to_wstring(id);
        settings.Write(kRemindSection, key,
                       TrimmedHistory(settings.Read(kRemindSection, key), count));
    }
}

}  // namespace tolvane
