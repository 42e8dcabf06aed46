#include "OptionPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

#include "ComboBoxAccessible.h"
#include "DialogUnits.h"
#include "FileListView.h"
#include "KeyFilter.h"
#include "LinkText.h"
#include "PanelSpokenNames.h"
#include "SpinButtons.h"
#include "StatusLabel.h"
#include "engine/NumberFields.h"
#include "execute/OptionSection.h"
#include "execute/RenameOptionsControls.h"

namespace tolvane {

namespace {

// The closed height of combo boxes (the table's heights include their open lists),
// and of the one-line fields and their arrows, which the table makes taller than the
// frames around them allow here.
constexpr int kFieldHeight = 12;
// Controls whose vertical centres are this close (dialog units) share a row.
constexpr int kRowBand = 6;
// Where the captions of the option rows end and their frames begin, and where the
// row of buttons under the options starts (dialog units).
constexpr int kCaptionColumnEnd = 38;
constexpr int kButtonRowY = 128;
// The table leaves room above the options for a toolbar drawn inside the window (the
// outer frame starts this far down, in dialog units); here the menu and the toolbar sit
// above the panel, so everything moves up to this gap (pixels) below them.
constexpr int kOptionsFrameY = 13;
constexpr int kTopGap = 5;

bool InBottomRow(int id) {
    return id == ctl::kFileList || id == ctl::kObjectCount || id == ctl::kProgress ||
           id == ctl::kStatusLine;
}

int FieldHeight(const ControlInfo& info) {
    switch (info.kind) {
        case ControlKind::EditableCombo:
        case ControlKind::DropDownList:
        case ControlKind::Spin: return std::min<int>(info.height, kFieldHeight);
        case ControlKind::Edit:
            return (info.flags & kMultiLine) ? info.height
                                             : std::min<int>(info.height, kFieldHeight);
        default: return info.height;
    }
}

int CentreY(const ControlInfo& info) {
    return info.y + FieldHeight(info) / 2;
}

// Whether a control shows a text of its own that must fit: a caption, or the items
// of a drop-down list.
bool ShowsText(ControlKind kind) {
    return kind == ControlKind::DropDownList || kind == ControlKind::CheckBox ||
           kind == ControlKind::RadioButton || kind == ControlKind::PushButton ||
           kind == ControlKind::Link || kind == ControlKind::StaticText;
}

// Sets an editable box's drop-down without touching its text or telling anyone.
void SetDropDown(QComboBox* combo, const std::vector<std::wstring>& items) {
    const QSignalBlocker block(combo);
    const QString text = combo->currentText();
    combo->clear();
    for (const std::wstring& item : items)
        combo->addItem(QString::fromStdWString(item));
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

// The text a number field shows for `text`: a number past its range as the number used.
std::optional<QString> ClampedText(int id, std::wstring_view text) {
    if (const auto clamped = ClampedNumberText(id, text))
        return QString::fromStdWString(*clamped);
    return std::nullopt;
}

}  // namespace

OptionPanel::OptionPanel(QWidget* parent) : QWidget(parent) {
    InstallComboBoxAccessible();
    setFont(WindowFont());
    Build();
}

QComboBox* OptionPanel::Combo(int id) const {
    return qobject_cast<QComboBox*>(Control(id));
}

void OptionPanel::Build() {
    for (const ControlInfo& info : MainWindowControls()) {
        QWidget* widget = MakeControl(info);
        if (info.kind == ControlKind::GroupBox) {
            // Frames have no id: they are named by their place in the table.
            widget->setObjectName(QStringLiteral("frame%1").arg(groupBoxes_.size()));
            groupBoxes_.emplace_back(QRect(info.x, info.y, info.width, info.height), widget);
            continue;
        }
        controls_.insert(info.id, widget);
        captions_.insert(info.id, QString::fromWCharArray(info.text));
        Bind(info, widget);
        if (info.flags & kHidden)
            widget->hide();
    }
    // Spin arrows know their fields only once both exist.
    for (const SpinInfo& spin : SpinControls()) {
        auto* field = qobject_cast<QLineEdit*>(Control(spin.buddy));
        auto* arrows = new SpinButtons(field, spin.min, spin.max, this);
        delete controls_.take(spin.id);
        controls_.insert(spin.id, arrows);
    }
    PanelSpokenNames spoken(*this);
    spoken.SetBuddies();
    spoken.Refresh(captions_);
    // Frames go behind the controls they surround.
    for (auto& [rect, box] : groupBoxes_)
        box->lower();
    Arrange();
}

QWidget* OptionPanel::MakeControl(const ControlInfo& info) {
    const QString text = QString::fromWCharArray(info.text);
    switch (info.kind) {
        case ControlKind::EditableCombo: {
            auto* combo = new QComboBox(this);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCurrentIndex(-1);
            return combo;
        }
        case ControlKind::DropDownList: {
            auto* list = new QComboBox(this);
            // Its width follows its items, so that a chosen item shows whole.
            list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            return list;
        }
        case ControlKind::CheckBox: return new QCheckBox(text, this);
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(text, this);
            // Radio groups are kept by hand: a loaded profile may check none or several.
            radio->setAutoExclusive(false);
            return radio;
        }
        case ControlKind::Edit:
            if (info.flags & kMultiLine)
                return new QPlainTextEdit(this);
            return new QLineEdit(this);
        case ControlKind::Spin: return new QWidget(this);  // replaced once its field exists
        case ControlKind::PushButton: {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(false);  // Enter never presses a button
            return button;
        }
        case ControlKind::Link: {
            auto* link = new QLabel(LinkHtml(text), this);
            link->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);
            link->setFocusPolicy(Qt::TabFocus);
            return link;
        }
        case ControlKind::StaticText:
            if (info.id == ctl::kObjectCount || info.id == ctl::kStatusLine)
                return new StatusLabel(text, this);
            return new QLabel(text, this);
        case ControlKind::GroupBox: return new QGroupBox(this);
        case ControlKind::ListView: return listView_ = new FileListView(this);
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(this);
            bar->setRange(0, 100);
            bar->setTextVisible(false);
            bar->hide();
            return bar;
        }
    }
    return new QWidget(this);
}

