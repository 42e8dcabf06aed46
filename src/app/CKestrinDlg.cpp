#include "CKestrinDlg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

#include <filesystem>

#include "AboutDlg.h"
#include "AddingFiles.h"
#include "ApplicationIcon.h"
#include "BatchLock.h"
#include "ClipboardMenu.h"
#include "CommandTable.h"
#include "ConflictChecker.h"
#include "DialogUnits.h"
#include "DisplayText.h"
#include "FileListModel.h"
#include "FileListView.h"
#include "FreedMemory.h"
#include "HeaderMenu.h"
#include "HelpDlg.h"
#include "InlineEditor.h"
#include "ListCommands.h"
#include "OptionActions.h"
#include "OptionPanel.h"
#include "PassActions.h"
#include "PanelSpokenNames.h"
#include "PathListActions.h"
#include "PreviewController.h"
#include "ProjectLinks.h"
#include "QtTranslations.h"
#include "RowMenu.h"
#include "TextModeEditor.h"
#include "ToolBars.h"
#include "engine/OptionLists.h"
#include "engine/Recompute.h"
#include "execute/InputHistory.h"
#include "filelist/ColumnLayout.h"
#include "filelist/ListEditing.h"

namespace tolvane {

namespace {

constexpr const char* kInstanceName = "Tolvane";
// A resize is stored once the frame has been still this long.
constexpr int kSaveSizeAfterMs = 400;

}  // namespace

CKestrinDlg::CKestrinDlg(Environment environment, QWidget* parent)
    : QMainWindow(parent),
      environment_(std::move(environment)),
      settings_(environment_.paths.settingsFile),
      list_(ColumnsFromSettings(settings_)) {
    // The preview and the check free and make 100,000 names per keystroke; the memory
    // goes back to the system once the window is idle (ConflictChecker).
    HoldFreedMemoryUntilIdle();
    setWindowTitle(QString::fromLatin1(kInstanceName));
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    std::error_code ec;
    std::filesystem::create_directories(settings_.File().parent_path(), ec);

    // Language first: every text below is looked up in it.
    const LanguageChoice choice =
        ChooseLanguage(settings_, environment_.systemLanguageId, environment_.paths.languageFolder);
    language_ = Language(choice.file);
    // Before any widget: Qt's own texts (question buttons, its file dialog) follow too.
    qtTexts_ = std::make_unique<QtTranslations>(
        QString::fromStdString(QtLocaleOf(language_, choice.code)));
    panel_ = new OptionPanel(this);
    setCentralWidget(panel_);
    commands_ = new CommandTable(this);
    commands_->BuildMenuBar(menuBar());
    ApplyToMainWindow(language_, *this);

    preview_ = new PreviewController(list_, rows_, clock_, this);
    options_ = new OptionActions(*panel_, settings_, language_, this);
    adding_ = new AddingFiles(list_, *panel_, *preview_, settings_, language_, clock_, this);
    passes_ =
        new PassActions(list_, *panel_, *options_, *preview_, settings_, language_, clock_, this);
    clipboardMenu_ = new ClipboardMenu(list_, language_, this);
    pathLists_ = new PathListActions(list_, *adding_, language_, this);
    textMode_ = new TextModeEditor(list_, *panel_, this);
    model_ = new FileListModel(list_, language_, this);
    conflicts_ = new ConflictChecker(list_, rows_, language_, this);
    panel_->ListView()->SetFileListModel(model_);
    // No status of the language is cut in its column.
    QStringList statuses;
    for (const char* key :
         {"sucess", "fail", "noModify", "unchecked", "nameTaken", "nameTwice", "nameRefused"})
        statuses << DisplayText(language_.Text(key));
    panel_->ListView()->FitColumnToTexts(ColumnLayout::kStatus, statuses);
    panel_->ListView()->setAccessibleName(DisplayText(language_.Text("fileList")));
    PanelSpokenNames(*panel_).Apply(language_);
    help_ = new HelpDlg(settings_.File(), this, environment_.systemLanguageId);
    batch_ = new BatchLock(*panel_, this);
    adding_->SetBatchLock(batch_);
    listCommands_ = new ListCommands(list_, *panel_, language_, this);
    rowMenu_ = new RowMenu(*commands_, list_, language_, panel_->ListView());
    headerMenu_ = new HeaderMenu(*commands_, list_, settings_, language_, panel_->ListView());
    inlineEditor_ = new InlineEditor(
        list_, panel_->ListView(), qobject_cast<QLineEdit*>(panel_->Control(ctl::kInPlaceEditor)));

    // Before anything below sets an option: loading the last options asks for new names.
    recomputeTimer_ = new QTimer(this);
    recomputeTimer_->setSingleShot(true);
    connect(recomputeTimer_, &QTimer::timeout, this, &CKestrinDlg::StartRecompute);
    sizeTimer_ = new QTimer(this);
    sizeTimer_->setSingleShot(true);
    sizeTimer_->setInterval(kSaveSizeAfterMs);
    connect(sizeTimer_, &QTimer::timeout, this, &CKestrinDlg::SaveSize);

    const StartupSettings startup = RunStartupSettings(settings_);
    SetUpPanel();
    options_->FillLists(startup);
    panel_->ApplySilently(RenameOptions::WindowDefaults());
    if (startup.loadHistory) {
        for (const int id : kHistoryComboIds)
            panel_->SetItems(id, LoadInputHistory(settings_, id));
    }
    if (startup.fileExisted && startup.loadLastSet)
        options_->LoadLastOptions();
    if (startup.hasLastSet)
        panel_->Control(ctl::kRenameLikeLast)->setEnabled(*startup.hasLastSet);
    panel_->Control(ctl::kTextMode)->setEnabled(false);
    panel_->UpdateEnabling();
    panel_->SetCaption(ctl::kStatusLine, {});
    // Captions, list items and their selections are known: the controls take the room
    // they need.
    panel_->Arrange();

    SetUpCommands();
    toolbars_ = new ToolBars(this, panel_, *commands_, language_);
    toolbars_->Show(startup.showToolbar);
    const QRect spot = panel_->SpareButtonSpot();
    toolbars_->PlaceSmallButton(spot.x(), spot.y(), spot.height());
    panel_->Combo(ctl::kInsertText)->setFocus();

    const QSize minimum = panel_->MinimumContentSize();
    // A shown toolbar takes its height from the list.
    const int bars = menuBar()->sizeHint().height() +
                     (toolbars_->Shown() ? toolbars_->Main()->sizeHint().height() : 0);
    setMinimumSize(minimum.width(), minimum.height() + bars);
    const DialogUnits units(panel_->font());
    QSize size(units.X(474), units.Y(381) + menuBar()->sizeHint().height());
    if (startup.width > 0 && startup.height > 0)
        size = QSize(startup.width, startup.height);
    resize(size.expandedTo(minimumSize()));

    // Check boxes clicked one after another are checked for conflicts once.
    checkTimer_ = new QTimer(this);
    checkTimer_->setSingleShot(true);
    checkTimer_->setInterval(150);
    connect(checkTimer_, &QTimer::timeout, conflicts_, [this] { conflicts_->Check(); });
    qApp->installEventFilter(this);
}

CKestrinDlg::~CKestrinDlg() {
    // Hidden while the list, the language and the settings still exist: a window that
    // is destroyed shown (the application quit from outside) hides in QWidget's
    // destructor, and its list view then asks the model about rows that are gone.
    hide();
}

void CKestrinDlg::SetUpPanel() {
    for (const ControlTip& tip : ControlTips())
        panel_->SetToolTip(tip.id, DisplayText(language_.Text(tip.key)));
    connect(panel_, &OptionPanel::OptionEdited, this, &CKestrinDlg::OnOptionEdited);
    connect(panel_, &OptionPanel::ButtonClicked, this, &CKestrinDlg::OnButton);
    connect(options_, &OptionActions::RecomputeRequested, this, &CKestrinDlg::RecomputeAllNewNames);
    connect(passes_, &PassActions::ClearListRequested, this, &CKestrinDlg::ClearList);
    connect(preview_, &PreviewController::Finished, this, &CKestrinDlg::ShowPatternState);
    connect(preview_, &PreviewController::Finished, this,
            [this] { conflicts_->Check(preview_->Rows(), preview_->TakeNewNames()); });
    connect(adding_, &AddingFiles::BatchAdded, conflicts_, [this] { conflicts_->Check(); });
    // What the check counted was of the disk before the pass; the pass's statuses say
    // what happened now.
    connect(passes_, &PassActions::DiskChanged, conflicts_, [this] { ForgetConflicts(); });
    // Nor does the check slow the pass down meanwhile.
    connect(passes_, &PassActions::DiskChanging, conflicts_, &ConflictChecker::Cancel);
    // Names pasted or typed are what a pass renames to, until an option changes.
    connect(clipboardMenu_, &ClipboardMenu::NewNamesPasted, this, [this] {
        preview_->Adopt(panel_->Snapshot());
        checkTimer_->start();
    });
    const auto clipboardSilent = [this] {
        panel_->SetCaption(ctl::kStatusLine, DisplayText(language_.Text("clipboardSilent")));
    };
    connect(clipboardMenu_, &ClipboardMenu::ClipboardSilent, this, clipboardSilent);
    connect(pathLists_, &PathListActions::ClipboardSilent, this, clipboardSilent);
    connect(textMode_, &TextModeEditor::LineCountMismatch, this,
            [this](bool mismatch, int lines, int rows) {
                panel_->SetCaption(
                    ctl::kObjectCount,
                    mismatch
                        ? DisplayText(language_.Text("linesDiffer")).arg(lines).arg(rows)
                        : DisplayText(ObjectCountText(list_.RowCount(), language_.Text("files"))));
            });
    connect(textMode_, &TextModeEditor::NamesEdited, this, [this] {
        preview_->KeepNames();
        checkTimer_->start();
    });
    connect(model_, &FileListModel::CheckToggled, this, [this] { checkTimer_->start(); });
    connect(conflicts_, &ConflictChecker::Checked, this, [this](int count) {
        conflictCount_ = count;
        UpdateStatusLine();
    });
    auto* progress = qobject_cast<QProgressBar*>(panel_->Control(ctl::kProgress));
    connect(preview_, &PreviewController::Running, this, [this, progress](int rows) {
        progress->setRange(0, rows);
        progress->setValue(0);
        progress->show();
        panel_->PlaceBottomRow();
    });
    connect(preview_, &PreviewController::Progressed, progress, &QProgressBar::setValue);
    connect(preview_, &PreviewController::Finished, this, [this, progress] {
        if (progress->isVisible() && !batch_->Busy()) {
            progress->hide();
            progress->setValue(0);
            panel_->PlaceBottomRow();
        }
    });
    FileListView* view = panel_->ListView();
    // Rows that move make names still being computed for the old order stale: the list's
    // generation tells the preview.
    connect(view, &FileListView::HeaderClicked, this,
            [this](int column) { list_.ClickColumn(column, panel_->Text(ctl::kFilter)); });
    connect(listCommands_, &ListCommands::ClearListRequested, this, &CKestrinDlg::ClearList);
    connect(listCommands_, &ListCommands::InlineRenameRequested, this,
            &CKestrinDlg::BeginInlineRename);
    // A name typed into a row is what a pass renames to, until an option changes (the
    // pass's flush would otherwise compute every name again from the options).
    connect(inlineEditor_, &InlineEditor::Committed, this, [this] {
        if (!preview_->Busy())
            preview_->Adopt(panel_->Snapshot());
        conflicts_->Check();
    });
    connect(view, &FileListView::RowsClicked, this, [this] {
        if (!list_.Colours().Empty())
            list_.ClearColours();
    });
}

void CKestrinDlg::SetUpCommands() {
    using Keys = QList<QKeySequence>;
    CommandTable& c = *commands_;
    c.Define(cmd::kAddFiles, Keys{Qt::Key_F3}, [this] { adding_->AddFilesFromDialog(); });
    c.Define(cmd::kAddFolder, Keys{Qt::Key_F4}, [this] { adding_->AddFolderFromDialog(); });
    c.Define(cmd::kRestart, Keys{Qt::CTRL | Qt::Key_R}, [this] {
        if (sizeTimer_->isActive())
            SaveSize();
        if (environment_.restart)
            environment_.restart();
    });
    c.Define(cmd::kExit, Keys{Qt::CTRL | Qt::Key_Q}, [this] {
        if (sizeTimer_->isActive())
            SaveSize();
        if (environment_.exitNow)
            environment_.exitNow();
    });
    c.Define(cmd::kExecute, Keys{Qt::CTRL | Qt::Key_F2}, [this] { passes_->ExecuteRenames(); });
    // Ctrl+Alt+F2 switches the virtual terminal on Linux before any program sees it.
    c.Define(cmd::kUndo, Keys{Qt::CTRL | Qt::ALT | Qt::Key_F2, Qt::CTRL | Qt::SHIFT | Qt::Key_F2},
             [this] { passes_->UndoRenames(); });
    c.Define(cmd::kResetOptions, Keys{Qt::Key_F8}, [this] { options_->ResetOptions(); });
    c.Define(cmd::kClearList, Keys{Qt::Key_F9}, [this] { ClearList(); });
    ListCommands& rows = *listCommands_;
    c.Define(cmd::kMoveTop, Keys{Qt::ALT | Qt::Key_Home},
             [&rows] { rows.Move(MoveDirection::Top); });
    c.Define(cmd::kMoveUp, Keys{Qt::ALT | Qt::Key_Up}, [&rows] { rows.Move(MoveDirection::Up); });
    c.Define(cmd::kMoveDown, Keys{Qt::ALT | Qt::Key_Down},
             [&rows] { rows.Move(MoveDirection::Down); });
    c.Define(cmd::kMoveBottom, Keys{Qt::ALT | Qt::Key_End},
             [&rows] { rows.Move(MoveDirection::Bottom); });
    c.Define(cmd::kRenameSelected, Keys{}, [this] { BeginInlineRename(); });
    c.Define(cmd::kCheck, Keys{}, [&rows] { rows.CheckSelected(true); });
    c.Define(cmd::kUncheck, Keys{}, [&rows] { rows.CheckSelected(false); });
    c.Define(cmd::kRemove, Keys{}, [&rows] { rows.RemoveSelected(); });
    c.Define(cmd::kOpenFile, Keys{}, [&rows] { rows.OpenFile(); });
    c.Define(cmd::kOpenFolderOfFile, Keys{}, [&rows] { rows.OpenLocations(); });
    c.Define(cmd::kClearList2, Keys{}, [this] { ClearList(); });
    c.Define(cmd::kFitColumns, Keys{}, [this] { headerMenu_->FitColumns(); });
    for (const OptionalColumn column : kOptionalColumns)
        c.Define(InfoOf(KindOf(column)).commandId, Keys{},
                 [this, column] { headerMenu_->Switch(column); });
    c.Define(cmd::kImportPathList, Keys{Qt::Key_F6}, [this] { pathLists_->ImportFromDialog(); });
    c.Define(cmd::kImportClipboardPaths, Keys{Qt::Key_F7},
             [this] { pathLists_->ImportFromClipboard(); });
    const Dialogs& dialogs = environment_.dialogs;
    const auto open = [this](const std::function<void(CKestrinDlg&)>& dialog) {
        return [this, dialog] {
            if (dialog)
                dialog(*this);
        };
    };
    c.Define(cmd::kExportProfile, Keys{Qt::ALT | Qt::Key_O}, open(dialogs.exportProfile));
    c.Define(cmd::kImportProfile, Keys{Qt::ALT | Qt::Key_I}, open(dialogs.importProfile));
    c.Define(cmd::kSettings, Keys{Qt::ALT | Qt::Key_S}, open(dialogs.settings));
    c.Define(cmd::kHelp, Keys{}, [this] { ShowHelp(); });
    c.Define(cmd::kAbout, Keys{}, [this] {
        AboutDlg about(this, environment_.systemLanguageId);
        about.exec();
    });
    c.Define(cmd::kDonate, Keys{}, [] { OpenDonatePage(); });
    // Without a donation page of the project's own, the menu offers none.
    if (QAction* donate = c.Action(cmd::kDonate); donate && DonateUrl().isEmpty())
        donate->setVisible(false);
    c.Define(cmd::kAlwaysOnTop, Keys{Qt::CTRL | Qt::Key_T}, [this] { ToggleAlwaysOnTop(); });
}

void CKestrinDlg::AddArguments(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths) {
        if (!path.empty())
            adding_->AddOnePath(path);
    }
}

