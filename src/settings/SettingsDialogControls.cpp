#include "SettingsDialogControls.h"

#include <string>

namespace tolvane {

namespace {

using K = ControlKind;

constexpr ControlInfo kControls[] = {
    {1104, K::CheckBox, L"重命名后重置改名选项", 0, 0, 0, 0, kNoFlags},
    {1131, K::CheckBox, L"重命名后刷新文件列表", 0, 0, 0, 0, kNoFlags},
    {1032, K::CheckBox, L"重命名后清空文件列表", 0, 0, 0, 0, kNoFlags},
    {1133, K::CheckBox, L"显示工具栏", 0, 0, 0, 0, kNoFlags},
    {1155, K::CheckBox, L"显示工具提示", 0, 0, 0, 0, kNoFlags},
    {1159, K::CheckBox, L"自动导入上次改名配置", 0, 0, 0, 0, kNoFlags},
    {1053, K::CheckBox, L"文件列表在初始化时排序", 0, 0, 0, 0, kNoFlags},
    {1054, K::CheckBox, L"新文件名在初始化时更新", 0, 0, 0, 0, kNoFlags},
    {1158, K::StaticText, L"保存表单记录条数：", 0, 0, 0, 0, kNoFlags},
    {1120, K::Edit, L"", 0, 0, 0, 0, kDigitsOnly},
    {1121, K::Spin, L"", 0, 0, 0, 0, kNoFlags},
    {1163, K::StaticText, L"语言", 0, 0, 0, 0, kNoFlags},
    {1088, K::DropDownList, L"", 0, 0, 0, 0, kNoFlags},
    {1156, K::CheckBox, L"添加到右键菜单", 0, 0, 0, 0, kNoFlags},
    {1119, K::Link, L"<a>添加至“发送到”</a>", 0, 0, 0, 0, kNoFlags},
    {1160, K::StaticText,
     L"（右键菜单项加入 Dolphin、Nemo 和 GNOME 文件的右键菜单，选中多少文件都会显示。“发送到”把 "
     L"Tolvane 加入 Thunar 的“发送到”菜单和各文件管理器的“打开方式”。）",
     0, 0, 0, 0, kNoFlags},
    {1116, K::CheckBox, L"添加到“发送到”", 0, 0, 0, 0, kHidden},
    {1161, K::PushButton, L"保存(Ctrl+S)", 0, 0, 0, 0, kNoFlags},
    {1162, K::PushButton, L"取消(ESC)", 0, 0, 0, 0, kNoFlags},
};

}  // namespace

std::span<const ControlInfo> SettingsDialogControls() {
    return kControls;
}

bool IsSharedWithMainWindow(int id) {
    return FindMainWindowControl(id) != nullptr;
}

std::wstring SettingsDialogTextKey(int id) {
    return (IsSharedWithMainWindow(id) ? L"set" : L"") + std::to_wstring(id);
}

}  // namespace tolvane
