#include "MenuTable.h"

namespace tolvane {

namespace {

constexpr MenuTitleInfo kTitles[] = {
    {"file", L"文件"},    {"operation", L"操作"}, {"configuration", L"配置文件"},
    {"setting", L"设置"}, {"help", L"帮助"},
};

using M = MenuId;

constexpr MenuItemInfo kItems[] = {
    {M::MenuBar, 0, 32771, L"添加文件\tF3", nullptr},
    {M::MenuBar, 0, 32772, L"从文件夹添加\tF4", nullptr},
    {M::MenuBar, 0, 32779, L"导入需改名的文件路径列表\tF6", nullptr},
    {M::MenuBar, 0, 32802, L"从剪切板导入文件路径列表\tF7", nullptr},
    {M::MenuBar, 0, 32773, L"重新启动程序\tCtrl+R", nullptr},
    {M::MenuBar, 0, 32774, L"退出\tCtrl+Q", nullptr},
    {M::MenuBar, 1, 32775, L"执行改名\tCtrl+F2", nullptr},
    {M::MenuBar, 1, 32776, L"撤销改名\tCtrl+Shift+F2", nullptr},
    {M::MenuBar, 1, 32778, L"重置选项\tF8", nullptr},
    {M::MenuBar, 1, 32777, L"清空文件列表\tF9", nullptr},
    {M::MenuBar, 2, 32781, L"导出当前的改名配置\tAlt+O", nullptr},
    {M::MenuBar, 2, 32782, L"导入改名配置\tAlt+I", nullptr},
    {M::MenuBar, 3, 32784, L"设置\tAlt+S", nullptr},
    {M::MenuBar, 4, 32785, L"帮助...", nullptr},
    {M::MenuBar, 4, 32898, L"捐赠...", nullptr},
    {M::MenuBar, 4, 32786, L"关于...", nullptr},

    {M::RowMenu, 0, 32886, L"置顶\tAlt+Home", "setTop"},
    {M::RowMenu, 0, 32888, L"上移\tAlt+↑", "moveUp"},
    {M::RowMenu, 0, 32889, L"下移\tAlt+↓", "moveDown"},
    {M::RowMenu, 0, 32887, L"置底\tAlt+End", "setBottom"},
    {M::RowMenu, 0, 32879, L"修改选中的文件名\tF2", "modifyName"},
    {M::RowMenu, 0, 32828, L"勾选", "check"},
    {M::RowMenu, 0, 32829, L"取消勾选", "uncheck"},
    {M::RowMenu, 0, 32790, L"从列表中移除\tDelete", "remove"},
    {M::RowMenu, 0, 32794, L"打开文件", "openFile"},
    {M::RowMenu, 0, 32793, L"打开文件所在的位置", "openFolderOfFile"},
    {M::RowMenu, 0, 32796, L"清空文件列表", "clear"},

    {M::ImportExport, 0, 32797, L"从剪切板导入到新文件名", nullptr},
    {M::ImportExport, 0, 32798, L"导出文件名到剪切板", nullptr},
    {M::ImportExport, 0, 32799, L"导出新文件名到剪切板", nullptr},
    {M::ImportExport, 0, 32800, L"导出文件名和新文件名到剪切板（包含路径）", nullptr},
    {M::ImportExport, 0, 32897, L"导出所有信息到剪切板", nullptr},

    {M::Columns, 0, 32857, L"自适应列宽", "autoWidth"},
    {M::Columns, 0, 32852, L"大小", "size"},
    {M::Columns, 0, 32853, L"扩展名", "extension"},
    {M::Columns, 0, 32854, L"创建日期", "cDate"},
    {M::Columns, 0, 32855, L"修改日期", "mDate"},
};

}  // namespace

std::span<const MenuTitleInfo> MenuBarTitles() {
    return kTitles;
}

std::span<const MenuItemInfo> MenuItems() {
    return kItems;
}

}  // namespace tolvane