void OptionPanel::Bind(const ControlInfo& info, QWidget* widget) {
    const int id = info.id;
    widget->setObjectName(QStringLiteral("control%1").arg(id));
    switch (info.kind) {
        case ControlKind::EditableCombo: {
            auto* combo = static_cast<QComboBox*>(widget);
            connect(combo, &QComboBox::editTextChanged, this,
                    [this, id] { emit OptionEdited(id); });
            if (std::find(kNameTextControlIds.begin(), kNameTextControlIds.end(), id) !=
                kNameTextControlIds.end()) {
                // Keys and input-method text reach the box, which has the focus and
                // hands them to its field directly, past any filter on the field.
                auto* filter =
                    new KeyFilter(id == ctl::kTemplateText ? KeyFilter::Rule::TemplateText
                                                           : KeyFilter::Rule::NoNameBreakers,
                                  combo);
                combo->installEventFilter(filter);
                combo->lineEdit()->installEventFilter(filter);
            }
            break;
        }
        case ControlKind::DropDownList:
            // Only a choice of the user counts: a profile that selects a preset must
            // not apply it.
            connect(static_cast<QComboBox*>(widget), &QComboBox::activated, this,
                    [this, id] { emit OptionEdited(id); });
            break;
        case ControlKind::CheckBox:
            connect(static_cast<QCheckBox*>(widget), &QCheckBox::clicked, this,
                    [this, id] { emit OptionEdited(id); });
            break;
        case ControlKind::RadioButton:
            connect(static_cast<QRadioButton*>(widget), &QRadioButton::clicked, this, [this, id] {
                for (int other : RadioGroupOf(id))
                    SetChecked(other, other == id);
                emit OptionEdited(id);
            });
            break;
        case ControlKind::Edit:
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                const bool number = NumberFieldRange(id).has_value();
                connect(edit, &QLineEdit::textChanged, this, [this, edit, id, number] {
                    // A number past what the field can mean shows as the number used.
                    const auto clamped =
                        number ? ClampedText(id, edit->text().toStdWString()) : std::nullopt;
                    if (clamped) {
                        edit->setText(*clamped);
                        return;  // told again by the text just set
                    }
                    emit OptionEdited(id);
                });
                if (info.flags & kDigitsOnly)
                    edit->installEventFilter(new KeyFilter(KeyFilter::Rule::DigitsOnly, edit));
            } else if (auto* editor = qobject_cast<QPlainTextEdit*>(widget)) {
                connect(editor, &QPlainTextEdit::textChanged, this,
                        [this, id] { emit OptionEdited(id); });
            }
            break;
        case ControlKind::PushButton:
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    [this, id] { emit ButtonClicked(id); });
            break;
        case ControlKind::Link:
            connect(static_cast<QLabel*>(widget), &QLabel::linkActivated, this,
                    [this, id] { emit ButtonClicked(id); });
            break;
        default: break;
    }
}