void CKestrinDlg::AddOnePath(const std::wstring& path) {
    adding_->AddOnePath(path);
}

void CKestrinDlg::ShowFromOtherCopy() {
    showNormal();
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    raise();
    activateWindow();
}

void CKestrinDlg::OnOptionEdited(int id) {
    switch (id) {
        case ctl::kRegexPreset: options_->ApplyRegexPreset(panel_->Selection(id)); return;
        case ctl::kTemplatePreset: options_->ApplyTemplatePreset(panel_->Selection(id)); return;
        case ctl::kFilter: ApplyFilter(); return;
        case ctl::kTextMode:
            // The lines start from the names of the options as they are.
            if (panel_->Checked(id) && preview_->Busy())
                preview_->Flush(panel_->Snapshot(),
                                {AnchorSideItems(language_), BeforeWord(language_)});
            else if (panel_->Checked(id))
                preview_->Adopt(panel_->Snapshot());
            textMode_->Toggle();
            return;
        // Read when folders are added; nothing changes at once.
        case ctl::kIncludeSubfolders:
        case ctl::kRenameFolders:
        case ctl::kTextModeEditor:
        case ctl::kInPlaceEditor: return;
        default: RecomputeAllNewNames(id);
    }
}

void CKestrinDlg::OnButton(int id) {
    switch (id) {
        case ctl::kResetOptions: options_->ResetOptions(); return;
        case ctl::kRenameLikeLast: options_->LoadLastOptions(); return;
        case ctl::kExecute: passes_->ExecuteRenames(); return;
        case ctl::kAddUserTemplate: options_->AddUserTemplate(); return;
        case ctl::kDeleteDirection: options_->ToggleDeleteDirection(); return;
        case 1026: SelectAll(list_); return;
        case 1027: InvertSelection(list_); return;
        case 1029: passes_->RefreshRenamedItems(); return;
        case 1031: clipboardMenu_->Open(panel_->Control(1031)); return;
        default: return;
    }
}

