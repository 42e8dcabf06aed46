#include "PanelSpokenNames.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <vector>

#include "AccessibleNames.h"
#include "DisplayText.h"
#include "LinkText.h"
#include "OptionPanel.h"
#include "SpinButtons.h"
#include "engine/ControlTable.h"
#include "settings/Language.h"

namespace tolvane {

namespace {

// A caption as a screen reader should say it: without the link marks, and without the
// mnemonic marks that buttons and labels with a buddy draw as an underline.
QString SpokenCaption(const QWidget* widget, const QString& caption) {
    QString text = PlainCaption(caption);
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (label != nullptr && label->buddy() == nullptr)
        return text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&')
            text.remove(i, 1);  // "&&" keeps the second one
    }
    return text;
}

}  // namespace

void PanelSpokenNames::SetBuddies() {
    // A label names the first control after it on its row: the box it stands before.
    std::vector<const ControlInfo*> order;
    for (const ControlInfo& info : MainWindowControls())
        order.push_back(&info);
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlInfo* a, const ControlInfo* b) { return a->x < b->x; });
    for (const ControlInfo* info : order) {
        const int labelId = LabelIdOf(info->id);
        const ControlInfo* labelInfo = FindMainWindowControl(labelId);
        QWidget* control = panel_.Control(info->id);
        if (labelId == info->id || !labelInfo || labelInfo->kind != ControlKind::StaticText ||
            !control || control->focusPolicy() == Qt::NoFocus)
            continue;
        auto* label = qobject_cast<QLabel*>(panel_.Control(labelId));
        if (label && !label->buddy())
            label->setBuddy(control);
    }
}

void PanelSpokenNames::Refresh(const QHash<int, QString>& captions) {
    for (const ControlInfo& info : MainWindowControls()) {
        const int labelId = LabelIdOf(info.id);
        QWidget* control = panel_.Control(info.id);
        if (labelId == 0 || control == nullptr)
            continue;
        const QString name = SpokenCaption(panel_.Control(labelId), captions.value(labelId));
        control->setAccessibleName(name);
        // The field of an editable box is what has the text cursor: it is named too.
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
            combo->lineEdit()->setAccessibleName(name);
    }
}

void PanelSpokenNames::Apply(const Language& language) {
    panel_.Control(ctl::kProgress)->setAccessibleName(DisplayText(language.Text("progress")));
    panel_.Control(ctl::kStatusLine)
        ->setAccessibleDescription(DisplayText(language.Text("statusLine")));
    const QString increase = DisplayText(language.Text("increaseField"));
    const QString decrease = DisplayText(language.Text("decreaseField"));
    for (const SpinInfo& spin : SpinControls()) {
        const char* key = NumberFieldNameKey(spin.buddy);
        auto* arrows = qobject_cast<SpinButtons*>(panel_.Control(spin.id));
        if (key == nullptr || arrows == nullptr)
            continue;
        const QString field = DisplayText(language.Text(key));
        arrows->SetAccessibleNames(increase.arg(field), decrease.arg(field));
        // Two fields are both labelled "位置": the description tells them apart.
        arrows->Buddy()->setAccessibleDescription(field);
    }
}

}  // namespace tolvane
