#include "SetDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

#include "app/DialogUnits.h"
#include "app/DisplayText.h"
#include "app/KeyFilter.h"
#include "app/LinkText.h"
#include "app/SpinButtons.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"
#include "execute/InputHistory.h"
#include "filelist/CollectFolder.h"
#include "settings/SettingsDialogControls.h"

namespace tolvane {

namespace {

namespace id {
constexpr int kClearInput = 1104;
constexpr int kRefreshFile = 1131;
constexpr int kClearFile = 1032;
constexpr int kShowToolbar = 1133;
constexpr int kShowTip = 1155;
constexpr int kLoadLastSet = 1159;
constexpr int kAutoSort = 1053;
constexpr int kAutoUpdate = 1054;
constexpr int kCountLabel = 1158;
constexpr int kCount = 1120;
constexpr int kCountSpin = 1121;
constexpr int kLanguageLabel = 1163;
constexpr int kLanguage = 1088;
constexpr int kContextMenu = 1156;
constexpr int kSendTo = 1119;
constexpr int kNote = 1160;
constexpr int kSendToBox = 1116;
constexpr int kSave = 1161;
constexpr int kCancel = 1162;
}  // namespace id

// The check boxes with their keys, in the order saving writes them.
struct BoxKey {
    int id;
    const SettingKey* key;
};
const BoxKey kBoxes[] = {
    {id::kClearInput, &keys::kClearInput}, {id::kRefreshFile, &keys::kRefreshFile},
    {id::kClearFile, &keys::kClearFile},   {id::kLoadLastSet, &keys::kLoadLastSet},
    {id::kShowTip, &keys::kShowTip},       {id::kShowToolbar, &keys::kShowToolbar},
    {id::kAutoSort, &keys::kAutoSort},     {id::kAutoUpdate, &keys::kAutoUpdate},
};

// The record counts the arrows step through.
constexpr int kCountMax = kMaxHistoryRecords;

// Stored codes and the names the list knows them by.
struct KnownLanguage {
    const wchar_t* code;
    const wchar_t* name;
};
constexpr KnownLanguage kKnownLanguages[] = {
    {L"CHS", L"简体中文"}, {L"CHT", L"繁体中文"}, {L"ENG", L"English"}};
constexpr const wchar_t* kBuiltInName = L"简体中文";

std::wstring NameOfCode(const std::wstring& code) {
    for (const KnownLanguage& known : kKnownLanguages) {
        if (code == known.code)
            return known.name;
    }
    return code;
}

std::wstring CodeOfName(const std::wstring& name) {
    for (const KnownLanguage& known : kKnownLanguages) {
        if (name == known.name)
            return known.code;
    }
    return name;
}

QString PathText(const std::filesystem::path& path) {
    return DisplayText(ToWide(path.native()));
}

}  // namespace

SetDlg::SetDlg(Environment environment, QWidget* parent)
    : QDialog(parent),
      environment_(std::move(environment)),
      settings_(environment_.paths.settingsFile) {
    setWindowTitle(QStringLiteral("设置"));
    setFont(WindowFont());
    Build();
    Load();
    auto* save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    save->setContext(Qt::WindowShortcut);
    save->setAutoRepeat(false);
    connect(save, &QShortcut::activated, this, &SetDlg::Save);
}

void SetDlg::Build() {
    for (const ControlInfo& info : SettingsDialogControls()) {
        const QString text = DisplayText(info.text);
        QWidget* widget = nullptr;
        switch (info.kind) {
            case ControlKind::CheckBox: widget = new QCheckBox(text, this); break;
            case ControlKind::Edit: {
                auto* edit = new QLineEdit(this);
                edit->installEventFilter(new KeyFilter(KeyFilter::Rule::DigitsOnly, edit));
                widget = edit;
                break;
            }
            case ControlKind::Spin:
                widget = new SpinButtons(CountField(), 0, kCountMax, this);
                break;
            case ControlKind::DropDownList: widget = new QComboBox(this); break;
            case ControlKind::Link: {
                auto* link = new QLabel(LinkHtml(text), this);
                link->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                              Qt::LinksAccessibleByKeyboard);
                link->setFocusPolicy(Qt::TabFocus);
                connect(link, &QLabel::linkActivated, this, &SetDlg::AddSendTo);
                widget = link;
                break;
            }
            case ControlKind::PushButton: {
                auto* button = new QPushButton(text, this);
                button->setAutoDefault(false);  // Enter neither saves nor cancels
                connect(button, &QPushButton::clicked, this,
                        info.id == id::kSave ? &SetDlg::Save : &SetDlg::reject);
                widget = button;
                break;
            }
            default: {
                auto* label = new QLabel(text, this);
                label->setWordWrap(info.id == id::kNote);
                widget = label;
                break;
            }
        }
        widget->setObjectName(QStringLiteral("control%1").arg(info.id));
        widget->setVisible(!(info.flags & kHidden));
        controls_.insert(info.id, widget);
    }
    Arrange();
}

