#include "ToolBars.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QToolBar>
#include <QToolButton>

#include "CommandTable.h"
#include "DisplayText.h"
#include "settings/Language.h"
#include "settings/MenuTable.h"

// Resources of a static library are registered by hand.
static void RegisterToolbarImages() {
    Q_INIT_RESOURCE(toolbar);
}

namespace tolvane {

namespace {

struct Button {
    int command;
    const char* tipKey;
    const char* themeIcon;
    const char* ownIcon;
};

constexpr Button kButtons[] = {
    {cmd::kAddFiles, "addFile", "document-open", ":/icons/add-files.svg"},
    {cmd::kAddFolder, "addFolder", "folder-open", ":/icons/add-folder.svg"},
    {cmd::kUndo, "tipCancelRename", "edit-undo", ":/icons/undo.svg"},
    {cmd::kExecute, "tipRename", "system-run", ":/icons/rename.svg"},
    {cmd::kSettings, "tipSetting", "preferences-system", ":/icons/settings.svg"},
    {cmd::kAlwaysOnTop, "setWindowTop", "", ":/icons/pin.svg"},
};

QIcon IconFor(const char* theme, const char* own) {
    return QIcon::fromTheme(QString::fromLatin1(theme), QIcon(QString::fromLatin1(own)));
}

QIcon OnTopIcon(bool onTop) {
    return QIcon(onTop ? QStringLiteral(":/icons/pinned.svg") : QStringLiteral(":/icons/pin.svg"));
}

}  // namespace

ToolBars::ToolBars(QMainWindow* window, QWidget* panel, const CommandTable& commands,
                   const Language& language)
    : QObject(window),
      window_(window),
      language_(language),
      main_(new QToolBar(window)),
      small_(new QToolButton(panel)) {
    RegisterToolbarImages();
    main_->setObjectName(QStringLiteral("mainToolBar"));
    main_->setMovable(false);
    main_->setFloatable(false);
    main_->setIconSize(QSize(20, 20));
    main_->toggleViewAction()->setVisible(false);
    window->addToolBar(Qt::TopToolBarArea, main_);
    for (const Button& button : kButtons) {
        QAction* action = main_->addAction(IconFor(button.themeIcon, button.ownIcon),
                                           DisplayText(language.Text(button.tipKey)));
        action->setToolTip(DisplayText(language.Text(button.tipKey)));
        action->setObjectName(QStringLiteral("toolbar%1").arg(button.command));
        const int id = button.command;
        connect(action, &QAction::triggered, this, [&commands, id] { commands.Run(id); });
        if (id == cmd::kAlwaysOnTop)
            onTopAction_ = action;
    }
    small_->setObjectName(QStringLiteral("smallToolBar"));
    small_->setAutoRaise(true);
    small_->setFocusPolicy(Qt::TabFocus);
    connect(small_, &QToolButton::clicked, this, [&commands] { commands.Run(cmd::kAlwaysOnTop); });
    ShowOnTop(false);
}

void ToolBars::Show(bool shown) {
    main_->setVisible(shown);
    small_->setVisible(!shown);
}

bool ToolBars::Shown() const {
    return main_->isVisibleTo(window_);
}

void ToolBars::ShowOnTop(bool onTop) {
    const QString tip = DisplayText(language_.Text(onTop ? "cancelWindowTop" : "setWindowTop"));
    for (QObject* button : {static_cast<QObject*>(onTopAction_), static_cast<QObject*>(small_)}) {
        if (auto* action = qobject_cast<QAction*>(button)) {
            action->setIcon(OnTopIcon(onTop));
            action->setToolTip(tip);
            action->setText(tip);
        } else if (auto* tool = qobject_cast<QToolButton*>(button)) {
            tool->setIcon(OnTopIcon(onTop));
            tool->setToolTip(tip);
            tool->setAccessibleName(tip);
        }
    }
}

void ToolBars::PlaceSmallButton(int x, int y, int size) {
    small_->setGeometry(x, y, size, size);
    small_->setIconSize(QSize(size - 6, size - 6));
}

}  // namespace tolvane