void OptionPanel::ShowOutcome(int id, const QString& text) {
    auto* status = qobject_cast<StatusLabel*>(Control(id));
    const bool same = status && status->text() == text;
    SetCaption(id, text);  // a new text is told to a screen reader as it is shown
    // The same outcome again is news too.
    if (same)
        status->Announce();
}

std::wstring OptionPanel::Text(int id) const {
    const QWidget* widget = Control(id);
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText().toStdWString();
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text().toStdWString();
    if (const auto* editor = qobject_cast<const QPlainTextEdit*>(widget))
        return editor->toPlainText().toStdWString();
    return {};
}

void OptionPanel::SetText(int id, std::wstring_view text) {
    const QString value = QString::fromWCharArray(text.data(), static_cast<qsizetype>(text.size()));
    QWidget* widget = Control(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setEditText(value);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(ClampedText(id, text).value_or(value));
    else if (auto* editor = qobject_cast<QPlainTextEdit*>(widget))
        editor->setPlainText(value);
}

int OptionPanel::Selection(int id) const {
    const QComboBox* combo = Combo(id);
    return combo ? combo->currentIndex() : -1;
}

int OptionPanel::ItemCount(int id) const {
    const QComboBox* combo = Combo(id);
    return combo ? combo->count() : 0;
}

void OptionPanel::SetSelection(int id, int index) {
    if (QComboBox* combo = Combo(id))
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

bool OptionPanel::Checked(int id) const {
    const auto* button = qobject_cast<const QAbstractButton*>(Control(id));
    return button && button->isCheckable() && button->isChecked();
}

void OptionPanel::SetChecked(int id, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (button && button->isCheckable())
        button->setChecked(checked);
}

RenameOptions OptionPanel::Snapshot() const {
    RenameOptions options;
    RenameOptionsControls target(options, ItemCount(ctl::kRegexPreset),
                                 ItemCount(ctl::kTemplatePreset));
    for (const int id : kProfileControlOrder)
        ApplyStoredValue(target, id, StoredControlValue(*this, id));
    options.deleteDirection = direction_;
    return options;
}

void OptionPanel::ApplySilently(const RenameOptions& options) {
    RenameOptions copy = options;
    const RenameOptionsControls source(copy, ItemCount(ctl::kRegexPreset),
                                       ItemCount(ctl::kTemplatePreset));
    std::vector<std::unique_ptr<QSignalBlocker>> blocks;
    for (QWidget* widget : controls_)
        blocks.push_back(std::make_unique<QSignalBlocker>(widget));
    for (const int id : kProfileControlOrder)
        ApplyStoredValue(*this, id, StoredControlValue(source, id));
}

void OptionPanel::SetDirection(DeleteDirection direction, const QString& tip) {
    direction_ = direction;
    SetCaption(ctl::kDeleteDirection, direction == DeleteDirection::LeftToRight
                                          ? QStringLiteral("<a>→</a>")
                                          : QStringLiteral("<a>←</a>"));
    SetToolTip(ctl::kDeleteDirection, tip);
}

void OptionPanel::UpdateEnabling() {
    const RenameOptions options = Snapshot();
    for (auto it = controls_.begin(); it != controls_.end(); ++it) {
        if (IsDependentControl(it.key()))
            it.value()->setEnabled(IsOptionControlEnabled(options, it.key()));
    }
}

void OptionPanel::SetItems(int id, const std::vector<std::wstring>& items) {
    QComboBox* combo = Combo(id);
    if (!combo)
        return;
    if (combo->isEditable()) {
        SetDropDown(combo, items);
        return;
    }
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::wstring& item : items)
        combo->addItem(QString::fromStdWString(item));
    combo->setCurrentIndex(-1);
}

std::vector<std::wstring> OptionPanel::Items(int id) const {
    std::vector<std::wstring> items;
    if (const QComboBox* combo = Combo(id)) {
        for (int i = 0; i < combo->count(); ++i)
            items.push_back(combo->itemText(i).toStdWString());
    }
    return items;
}

void OptionPanel::SetCaption(int id, const QString& text) {
    QWidget* widget = Control(id);
    const ControlInfo* info = FindMainWindowControl(id);
    if (!widget || !info)
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* status = qobject_cast<StatusLabel*>(widget))
        status->Show(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(info->kind == ControlKind::Link ? LinkHtml(text) : text);
    captions_.insert(id, text);
    // The line under the list changes with every pass and preview: it names no control,
    // and only its own row needs placing again.
    if (InBottomRow(id)) {
        PlaceBottomRow();
        return;
    }
    PanelSpokenNames(*this).Refresh(captions_);
}

void OptionPanel::SetToolTip(int id, const QString& text) {
    if (QWidget* widget = Control(id))
        widget->setToolTip(text);
}

void OptionPanel::Arrange() {
    const DialogUnits units(font());
    // Rows, left to right: a control that needs more room grows, and the controls to
    // its right on the same row move along.
    std::vector<const ControlInfo*> order;
    for (const ControlInfo& info : MainWindowControls()) {
        if (info.kind != ControlKind::GroupBox && !InBottomRow(info.id) && !(info.flags & kHidden))
            order.push_back(&info);
    }
    std::sort(order.begin(), order.end(),
              [](const ControlInfo* a, const ControlInfo* b) { return a->x < b->x; });
    const int lift = std::max(0, units.Y(kOptionsFrameY) - kTopGap);
    QHash<int, QRect> rects;
    for (const ControlInfo* info : order)
        rects.insert(
            info->id,
            units.Rect(info->x, info->y, info->width, FieldHeight(*info)).translated(0, -lift));
    // The captions of the option rows stand in a column before the frames; a longer
    // caption (a translation) moves the rows and their frames along.
    const auto inOptionRows = [](const ControlInfo& info) { return info.y < kButtonRowY; };
    int columnShift = 0;
    for (const ControlInfo* info : order) {
        if (info->kind != ControlKind::StaticText || info->x >= kCaptionColumnEnd ||
            !inOptionRows(*info))
            continue;
        QRect& rect = rects[info->id];
        rect.setWidth(std::max(rect.width(), Control(info->id)->sizeHint().width() + units.X(2)));
        columnShift = std::max(columnShift, rect.right() + 1 - units.X(kCaptionColumnEnd));
    }
    for (const ControlInfo* info : order) {
        if (info->x >= kCaptionColumnEnd && inOptionRows(*info))
            rects[info->id].translate(columnShift, 0);
    }
    const auto sameRow = [](const ControlInfo& a, const ControlInfo& b) {
        return std::abs(CentreY(a) - CentreY(b)) < kRowBand;
    };
    // Whether the table puts `b` after the end of `a` (a spin may reach one unit back
    // into its field).
    const auto follows = [](const ControlInfo& a, const ControlInfo& b) {
        return &a != &b && b.x + 1 >= a.x + a.width;
    };
    for (const ControlInfo* info : order) {
        QRect& rect = rects[info->id];
        // Texts keep a little room to the next control. A list grows for its longest
        // item, but not beyond twice its width for a user's long entry.
        int needed = ShowsText(info->kind) ? Control(info->id)->sizeHint().width() : 0;
        if (info->kind == ControlKind::DropDownList)
            needed = std::min(needed, 2 * rect.width());
        else if (needed > 0)
            needed += units.X(2);
        if (needed > rect.width()) {
            const int grow = needed - rect.width();
            rect.setWidth(needed);
            for (const ControlInfo* other : order) {
                if (sameRow(*other, *info) && follows(*info, *other))
                    rects[other->id].translate(grow, 0);
            }
        }
        // Units rounded to pixels can still leave a control a pixel into the next one:
        // that one and the rest of the row move along.
        for (const ControlInfo* other : order) {
            if (!sameRow(*other, *info) || !follows(*info, *other))
                continue;
            const int overlap = rect.right() + 1 - rects[other->id].left();
            for (const ControlInfo* further : order) {
                if (overlap > 0 && sameRow(*further, *info) && further->x >= other->x)
                    rects[further->id].translate(overlap, 0);
            }
        }
    }
    // Labels, check boxes and links stand level with the boxes of their row, whose
    // heights differ from those of the platform the units come from.
    const auto isField = [](ControlKind kind) {
        return kind == ControlKind::EditableCombo || kind == ControlKind::DropDownList ||
               kind == ControlKind::Edit || kind == ControlKind::PushButton;
    };
    for (const ControlInfo* info : order) {
        if (isField(info->kind) || info->kind == ControlKind::Spin)
            continue;
        int sum = 0, count = 0;
        for (const ControlInfo* other : order) {
            if (isField(other->kind) && std::abs(CentreY(*other) - CentreY(*info)) < kRowBand) {
                sum += rects[other->id].center().y();
                ++count;
            }
        }
        if (count > 0)
            rects[info->id].moveCenter(QPoint(rects[info->id].center().x(), sum / count));
    }
    contentRight_ = units.X(474);
    for (auto it = rects.begin(); it != rects.end(); ++it) {
        Control(it.key())->setGeometry(it.value());
        contentRight_ = std::max(contentRight_, it.value().right() + units.X(4));
    }
    // Frames, the inner ones first, stretch over whatever moved out of them.
    std::sort(groupBoxes_.begin(), groupBoxes_.end(), [](const auto& a, const auto& b) {
        return a.first.width() * a.first.height() < b.first.width() * b.first.height();
    });
    std::vector<QRect> frames;
    for (const auto& [dialogRect, box] : groupBoxes_) {
        QRect frame =
            units.Rect(dialogRect.x(), dialogRect.y(), dialogRect.width(), dialogRect.height())
                .translated(0, -lift);
        if (dialogRect.x() >= kCaptionColumnEnd)
            frame.translate(columnShift, 0);
        int right = frame.right();
        for (const ControlInfo* info : order) {
            if (dialogRect.contains(QPoint(info->x, CentreY(*info))))
                right = std::max(right, rects[info->id].right() + units.X(3));
        }
        for (const QRect& inner : frames) {
            if (frame.contains(inner.topLeft()))
                right = std::max(right, inner.right() + units.X(3));
        }
        frame.setRight(right);
        // The frame's line is drawn along its edges, where the platform of the units
        // drew the top one lower and left room in captions: a box of the row above that
        // reaches into the frame pushes it down, a caption to its left ends before it.
        for (const ControlInfo* info : order) {
            QRect& rect = rects[info->id];
            if (dialogRect.contains(QPoint(info->x, CentreY(*info))) || !rect.intersects(frame))
                continue;
            if (rect.top() < frame.top()) {
                frame.setTop(rect.bottom() + 1);
            } else if (rect.left() < frame.left()) {
                rect.setRight(frame.left() - 1);
                Control(info->id)->setGeometry(rect);
            }
        }
        box->setGeometry(frame);
        frames.push_back(frame);
        contentRight_ = std::max(contentRight_, frame.right() + units.X(2));
    }
    placed_ = rects;
    const QRect filter = rects.value(ctl::kFilter);
    spareSpot_ = QRect(filter.right() + units.X(4), filter.top(), filter.height(), filter.height());
    contentRight_ = std::max(contentRight_, spareSpot_.right() + units.X(2));
    listTop_ = units.Y(147) - lift;
    PlaceBottomRow();
}

QSize OptionPanel::MinimumContentSize() const {
    return {std::max(600, contentRight_), std::max(500 - 80, listTop_ + 80 + StatusRowHeight())};
}

int OptionPanel::StatusRowHeight() const {
    return std::max(20, fontMetrics().height() + 6);
}

// A drop-down list that follows its items resizes itself to them a moment after they
// change, and asks its parent to place it again: without a layout here, only a new
// arrangement gives it back the height of its row (else it reaches into the frame
// below) and moves its neighbours along when it grew.
bool OptionPanel::event(QEvent* event) {
    if (event->type() == QEvent::LayoutRequest)
        Arrange();
    return QWidget::event(event);
}

void OptionPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceBottomRow();
}