void SetDlg::Arrange() {
    auto* layout = new QVBoxLayout(this);
    auto* boxes = new QGridLayout;
    const int order[] = {id::kClearInput, id::kRefreshFile, id::kClearFile, id::kShowToolbar,
                         id::kShowTip,    id::kLoadLastSet, id::kAutoSort,  id::kAutoUpdate};
    for (int i = 0; i < 8; ++i)
        boxes->addWidget(Control(order[i]), i / 2, i % 2);
    layout->addLayout(boxes);

    auto* count = new QHBoxLayout;
    count->addWidget(Control(id::kCountLabel));
    CountField()->setMaximumWidth(DialogUnits(font()).X(24));
    count->addWidget(CountField());
    // The arrows have no size of their own: as wide as the main window's, as high as
    // the field they step.
    Control(id::kCountSpin)
        ->setFixedSize(DialogUnits(font()).X(10), CountField()->sizeHint().height());
    count->addWidget(Control(id::kCountSpin));
    count->addSpacing(DialogUnits(font()).X(12));
    count->addWidget(Control(id::kLanguageLabel));
    count->addWidget(LanguageList(), 1);
    layout->addLayout(count);

    auto* shell = new QHBoxLayout;
    shell->addWidget(Control(id::kContextMenu));
    shell->addWidget(Control(id::kSendTo));
    shell->addWidget(Control(id::kSendToBox));
    shell->addStretch(1);
    layout->addLayout(shell);
    layout->addWidget(Control(id::kNote));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Control(id::kSave));
    buttons->addWidget(Control(id::kCancel));
    layout->addLayout(buttons);
    static_cast<QLabel*>(Control(id::kCountLabel))->setBuddy(CountField());
    static_cast<QLabel*>(Control(id::kLanguageLabel))->setBuddy(LanguageList());
}

QCheckBox* SetDlg::Box(int boxId) const {
    return qobject_cast<QCheckBox*>(Control(boxId));
}

QComboBox* SetDlg::LanguageList() const {
    return qobject_cast<QComboBox*>(Control(id::kLanguage));
}

QLineEdit* SetDlg::CountField() const {
    return qobject_cast<QLineEdit*>(Control(id::kCount));
}

void SetDlg::Load() {
    CountField()->setText(QStringLiteral("0"));
    std::wstring storedCode;
    if (settings_.FileExists()) {
        for (const BoxKey& box : kBoxes)
            Box(box.id)->setChecked(settings_.Flag(*box.key, box.key->dialogRule));
        countText_ = settings_.Text(keys::kRemindCount);
        if (!countText_.empty())
            CountField()->setText(DisplayText(countText_));
        storedCode = settings_.Text(keys::kLanguage);
    }
    // What the window shows now, whatever the box says.
    toolbarShown_ = settings_.Flag(keys::kShowToolbar);
    contextMenuShown_ = environment_.menus.ContextMenuExists();
    Box(id::kContextMenu)->setChecked(contextMenuShown_);

    language_ = Language(
        ChooseLanguage(settings_, environment_.systemLanguageId, environment_.paths.languageFolder)
            .file);
    ApplyToSettingsDialog(language_, *this);
    // Fields are named for screen readers by their labels, as translated.
    CountField()->setAccessibleName(static_cast<QLabel*>(Control(id::kCountLabel))->text());
    LanguageList()->setAccessibleName(static_cast<QLabel*>(Control(id::kLanguageLabel))->text());
    FillLanguages(storedCode);
}

