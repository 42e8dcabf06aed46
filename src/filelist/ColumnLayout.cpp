#include "ColumnLayout.h"

#include "engine/LanguageKeys.h"
#include "settings/Settings.h"

namespace tolvane {

namespace {

constexpr ColumnInfo kInfos[] = {
    {ColumnKind::Serial, "serial", 65, 65, 0},
    {ColumnKind::Name, "name", 220, 220, 0},
    {ColumnKind::NewName, "newName", 250, 250, 0},
    {ColumnKind::Status, "status", 70, 70, 0},
    {ColumnKind::Size, "size", 60, 60, 32852},
    {ColumnKind::Extension, "extension", 50, 60, 32853},
    {ColumnKind::Created, "cDate", 130, 130, 32854},
    {ColumnKind::Modified, "mDate", 130, 130, 32855},
    {ColumnKind::Folder, "path", 120, 120, 0},
};

}  // namespace

const ColumnInfo& InfoOf(ColumnKind kind) {
    return kInfos[static_cast<size_t>(kind)];
}

std::wstring HeaderText(ColumnKind kind, const TextSource& texts) {
    const char* key = InfoOf(kind).key;
    return texts.ItemText(key, BuiltInText(key));
}

ColumnKind KindOf(OptionalColumn column) {
    return static_cast<ColumnKind>(static_cast<int>(ColumnKind::Size) + static_cast<int>(column));
}

std::optional<OptionalColumn> OptionalColumnOfCommand(int commandId) {
    for (OptionalColumn column : kOptionalColumns) {
        if (InfoOf(KindOf(column)).commandId == commandId)
            return column;
    }
    return std::nullopt;
}

int ColumnLayout::Count() const {
    int count = 5;
    for (bool on : on_)
        count += on ? 1 : 0;
    return count;
}

bool ColumnLayout::AnyOptionalOn() const {
    return Count() > 5;
}

ColumnKind ColumnLayout::KindAt(int column) const {
    if (column <= kStatus)
        return static_cast<ColumnKind>(column);
    if (column >= FolderColumn())
        return ColumnKind::Folder;
    int index = kStatus;
    for (OptionalColumn optional : kOptionalColumns) {
        if (IsOn(optional) && ++index == column)
            return KindOf(optional);
    }
    return ColumnKind::Folder;
}

std::optional<int> ColumnLayout::IndexOf(OptionalColumn column) const {
    if (!IsOn(column))
        return std::nullopt;
    int index = kStatus;
    for (OptionalColumn optional : kOptionalColumns) {
        if (IsOn(optional))
            ++index;
        if (optional == column)
            return index;
    }
    return std::nullopt;
}

ColumnLayout ColumnsFromSettings(const Settings& settings) {
    return ColumnLayout({settings.Flag(keys::kColumnSize), settings.Flag(keys::kColumnExtension),
                         settings.Flag(keys::kColumnCreated),
                         settings.Flag(keys::kColumnModified)});
}

}  // namespace tolvane
