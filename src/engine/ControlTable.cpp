#include "ControlTable.h"

#include <algorithm>

namespace tolvane {

namespace {

using K = ControlKind;

// Dialog units of the 9-point dialog font; the dialog itself is 474 x 381.
constexpr ControlInfo kControls[] = {
    {1130, K::EditableCombo, L"", 415, 67, 38, 30, kHidden},
    {1033, K::CheckBox, L"包含子文件夹", 95, 21, 57, 10, kNoFlags},
    {1034, K::CheckBox, L"文件夹改名", 156, 21, 50, 10, kNoFlags},
    {1073, K::DropDownList, L"", 232, 20, 68, 17, kNoFlags},
    {1072, K::DropDownList, L"", 333, 20, 64, 30, kNoFlags},
    {1035, K::EditableCombo, L"", 40, 36, 79, 30, kNoFlags},
    {1080, K::RadioButton, L"前缀", 136, 37, 30, 10, kGroupStart},
    {1081, K::RadioButton, L"后缀", 172, 37, 30, 10, kNoFlags},
    {1082, K::RadioButton, L"位置", 206, 37, 24, 10, kNoFlags},
    {1083, K::Edit, L"", 232, 37, 17, 14, kDigitsOnly},
    {1085, K::Spin, L"", 249, 37, 10, 14, kNoFlags},
    {1086, K::RadioButton, L"文本", 272, 37, 25, 10, kNoFlags},
    {1087, K::EditableCombo, L"", 298, 36, 56, 30, kNoFlags},
    {1088, K::DropDownList, L"", 358, 36, 35, 30, kNoFlags},
    {1045, K::EditableCombo, L"", 40, 52, 110, 30, kNoFlags},
    {1046, K::EditableCombo, L"", 187, 52, 80, 30, kNoFlags},
    {1095, K::CheckBox, L"正则", 269, 54, 31, 10, kNoFlags},
    {1089, K::DropDownList, L"", 300, 52, 55, 14, kNoFlags},
    {1099, K::RadioButton, L"位置", 60, 72, 24, 10, kGroupStart},
    {1050, K::Edit, L"", 84, 71, 18, 14, kDigitsOnly},
    {1049, K::Spin, L"", 102, 71, 10, 14, kNoFlags},
    {1100, K::RadioButton, L"定位符", 117, 72, 42, 10, kNoFlags},
    {1101, K::EditableCombo, L"", 159, 71, 40, 30, kNoFlags},
    {1052, K::Edit, L"", 252, 72, 17, 14, kDigitsOnly},
    {1051, K::Spin, L"", 270, 72, 10, 14, kNoFlags},
    {1060, K::CheckBox, L"起始值", 41, 92, 33, 10, kNoFlags},
    {1062, K::Edit, L"", 75, 92, 19, 14, kDigitsOnly},
    {1061, K::Spin, L"", 93, 92, 10, 14, kNoFlags},
    {1064, K::Edit, L"", 132, 92, 18, 14, kDigitsOnly},
    {1063, K::Spin, L"", 150, 92, 10, 14, kNoFlags},
    {1067, K::Edit, L"", 191, 92, 19, 14, kDigitsOnly},
    {1066, K::Spin, L"", 210, 92, 10, 14, kNoFlags},
    {1068, K::EditableCombo, L"", 41, 109, 124, 30, kNoFlags},
    {1071, K::DropDownList, L"", 227, 109, 100, 30, kNoFlags},
    {1114, K::CheckBox, L"文本模式", 111, 132, 43, 10, kNoFlags},
    {1106, K::PushButton, L"重置选项", 165, 130, 45, 14, kNoFlags},
    {1118, K::PushButton, L"照上次改", 214, 130, 45, 14, kNoFlags},
    {1074, K::PushButton, L"执行改名", 263, 130, 45, 14, kNoFlags},
    {1090, K::EditableCombo, L"", 357, 131, 61, 30, kNoFlags},
    {1026, K::Link, L"<a>全选</a>", 7, 133, 16, 10, kNoFlags},
    {1027, K::Link, L"<a>反选</a>", 28, 133, 20, 10, kNoFlags},
    {1029, K::Link, L"<a>刷新</a>", 49, 133, 26, 10, kNoFlags},
    {1031, K::Link, L"<a>导入导出</a>", 76, 133, 30, 10, kNoFlags},
    {1139, K::StaticText, L"整体：", 10, 21, 25, 8, kNoFlags},
    {1032, K::CheckBox, L"忽略扩展名", 40, 21, 50, 10, kNoFlags},
    {1142, K::StaticText, L"插入：", 10, 36, 23, 8, kNoFlags},
    {1147, K::StaticText, L"替换：", 10, 53, 28, 8, kNoFlags},
    {1148, K::StaticText, L"替换为", 161, 54, 25, 8, kNoFlags},
    {1143, K::StaticText, L"删除：", 11, 72, 23, 8, kNoFlags},
    {1145, K::StaticText, L"从", 41, 73, 18, 8, kNoFlags},
    {1149, K::StaticText, L"删除", 229, 73, 22, 8, kNoFlags},
    {1144, K::StaticText, L"序号：", 11, 92, 23, 8, kNoFlags},
    {-1, K::GroupBox, L"", 38, 85, 314, 40, kNoFlags},
    {1151, K::StaticText, L"增量", 113, 93, 19, 8, kNoFlags},
    {1153, K::StaticText, L"模板：", 10, 111, 29, 8, kNoFlags},
    {1069, K::Link, L" <a>添加到→</a>", 169, 111, 32, 11, kNoFlags},
    {1141, K::StaticText, L"随机", 313, 21, 19, 8, kNoFlags},
    {1018, K::ListView, L"", 2, 147, 468, 219, kNoFlags},
    {1077, K::StaticText, L"可直接拖拽文件或文件夹到上框中", 5, 367, 154, 8, kNoFlags},
    {1078, K::ProgressBar, L"", 333, 367, 137, 10, kNoFlags},
    {-1, K::GroupBox, L"", 126, 30, 275, 20, kNoFlags},
    {1140, K::StaticText, L"转换", 212, 22, 19, 8, kNoFlags},
    {1096, K::StaticText, L"Static", 252, 367, 72, 8, kNoFlags},
    {-1, K::GroupBox, L"", 39, 63, 314, 25, kNoFlags},
    {1152, K::StaticText, L"位数", 170, 93, 19, 8, kNoFlags},
    {1154, K::StaticText, L"预设", 203, 111, 22, 8, kNoFlags},
    {1112, K::StaticText, L"过滤：", 333, 133, 23, 8, kNoFlags},
    {-1, K::GroupBox, L"", 4, 13, 468, 116, kNoFlags},
    {1113, K::Edit, L"", 431, 119, 40, 14, kHidden | kMultiLine},
    {1150, K::StaticText, L"个字符", 283, 74, 22, 8, kNoFlags},
    {1134, K::Link, L"<a>→</a>", 217, 73, 8, 9, kNoFlags},
    {1146, K::StaticText, L"往", 207, 73, 8, 8, kNoFlags},
    {1136, K::Edit, L"", 430, 94, 40, 14, kHidden},
};

constexpr SpinInfo kSpins[] = {
    {1085, 1083, -100, 100}, {1049, 1050, 0, 100}, {1051, 1052, 0, 100},
    {1061, 1062, 0, 100},    {1063, 1064, 1, 100}, {1066, 1067, 1, 100},
};

constexpr ControlTip kTips[] = {
    {1033, "includeAllFiles"}, {1095, "useRegx"},     {1106, "tipResetOptions"},
    {1074, "tipRename"},       {1118, "lastOptions"}, {1114, "useTextMode"},
    {1045, "wildcardsAndRegx"},
};

constexpr int kInsertGroup[] = {1080, 1081, 1082, 1086};
constexpr int kDeleteGroup[] = {1099, 1100};

}  // namespace

std::span<const ControlInfo> MainWindowControls() {
    return kControls;
}

const ControlInfo* FindMainWindowControl(int id) {
    if (id < 0)
        return nullptr;
    const auto it = std::find_if(std::begin(kControls), std::end(kControls),
                                 [id](const ControlInfo& c) { return c.id == id; });
    return it == std::end(kControls) ? nullptr : &*it;
}

std::span<const int> RadioGroupOf(int radioId) {
    if (std::find(std::begin(kInsertGroup), std::end(kInsertGroup), radioId) !=
        std::end(kInsertGroup))
        return kInsertGroup;
    if (std::find(std::begin(kDeleteGroup), std::end(kDeleteGroup), radioId) !=
        std::end(kDeleteGroup))
        return kDeleteGroup;
    return {};
}

std::span<const SpinInfo> SpinControls() { return kSpins; }

const SpinInfo* FindSpin(int spinId) {
    const auto it = std::find_if(std::begin(kSpins), std::end(kSpins),
                                 [spinId](const SpinInfo& s) { return s.id == spinId; });
    return it == std::end(kSpins) ? nullptr : &*it;
}

std::span<const ControlTip> ControlTips() { return kTips; }

}  // namespace tolvane
