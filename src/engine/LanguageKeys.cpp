#include "LanguageKeys.h"

namespace tolvane {

namespace {

using K = TextKind;

constexpr LanguageKey kKeys[] = {
    // Menu-bar titles.
    {"file", K::Lookup, L"文件", ""},
    {"operation", K::Lookup, L"选项", ""},
    {"configuration", K::Lookup, L"配置", ""},
    {"setting", K::Lookup, L"设置", ""},
    {"help", K::Lookup, L"帮助", ""},
    // Items of the option lists.
    {"before", K::Item, L"前", ""},
    {"before", K::Lookup, L"前", "pipeline"},
    {"after", K::Item, L"后", ""},
    {"noSelect", K::Item, L"不选择", ""},
    {"noSelect", K::Lookup, L"不选择", "template"},
    {"nameLower", K::Item, L"全部小写", ""},
    {"nameUpper", K::Item, L"全部大写", ""},
    {"nameFirstCharUpper", K::Item, L"首字母大写", ""},
    {"extUpper", K::Item, L"扩展名大写", ""},
    {"extLower", K::Item, L"扩展名小写", ""},
    {"one2CnOne", K::Item, L"1转一", ""},
    {"cnOne2one", K::Item, L"一转1", ""},
    {"CNT2CNS", K::Item, L"繁体转简体", ""},
    {"CNS2CNT", K::Item, L"简体转繁体", ""},
    {"increaseNum", K::Item, L"数字递增", ""},
    {"randomNum", K::Item, L"随机数", ""},
    {"dateAndNum", K::Item, L"日期+数字递增", ""},
    {"dateAndRandom", K::Item, L"日期+随机数", ""},
    {"nameAndDate", K::Item, L"原名+日期", ""},
    {"alphanumeric", K::Item, L"字母数字", ""},
    {"noAlphanumeric", K::Item, L"非字母数字", ""},
    {"specialCharacters", K::Item, L"特殊字符", ""},
    // Column titles and the column menu.
    {"serial", K::Item, L"序号", ""},
    {"name", K::Item, L"文件名", ""},
    {"newName", K::Item, L"新文件名", ""},
    {"status", K::Item, L"状态", ""},
    {"path", K::Item, L"路径", ""},
    {"size", K::Item, L"大小", ""},
    {"extension", K::Item, L"扩展名", ""},
    {"cDate", K::Item, L"创建日期", ""},
    {"mDate", K::Item, L"修改日期", ""},
    {"autoWidth", K::Item, L"自适应列宽", ""},
    // Tool tips.
    {"includeAllFiles", K::Lookup, L"包含文件夹下的所有文件", ""},
    {"useRegx", K::Lookup, L"使用正则表达式", ""},
    {"tipResetOptions", K::Lookup, L"重置改名选项（F8）", ""},
    {"tipRename", K::Lookup, L"执行改名(Ctrl+F2)", ""},
    {"lastOptions", K::Lookup, L"使用上次的改名选项", ""},
    {"useTextMode", K::Lookup, L"切换到文本模式", ""},
    {"wildcardsAndRegx", K::Lookup, L"支持*?通配符、正则表达式", ""},
    {"addFile", K::Lookup, L"添加文件(F3)", ""},
    {"addFolder", K::Lookup, L"从文件夹添加(F4)", ""},
    {"tipCancelRename", K::Lookup, L"撤销改名(Ctrl+Shift+F2)", ""},
    {"tipSetting", K::Lookup, L"设置(Alt+S)", ""},
    {"setWindowTop", K::Lookup, L"置顶(Ctrl+T)", ""},
    {"cancelWindowTop", K::Lookup, L"取消置顶(Ctrl+T)", ""},
    {"l2r", K::Lookup, L"从前往后", ""},
    {"r2l", K::Lookup, L"从后往前", ""},
    // The row menu of the list.
    {"setTop", K::Item, L"置顶\tAlt+Home", ""},
    {"moveUp", K::Item, L"上移\tAlt+↑", ""},
    {"moveDown", K::Item, L"下移\tAlt+↓", ""},
    {"setBottom", K::Item, L"置底\tAlt+End", ""},
    {"modifyName", K::Item, L"修改选中的文件名\tF2", ""},
    {"check", K::Item, L"勾选", ""},
    {"uncheck", K::Item, L"取消勾选", ""},
    {"remove", K::Item, L"从列表中移除\tDelete", ""},
    {"openFile", K::Item, L"打开文件", ""},
    {"openFolderOfFile", K::Item, L"打开文件所在的位置", ""},
    {"clear", K::Item, L"清空文件列表", ""},
    // Dialogs, the status line and rename results.
    {"allFiles", K::Lookup, L"所有文件", ""},
    {"selectFolder", K::Lookup, L"选择文件夹", ""},
    {"files", K::Lookup, L"个对象", ""},
    {"saveFile", K::Lookup, L"保存文件", ""},
    {"notice", K::Lookup, L"提示", ""},
    {"cancelRename", K::Lookup, L"确定要撤销命名吗？", ""},
    {"cancelSucess", K::Lookup, L"撤销成功", ""},
    {"sucess", K::Lookup, L"√成功", ""},
    {"sucess", K::Lookup, L"成功", "summary"},
    {"fail", K::Lookup, L"×失败", ""},
    {"fail", K::Lookup, L"失败", "summary"},
    {"noModify", K::Lookup, L"无修改", ""},
    {"unchecked", K::Lookup, L"未选中", ""},
    // What the window says beyond the statuses and the summary.
    {"fileList", K::Lookup, L"文件列表", ""},
    {"progress", K::Lookup, L"进度", ""},
    // What a screen reader calls the status line while it is empty, the arrows of the
    // number fields (%1: what the field holds) and the fields themselves.
    {"statusLine", K::Lookup, L"状态", ""},
    {"increaseField", K::Lookup, L"增加 %1", ""},
    {"decreaseField", K::Lookup, L"减少 %1", ""},
    {"insertPosition", K::Lookup, L"插入位置", ""},
    {"deleteFrom", K::Lookup, L"删除起始位置", ""},
    {"deleteCount", K::Lookup, L"删除字符数", ""},
    {"serialStart", K::Lookup, L"序号起始值", ""},
    {"serialStep", K::Lookup, L"序号增量", ""},
    {"serialDigits", K::Lookup, L"序号位数", ""},
    {"patternInvalid", K::Lookup, L"查找内容不是有效的表达式：", ""},
    {"patternGaveUp", K::Lookup, L"查找的表达式运算过久，已放弃，部分新文件名不完整", ""},
    {"filterGaveUp", K::Lookup, L"过滤的表达式运算过久，已放弃", ""},
    {"onTopByDesktop", K::Lookup, L"Wayland 下只有桌面能置顶窗口：请用窗口菜单（Alt+空格）中的置顶",
     ""},
    {"nothingRenamed", K::Lookup, L"没有文件被改名。", ""},
    {"journalFailed", K::Lookup, L"无法写入改名记录，因此没有文件被改名：", ""},
    {"nameTaken", K::Lookup, L"×已存在", ""},
    {"nameTwice", K::Lookup, L"×重名", ""},
    {"nameRefused", K::Lookup, L"×名称不可用", ""},
    {"conflicts", K::Lookup, L"冲突", ""},
    {"undoJournalPass", K::Lookup,
     L"本次运行没有改名记录。要撤销 %1 的改名吗？那次共改名 %2 个文件。", ""},
    {"journalRefused", K::Lookup, L"改名记录不可信，没有文件被移回：", ""},
    {"passBusy", K::Lookup, L"另一个改名或撤销正在进行，没有改动任何文件，请在它完成后再试", ""},
    {"passLockFailed", K::Lookup, L"无法锁定改名记录，没有改动任何文件：", ""},
    {"journalChanged", K::Lookup, L"确认期间另一个改名或撤销改变了改名记录，没有文件被移回", ""},
    {"linesDiffer", K::Lookup, L"注意：文本有 %1 行，列表有 %2 个对象，每行改名它所在位置的对象",
     ""},
    {"clipboardSilent", K::Lookup, L"持有剪切板的程序没有回应，剪切板未被读取", ""},
    {"renameAfterReading", K::Lookup, L"正在读取文件中的信息，读完后开始改名", ""},
    {"renameCancelled", K::Lookup, L"读取期间选项或列表已改变，没有改名", ""},
    // Rename configuration files and the file managers' menus.
    {"profileSaved", K::Lookup, L"改名配置已导出到 %1", ""},
    {"profileNotWritten", K::Lookup, L"无法写入改名配置文件 %1，原有文件保持不变", ""},
    {"profileLoaded", K::Lookup, L"已导入改名配置 %1", ""},
    {"profileNotRead", K::Lookup, L"无法读取改名配置文件 %1：%2", ""},
    {"menuFileNotOurs", K::Lookup, L"以下文件不是 Tolvane 写入的，已保持原样：", ""},
    {"menuFileNotWritten", K::Lookup, L"以下文件无法写入或删除：", ""},
    {"menuFileCannotName", K::Lookup, L"程序的路径无法写入以下文件：", ""},
};

}  // namespace

std::span<const LanguageKey> LanguageKeyTable() {
    return kKeys;
}

std::wstring_view BuiltInText(std::string_view key, std::string_view use) {
    for (const LanguageKey& entry : kKeys) {
        if (entry.key == key && entry.use == use)
            return entry.builtIn;
    }
    return {};
}

}  // namespace tolvane
