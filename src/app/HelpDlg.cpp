#include "HelpDlg.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "DialogUnits.h"
#include "engine/ControlTable.h"
#include "settings/SettingsKeys.h"

namespace tolvane {

namespace {

bool IsChineseSystem(int languageId) {
    return languageId == kLanguageIdSimplifiedChinese ||
           languageId == kLanguageIdTraditionalChinese;
}

// The notes before the pattern rules. The check box is named by its caption in the
// control table, so the text follows the window.
const char* const kUsage[] = {
    "",
    "选项中的复选框“%1”可用于命名文件夹：需要先勾选此项，再添加或拖入文件夹；",
    "去除中的选项“自定义”的用法：输入“abc”，即可替换文件名中的a、b、c字符,同理如“abc123*#!”；",
    "替换中的一1转换：一二三四五六七八九十与1234567890相互转换；",
    "选中单个文件按F2可直接改名；",
    "选中文件按Delete可移除文件；",
    "右键列头，可以添加创建日期/修改日期/大小/扩展名等列。",
    "",
    "添加文件的几种方式：",
    "1.直接拖拽文件或文件夹；",
    "2.文件-添加文件；",
    "3.文件-从文件夹添加；",
    "4.文件-导入需改名的文件路径列表，txt文件格式如下：",
    "\t/home/user/a.txt",
    "\t/home/user/b.txt",
    "\t/home/user/test/c.txt",
    "5.文件-从剪切板导入文件路径列表，文本格式同上。",
    "",
    "正则表达式替换的简易示例用法：",
    "表达式中输入 \\s 替换文件名中的空格",
    "表达式中输入 \\d 替换文件名中的数字",
    "表达式中输入 \\D 替换文件名中的非数字",
    "表达式中输入 \\d{3} 替换文件名中的3个连一起的数字，如123",
    "表达式中输入 \\w 替换文件名中的数字、字母和下划线_",
    "表达式中输入 \\W 替换文件名中的数字、字母和下划线_以外的字符",
    "表达式中输入 [123abc] 替换文件名中的1、2、3、a、b、c字符",
    "",
    "元变量使用参考",
    "<self>、<name>",
    "描述：待改名的原文件名和新文件名",
    "缺省格式：无",
    "应用示例：给所有图片，在原来名字（如pic）上，加上序号(位数为3位)：",
    "<#>_<self> 如改名时添加了前缀A_,就生成了001_A_pic",
    "<#>_<name> 就生成了001_pic",
    "",
    "<r>",
    "描述：返回一个随机字符串",
    "缺省格式：33个字符",
    "应用示例：pic_<r>就生成了pic_0845118B3C50490594D484CB0A81A0D3",
    "",
    "<dir>",
    "描述：返回文件夹名",
    "缺省格式：无",
    "",
    "<date>",
    "描述：返回当前日期，如2023-07-29",
    "缺省格式：YYYY-MM-DD",
    "应用示例：给所有图片，在原来名字（如pic）上，加上今天日期：",
    "<date>_<name> 就生成了2023-07-29_pic",
    "",
    "<time>",
    "描述：返回当前时间，精确到秒，如175549",
    "缺省格式：HHMMSS",
    "应用示例：给所有图片，在原来名字（如pic）上，加上现在时间：",
    "<time>_<name> 就生成了175549_pic",
    "",
    "<Y><M><D>",
    "描述：返回文件日期中的年(四位数)月(两位数)日(两位数)",
    "缺省格式：YYYYMMDD",
    "应用示例：给所有图片，在原来名字（如pic）上，加上今年年份：",
    "<Y>_<name> 就生成了2023_pic",
    "",
    "<y><m><d>",
    "描述：返回文件日期中的年(两位数)月（最小为一位数）日（最小为一位数）",
    "缺省格式：yy-m-d",
    "应用示例：给所有图片，在原来名字（如pic）上，加上今年年份：",
    "<y>_<name> 就生成了23_pic",
    "",
    "<cdate>",
    "描述：返回文件创建日期",
    "缺省格式：YYYYMMDD",
    "",
    "<ctime>",
    "描述：返回文件创建时间",
    "缺省格式：YYYYMMDD-HHMMSS",
    "",
    "<mdate>",
    "描述：返回文件修改日期",
    "缺省格式：YYYYMMDD",
    "",
    "<mtime>",
    "描述：返回文件修改时间",
    "缺省格式：YYYYMMDD-HHMMSS",
    "",
    "<edate>、<etime>",
    "描述：返回照片的拍摄日期、拍摄时间（EXIF原始拍摄时间，没有则取数字化时间，再没有则取EXIF"
    "中的图像日期时间；都没有时为空）",
    "缺省格式：YYYYMMDD、YYYYMMDD-HHMMSS",
    "应用示例：<edate>_<name> 就生成了20210304_pic",
    "",
    "<EY><EM><ED>",
    "描述：返回照片拍摄日期中的年(四位数)月(两位数)日(两位数)",
    "缺省格式：YYYYMMDD",
    "应用示例：<EY>-<EM>-<ED> 就生成了2021-03-04",
    "",
    "<camera>",
    "描述：返回拍摄照片的相机型号（保留空格，去掉文件名中不能有的字符）",
    "缺省格式：无",
    "应用示例：<camera>_<#> 就生成了Canon EOS R5_01",
    "",
    "<width><height>",
    "描述：返回图片的宽度和高度（像素）",
    "缺省格式：无",
    "应用示例：<name>_<width>x<height> 就生成了pic_6000x4000",
    "",
    "<artist><album><title><genre><year>",
    "描述：返回音频文件标签中的艺术家、专辑、标题、流派、年份（MP3、FLAC、Ogg、M4A等）",
    "缺省格式：无",
    "应用示例：<artist> - <title> 就生成了Björk - Human Behaviour",
    "",
    "<track>",
    "描述：返回音频文件标签中的音轨号",
    "缺省格式：两位数",
    "应用示例：<track> <title> 就生成了01 Human Behaviour",
    "",
    "以上从文件中读取的元变量，文件中没有相应信息时为空。",
    "",
    "如何自定义添加正则表达式（自定义模板类似）？",
    "以添加大写字母为例(每个规则以英文分号;结尾，规则名称与表达式之间以#分隔)",
};

}  // namespace

HelpDlg::HelpDlg(const std::filesystem::path& settingsFile, QWidget* owner, int systemLanguageId)
    : QDialog(owner), text_(new QPlainTextEdit(this)) {
    setWindowTitle(IsChineseSystem(systemLanguageId) ? QStringLiteral("帮助")
                                                     : QStringLiteral("Help"));
    setModal(false);

    QFont font = WindowFont();
    font.setPointSizeF(10);
    text_->setFont(font);
    // The example paths are indented by a tab: four characters, not the default 80 pixels.
    text_->setTabStopDistance(4 * QFontMetricsF(font).horizontalAdvance(u'x'));
    text_->document()->setDocumentMargin(8);
    text_->setReadOnly(true);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setPlainText(Text(settingsFile));
    text_->setAccessibleName(windowTitle());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);

