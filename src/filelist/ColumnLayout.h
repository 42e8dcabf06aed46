#pragma once

#include <array>
#include <optional>
#include <string>

#include "engine/TextSource.h"

namespace tolvane {

// The optional columns, in their fixed order between the status and folder columns.
enum class OptionalColumn { Size = 0, Extension = 1, Created = 2, Modified = 3 };
inline constexpr std::array<OptionalColumn, 4> kOptionalColumns = {
    OptionalColumn::Size, OptionalColumn::Extension, OptionalColumn::Created,
    OptionalColumn::Modified};

// What kind of cell a column shows.
enum class ColumnKind { Serial, Name, NewName, Status, Size, Extension, Created, Modified, Folder };

struct ColumnInfo {
    ColumnKind kind;
    const char* key;      // language key of the header
    int startWidth;       // pixels at start-up
    int switchedOnWidth;  // pixels when switched on from the menu (optional columns)
    int commandId;        // menu command and "listSet" key of an optional column
};

const ColumnInfo& InfoOf(ColumnKind kind);

// The header of a column: the language's text for its key, the built-in title without one.
std::wstring HeaderText(ColumnKind kind, const TextSource& texts);
ColumnKind KindOf(OptionalColumn column);
std::optional<OptionalColumn> OptionalColumnOfCommand(int commandId);

// Columns 0..3 are serial, name, new name and status; the optional columns that are
// switched on follow in their fixed order; the folder column is always last.
class ColumnLayout {
  public:
    static constexpr int kSerial = 0;
    static constexpr int kName = 1;
    static constexpr int kNewName = 2;
    static constexpr int kStatus = 3;

    ColumnLayout() = default;
    explicit ColumnLayout(std::array<bool, 4> switchedOn) : on_(switchedOn) {}

    int Count() const;
    int FolderColumn() const { return Count() - 1; }
    ColumnKind KindAt(int column) const;
    bool IsOn(OptionalColumn column) const { return on_[static_cast<size_t>(column)]; }
    // The index of an optional column, none while it is off.
    std::optional<int> IndexOf(OptionalColumn column) const;
    void Set(OptionalColumn column, bool on) { on_[static_cast<size_t>(column)] = on; }
    bool AnyOptionalOn() const;

  private:
    std::array<bool, 4> on_{};
};

class Settings;

// The columns of the list at start-up: the optional ones whose "listSet" switch is "1".
ColumnLayout ColumnsFromSettings(const Settings& settings);

}  // namespace tolvane