void CKestrinDlg::RecomputeAllNewNames(int triggerId) {
    panel_->UpdateEnabling();
    // Changes that arrive together (a profile sets every control) compute once.
    pendingTrigger_ = pendingTrigger_ == 0 ? triggerId : pendingTrigger_;
    recomputeTimer_->start(0);
}

void CKestrinDlg::ShowToolbar(bool shown) {
    textMode_->Leave();
    toolbars_->Show(shown);
    panel_->Arrange();
}

void CKestrinDlg::ShortenInputHistories(int count) {
    for (const int id : kHistoryComboIds) {
        std::vector<std::wstring> items = panel_->Items(id);
        const size_t before = items.size();
        ShortenDropDown(items, count);
        if (items.size() != before)
            panel_->SetItems(id, items);
    }
}

void CKestrinDlg::StartRecompute() {
    const int trigger = pendingTrigger_;
    pendingTrigger_ = 0;
    const RenameOptions options = panel_->Snapshot();
    if (!ShouldRecompute(options, trigger, list_.RowCount()))
        return;
    panel_->SetCaption(ctl::kStatusLine, {});
    // A check of the names being replaced would only slow the computation down: the
    // new names get a check of their own.
    conflicts_->Cancel();
    preview_->Request(options, PipelineTexts{AnchorSideItems(language_), BeforeWord(language_)});
}