    const DialogUnits units(WindowFont());
    resize(units.X(475), units.Y(290));
}

QString HelpDlg::Text(const std::filesystem::path& settingsFile) {
    const QString folderCheckBox =
        QString::fromWCharArray(FindMainWindowControl(ctl::kRenameFolders)->text);
    // A path that is not valid UTF-8 still shows, with a visible replacement character.
    const QString file = QString::fromUtf8(settingsFile.string());
    const QString rules = QString::fromWCharArray(kDefaultUserRegex);

    QStringList lines;
    for (const char* line : kUsage)
        lines << QString::fromUtf8(line);
    lines[1] = lines[1].arg(folderCheckBox);
    lines << QStringLiteral("1.打开设置文件 %1，找到“regex”所在行").arg(file)
          << QStringLiteral("      regex=%1").arg(rules)
          << QStringLiteral("2.在末尾添加：大写字母#[A-Z]; ")
          << QStringLiteral("      regex=%1大写字母#[A-Z];").arg(rules) << QString();
    return lines.join(u'\n') + u'\n';
}

void HelpDlg::ShowCentredOver(QWidget* owner) {
    // Shown first: only a shown window knows the size of its frame.
    show();
    if (owner != nullptr) {
        const QWidget* window = owner->window();
        QRect frame = frameGeometry();
        frame.moveCenter(window->frameGeometry().center());
        // Keep the title bar reachable when the owner sits at the edge of its screen.
        if (const QScreen* screen = window->screen()) {
            const QRect room = screen->availableGeometry();
            frame.moveLeft(
                std::max(room.left(), std::min(frame.left(), room.right() - frame.width() + 1)));
            frame.moveTop(
                std::max(room.top(), std::min(frame.top(), room.bottom() - frame.height() + 1)));
        }
        move(frame.topLeft());
    }
    raise();
    activateWindow();
}

}  // namespace tolvane
