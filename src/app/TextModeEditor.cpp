#include "TextModeEditor.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

#include "DialogUnits.h"
#include "DisplayText.h"
#include "OptionPanel.h"
#include "engine/ControlTable.h"
#include "filelist/FileList.h"

namespace tolvane {

namespace {

// What stays in view in text mode.
constexpr int kStaying[] = {ctl::kFileList, 1026,          1027,         1029,
                            1031,           1112,          ctl::kFilter, ctl::kObjectCount,
                            ctl::kExecute,  ctl::kTextMode};
// Shown but greyed in text mode: the options they act on are out of view.
constexpr int kGreyed[] = {ctl::kResetOptions, ctl::kRenameLikeLast};
// The room left above the row of buttons under the options (dialog units).
constexpr int kAboveButtons = 2;

}  // namespace

TextModeEditor::TextModeEditor(FileList& list, OptionPanel& panel, QObject* parent)
    : QObject(parent),
      list_(list),
      panel_(panel),
      editor_(qobject_cast<QPlainTextEdit*>(panel.Control(ctl::kTextModeEditor))) {
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A Tab moves on, as in the other fields; a tab in a name would be cleaned away.
    editor_->setTabChangesFocus(true);
    connect(editor_->document(), &QTextDocument::contentsChange, this,
            &TextModeEditor::OnContentsChange);
    panel_.installEventFilter(this);
}

void TextModeEditor::Toggle() {
    if (panel_.Checked(ctl::kTextMode))
        Enter();
    else
        Leave();
}

void TextModeEditor::Enter() {
    if (session_.Active())
        return;
    hidden_.clear();
    // The panel's controls (by the table, spin arrows included) and its frames; what
    // others put on the panel stays as it is.
    QList<QWidget*> controls;
    for (const ControlInfo& info : MainWindowControls()) {
        const bool stays =
            std::find(std::begin(kStaying), std::end(kStaying), info.id) != std::end(kStaying) ||
            std::find(std::begin(kGreyed), std::end(kGreyed), info.id) != std::end(kGreyed);
        if (QWidget* control = info.id > 0 && !stays ? panel_.Control(info.id) : nullptr)
            controls.append(control);
    }
    for (QWidget* child : panel_.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->objectName().startsWith(QLatin1String("frame")))
            controls.append(child);
    }
    for (QWidget* control : controls) {
        if (control != editor_ && control->isVisibleTo(&panel_)) {
            hidden_.append(control);
            control->hide();
        }
    }
    for (const int id : kGreyed) {
        if (QWidget* button = panel_.Control(id)) {
            enabled_.insert(id, button->isEnabled());
            button->setEnabled(false);
        }
    }
    {
        settingText_ = true;
        const QSignalBlocker block(editor_);
        editor_->setPlainText(DisplayText(session_.Begin(list_)));
        settingText_ = false;
    }
    rowsAtBegin_ = static_cast<int>(list_.RowCount());
    mismatch_ = false;
    Place();
    editor_->raise();
    editor_->show();
    editor_->setFocus();
}

void TextModeEditor::Leave() {
    panel_.SetChecked(ctl::kTextMode, false);
    editor_->hide();  // never shown outside text mode
    if (!session_.Active())
        return;
    session_.End();
    {
        // The lines of a long list are not kept: the options read this control.
        settingText_ = true;
        const QSignalBlocker block(editor_);
        editor_->clear();
        settingText_ = false;
    }
    for (QWidget* widget : hidden_)
        widget->show();
    hidden_.clear();
    // A button that something else enabled meanwhile (a pass enables "照上次改") stays so.
    for (auto it = enabled_.begin(); it != enabled_.end(); ++it) {
        if (QWidget* button = panel_.Control(it.key()))
            button->setEnabled(it.value() || button->isEnabled());
    }
    enabled_.clear();
}

void TextModeEditor::Place() {
    const DialogUnits units(panel_.font());
    const int top = 5;
    // Down to the row of buttons, where the panel placed it.
    const int bottom = panel_.Control(ctl::kResetOptions)->y() - units.Y(kAboveButtons) - 2;
    editor_->setGeometry(5, top, std::max(0, panel_.width() - 10), std::max(0, bottom - top));
}

bool TextModeEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &panel_ && event->type() == QEvent::Resize && session_.Active())
        Place();
    return QObject::eventFilter(watched, event);
}

void TextModeEditor::OnContentsChange(int position, int removed, int added) {
    Q_UNUSED(removed);
    if (settingText_ || !session_.Active())
        return;
    const QTextDocument* document = editor_->document();
    const int last = std::max(0, document->characterCount() - 1);
    const int first = document->findBlock(std::min(position, last)).blockNumber();
    const int lastTouched = document->findBlock(std::min(position + added, last)).blockNumber();
    // The blocks first .. lastTouched stand where the old lines were, give or take
    // the lines the edit added or took away.
    const long long grown = static_cast<long long>(document->blockCount()) -
                            static_cast<long long>(session_.LineCount());
    const long long replaced = std::max<long long>(0, lastTouched - first + 1 - grown);
    std::vector<std::wstring> lines;
    lines.reserve(static_cast<size_t>(lastTouched - first + 1));
    for (QTextBlock block = document->findBlockByNumber(first);
         block.isValid() && block.blockNumber() <= lastTouched; block = block.next())
        lines.push_back(CoreText(block.text()));
    if (session_.Replace(list_, static_cast<size_t>(first), static_cast<size_t>(replaced),
                         std::move(lines)) > 0)
        emit NamesEdited();
    // The text ends with a line break after its last line.
    int count = document->blockCount();
    if (count > 0 && document->lastBlock().text().isEmpty())
        --count;
    if ((count != rowsAtBegin_) != mismatch_) {
        mismatch_ = !mismatch_;
        emit LineCountMismatch(mismatch_, count, rowsAtBegin_);
    }
}

}  // namespace tolvane