void CKestrinDlg::ShowPatternState() {
    patternMessage_.clear();
    if (preview_->PatternInvalid())
        patternMessage_ = DisplayText(language_.Text("patternInvalid")) + QStringLiteral(" ") +
                          preview_->PatternError();
    else if (preview_->PatternGaveUp())
        patternMessage_ = DisplayText(language_.Text("patternGaveUp"));
    UpdateStatusLine();
}

void CKestrinDlg::UpdateStatusLine() {
    QString text = patternMessage_;
    if (text.isEmpty() && conflictCount_ > 0)
        text = DisplayText(language_.Text("conflicts")) + QStringLiteral(" %1").arg(conflictCount_);
    panel_->SetCaption(ctl::kStatusLine, text);
    // Arranged again with each change of state: after a pattern was switched on, the
    // first arrangement left a drop-down list across a frame (the layout test shows it).
    panel_->Arrange();
}

void CKestrinDlg::ApplyFilter() {
    if (!list_.ApplyFilter(panel_->Text(ctl::kFilter))) {
        panel_->SetCaption(ctl::kStatusLine, DisplayText(language_.Text("filterGaveUp")));
    }
}

void CKestrinDlg::ClearList() {
    textMode_->Leave();
    ForgetConflicts();
    list_.Clear();
    panel_->SetCaption(ctl::kObjectCount, {});
    // No check follows to give the rows' memory back to the system.
    ReturnFreedMemoryLater();
}

