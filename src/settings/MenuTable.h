#pragma once

#include <span>

namespace tolvane {

// The menus of the main window as data. Command ids double as the keys of
// language files; the pop-up menus 131 and 186 are translated by named keys.
enum class MenuId : int { MenuBar = 130, RowMenu = 131, ImportExport = 138, Columns = 186 };

struct MenuItemInfo {
    MenuId menu;
    int title;            // menu-bar title position the item belongs to (menu bar only)
    int commandId;        // 0 for a separator
    const wchar_t* text;  // built-in caption; "\t" separates the shortcut text
    const char* key;      // named key of a pop-up menu item, nullptr when the id is the key
};

// The five menu-bar titles, by position.
struct MenuTitleInfo {
    const char* key;
    const wchar_t* resourceText;  // shown without a language file
};
std::span<const MenuTitleInfo> MenuBarTitles();

// Every menu item of every menu, in menu order.
std::span<const MenuItemInfo> MenuItems();

namespace cmd {
inline constexpr int kAddFiles = 32771;
inline constexpr int kAddFolder = 32772;
inline constexpr int kRestart = 32773;
inline constexpr int kExit = 32774;
inline constexpr int kExecute = 32775;
inline constexpr int kUndo = 32776;
inline constexpr int kClearList = 32777;
inline constexpr int kResetOptions = 32778;
inline constexpr int kImportPathList = 32779;
inline constexpr int kExportProfile = 32781;
inline constexpr int kImportProfile = 32782;
inline constexpr int kSettings = 32784;
inline constexpr int kHelp = 32785;
inline constexpr int kAbout = 32786;
inline constexpr int kRemove = 32790;
inline constexpr int kOpenFolderOfFile = 32793;
inline constexpr int kOpenFile = 32794;
inline constexpr int kClearList2 = 32796;
inline constexpr int kPasteNewNames = 32797;
inline constexpr int kCopyNames = 32798;
inline constexpr int kCopyNewNames = 32799;
inline constexpr int kCopyNamesAndNewNames = 32800;
inline constexpr int kImportClipboardPaths = 32802;
inline constexpr int kCheck = 32828;
inline constexpr int kUncheck = 32829;
inline constexpr int kAlwaysOnTop = 32847;
inline constexpr int kColumnSize = 32852;
inline constexpr int kColumnExtension = 32853;
inline constexpr int kColumnCreated = 32854;
inline constexpr int kColumnModified = 32855;
inline constexpr int kFitColumns = 32857;
inline constexpr int kRenameSelected = 32879;
inline constexpr int kMoveTop = 32886;
inline constexpr int kMoveBottom = 32887;
inline constexpr int kMoveUp = 32888;
inline constexpr int kMoveDown = 32889;
inline constexpr int kCopyAll = 32897;
inline constexpr int kDonate = 32898;
}  // namespace cmd

}  // namespace tolvane