void OptionPanel::PlaceBottomRow() {
    const int w = width(), h = height();
    const int row = StatusRowHeight();
    const int top = h - row;
    if (listView_)
        listView_->setGeometry(5, listTop_, w - 11, std::max(0, top - 2 - listTop_));
    QWidget* progress = Control(ctl::kProgress);
    QWidget* status = Control(ctl::kStatusLine);
    QWidget* count = Control(ctl::kObjectCount);
    const bool progressShown = progress && progress->isVisibleTo(this);
    const int rightEnd = progressShown ? w - 250 - 6 : w - 6;
    if (progress)
        progress->setGeometry(w - 250, top + (row - 20) / 2, 244, 20);
    // The count keeps to the left of the status text while that text shows anything.
    const auto* statusLabel = qobject_cast<QLabel*>(status);
    const bool statusShown = statusLabel && !statusLabel->text().isEmpty();
    // The count keeps its whole text: a longer summary (a translation) pushes the
    // status text along.
    const int countEnd =
        statusShown && count ? std::max(300 - 4, 5 + count->sizeHint().width()) : rightEnd;
    if (status) {
        const int left = std::min(countEnd + 4, rightEnd);
        status->setGeometry(left, top, std::max(0, rightEnd - left), row);
    }
    if (count)
        count->setGeometry(5, top, std::max(0, std::min(countEnd, rightEnd) - 5), row);
}

}  // namespace tolvane