// After the refresh blanked the new names, a name typed into one row must not leave
// the others empty: they are computed again first.
void CKestrinDlg::BeginInlineRename() {
    preview_->Restore(panel_->Snapshot(),
                      PipelineTexts{AnchorSideItems(language_), BeforeWord(language_)});
    inlineEditor_->Begin();
}

void CKestrinDlg::ForgetConflicts() {
    if (checkTimer_)  // made after set-up, which may already clear the list
        checkTimer_->stop();
    conflicts_->Cancel();
    conflictCount_ = 0;
    UpdateStatusLine();
}

void CKestrinDlg::ToggleAlwaysOnTop() {
    // A Wayland client cannot raise itself above others (the stacking belongs to the
    // compositor, and Qt drops the hint there): say where the desktop offers it instead
    // of showing a pin that keeps nothing on top.
    if (!onTop_ && QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        panel_->SetCaption(ctl::kStatusLine, DisplayText(language_.Text("onTopByDesktop")));
        return;
    }
    onTop_ = !onTop_;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop_);
    if (visible)
        show();
    toolbars_->ShowOnTop(onTop_);
}

void CKestrinDlg::ShowHelp() {
    help_->ShowCentredOver(this);
}

void CKestrinDlg::SetCaption(const std::wstring&) {
    // The caption is the instance name, by which another copy finds the window.
}