void SetDlg::FillLanguages(const std::wstring& storedCode) {
    std::vector<std::wstring> entries;
    CollectFolder(ToWide(environment_.paths.languageFolder.native()), false, false, entries);
    // Only a file named code + ".ini" can be chosen as a language.
    std::erase_if(entries, [](const std::wstring& path) { return !path.ends_with(L".ini"); });
    entries.emplace_back(kBuiltInName);
    std::sort(entries.begin(), entries.end());

    QComboBox* list = LanguageList();
    const std::wstring current = NameOfCode(storedCode);
    int byName = -1;
    int byCode = -1;
    for (const std::wstring& entry : entries) {
        std::wstring name = entry.substr(entry.rfind(L'/') + 1);
        if (entry != kBuiltInName)
            name = name.substr(0, name.rfind(L'.'));
        if (name == L"ENG")
            name = L"English";
        const std::wstring code = CodeOfName(name);
        if (byName < 0 && name == current)
            byName = list->count();
        if (byCode < 0 && !storedCode.empty() && code == storedCode)
            byCode = list->count();
        list->addItem(DisplayText(language_.Lookup(ToNarrow(name), name)),
                      QString::fromStdWString(code));
    }
    // The stored code picks its entry also where no entry carries its name (CHT).
    list->setCurrentIndex(byName >= 0 ? byName : byCode);
}

std::vector<std::wstring> SetDlg::LanguageCodes() const {
    std::vector<std::wstring> codes;
    for (int i = 0; i < LanguageList()->count(); ++i)
        codes.push_back(LanguageList()->itemData(i).toString().toStdWString());
    return codes;
}

void SetDlg::Save() {
    for (const BoxKey& box : kBoxes)
        settings_.Write(*box.key, Box(box.id)->isChecked() ? L"1" : L"0");
    const std::wstring countText = CoreText(CountField()->text());
    settings_.Write(keys::kRemindCount, countText);
    const QVariant code = LanguageList()->currentData();
    settings_.Write(keys::kLanguage, code.isValid() ? code.toString().toStdWString() : L"");

    const int count = ReadDecimalPrefix(countText);
    TrimInputHistory(settings_, count);

    FileManagerMenus::Outcome outcome;
    const bool contextMenu = Box(id::kContextMenu)->isChecked();
    if (contextMenu && !contextMenuShown_)
        outcome = environment_.menus.AddContextMenu();
    else if (!contextMenu && contextMenuShown_)
        outcome = environment_.menus.RemoveContextMenu();

    const bool shown = Box(id::kShowToolbar)->isChecked();
    if (shown != toolbarShown_ && environment_.showToolbar)
        environment_.showToolbar(shown);
    if (UsableRecordCount(count) < UsableRecordCount(ReadDecimalPrefix(countText_)) &&
        environment_.shortenHistories)
        environment_.shortenHistories(count);

    Report(outcome);
    accept();
    if (environment_.restart)
        environment_.restart();
}

void SetDlg::AddSendTo() {
    Report(environment_.menus.AddSendTo());
}

void SetDlg::Report(const FileManagerMenus::Outcome& outcome) {
    if (outcome.Clean())
        return;
    QStringList lines;
    using Problem = FileManagerMenus::Outcome::Problem;
    for (const auto& [problem, key] : {std::pair{Problem::NotOurs, "menuFileNotOurs"},
                                       std::pair{Problem::CannotWrite, "menuFileNotWritten"},
                                       std::pair{Problem::CannotName, "menuFileCannotName"}}) {
        QStringList paths;
        for (const auto& left : outcome.left) {
            if (left.problem != problem)
                continue;
            QString line = PathText(left.path);
            if (!left.reason.empty())
                line += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(left.reason));
            paths << line;
        }
        if (!paths.isEmpty())
            lines << DisplayText(language_.Text(key)) + u'\n' + paths.join(u'\n');
    }
    const QString text = lines.join(QStringLiteral("\n\n"));
    if (environment_.notify)
        environment_.notify(text);
    else
        QMessageBox::information(this, DisplayText(language_.Text("notice")), text);
}

void SetDlg::SetCaption(const std::wstring& text) {
    setWindowTitle(DisplayText(text));
}

void SetDlg::SetControlText(int controlId, const std::wstring& text) {
    QWidget* widget = Control(controlId);
    const QString shown = DisplayText(text);
    if (auto* box = qobject_cast<QCheckBox*>(widget))
        box->setText(shown);
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        button->setText(shown);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(controlId == id::kSendTo ? LinkHtml(shown) : shown);
}

}  // namespace tolvane