void CKestrinDlg::SetControlText(int controlId, const std::wstring& text) {
    panel_->SetCaption(controlId, DisplayText(text));
}

void CKestrinDlg::SetMenuTitle(int position, const std::wstring& text) {
    commands_->SetMenuTitle(position, DisplayText(text));
}

void CKestrinDlg::SetMenuItemText(MenuId menu, int commandId, const std::wstring& text) {
    if (menu == MenuId::MenuBar)
        commands_->SetItemText(commandId, DisplayText(text));
}

void CKestrinDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData() && AddingFiles::CanTakeDrop(*event->mimeData()))
        event->acceptProposedAction();
}

void CKestrinDlg::dropEvent(QDropEvent* event) {
    if (!event->mimeData())
        return;
    event->acceptProposedAction();
    // Resolved on a thread of its own: dropped text may hold a million lines.
    pathLists_->AddDropped(*event->mimeData(), panel_->Checked(ctl::kIncludeSubfolders),
                           panel_->Checked(ctl::kRenameFolders));
}

void CKestrinDlg::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (isVisible())
        sizeTimer_->start();
}

void CKestrinDlg::SaveSize() {
    sizeTimer_->stop();
    // Stored as the window's own size, so that the next start opens at the same size.
    settings_.Write(keys::kWidth, std::to_wstring(width()));
    settings_.Write(keys::kHeight, std::to_wstring(height()));
}

bool CKestrinDlg::eventFilter(QObject* watched, QEvent* event) {
    // Tool tips show unless the settings turn them off, as they are at that moment.
    if (event->type() == QEvent::ToolTip && !settings_.Flag(keys::kShowTip)) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tolvane
