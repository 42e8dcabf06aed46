#pragma once

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

#include "SharedRows.h"
#include "engine/Clock.h"
#include "filelist/FileList.h"
#include "settings/Language.h"
#include "settings/Settings.h"

class QTimer;

namespace tolvane {

class AddingFiles;
class BatchLock;
class HeaderMenu;
class InlineEditor;
class ListCommands;
class RowMenu;
class ClipboardMenu;
class CommandTable;
class ConflictChecker;
class FileListModel;
class HelpDlg;
class OptionActions;
class OptionPanel;
class PassActions;
class PathListActions;
class PreviewController;
class QtTranslations;
class TextModeEditor;
class ToolBars;

// The main window: it owns the parts of the window and wires them together; what
// each part does is in its own class. Set up in the order the window has always
// been: settings, language, option lists, history, last options, list, the paths
// of the command line, tool tips, toolbars, size.
class CKestrinDlg : public QMainWindow, public TranslatableWindow {
    Q_OBJECT

  public:
    // The dialogs that live in a library above the window: the settings (Alt+S) and
    // the rename configuration files (Alt+O exports, Alt+I imports). A dialog left
    // unset makes its command do nothing.
    struct Dialogs {
        std::function<void(CKestrinDlg&)> settings;
        std::function<void(CKestrinDlg&)> exportProfile;
        std::function<void(CKestrinDlg&)> importProfile;
    };

    // How the program behaves around the window: where its files are, which language
    // the system speaks, how it restarts and ends at once, and its dialogs.
    struct Environment {
        SettingsPaths paths = LocateSettings();
        int systemLanguageId = LanguageIdOfEnvironment();
        std::function<void()> restart;
        std::function<void()> exitNow;
        Dialogs dialogs;
    };

    explicit CKestrinDlg(Environment environment, QWidget* parent = nullptr);
    ~CKestrinDlg() override;

    // Set-up's last steps: every non-empty argument, as it stands, then the size.
    void AddArguments(const std::vector<std::wstring>& paths);
    // A path handed over by another copy of the program (already trimmed).
    void AddOnePath(const std::wstring& path);
    // Brings the window to the front, restored and centred, as another copy asks.
    void ShowFromOtherCopy();

    // Parts, for the program and its tests.
    OptionPanel& Panel() const { return *panel_; }
    FileList& List() { return list_; }
    CommandTable& Commands() const { return *commands_; }
    PassActions& Passes() const { return *passes_; }
    PreviewController& Preview() const { return *preview_; }
    ConflictChecker& Conflicts() const { return *conflicts_; }
    BatchLock& Batch() const { return *batch_; }
    ListCommands& ListTools() const { return *listCommands_; }
    RowMenu& Rows() const { return *rowMenu_; }
    HeaderMenu& Header() const { return *headerMenu_; }
    InlineEditor& Inline() const { return *inlineEditor_; }
    ClipboardMenu& Clipboard() const { return *clipboardMenu_; }
    PathListActions& PathLists() const { return *pathLists_; }
    TextModeEditor& TextMode() const { return *textMode_; }
    const Settings& AppSettings() const { return settings_; }
    const Language& Texts() const { return language_; }
    const Environment& Env() const { return environment_; }
    bool AlwaysOnTop() const { return onTop_; }

    // Applies the options now (for the preview: the next computation starts here).
    void RecomputeAllNewNames(int triggerId);

    // The settings dialog's news. The toolbar shown or hidden, the panel moved with
    // it, the stand-in always-on-top button shown exactly while the toolbar is hidden,
    // and text mode left.
    void ShowToolbar(bool shown);
    // The record count was lowered: each history drop-down keeps its newest
    // count - 1 entries.
    void ShortenInputHistories(int count);

    // TranslatableWindow.
    void SetCaption(const std::wstring& text) override;
    void SetControlText(int controlId, const std::wstring& text) override;
    void SetMenuTitle(int position, const std::wstring& text) override;
    void SetMenuItemText(MenuId menu, int commandId, const std::wstring& text) override;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetUpCommands();
    void SetUpPanel();
    void OnOptionEdited(int id);
    void OnButton(int id);
    void StartRecompute();
    void ShowPatternState();
    void UpdateStatusLine();
    void ApplyFilter();
    void ClearList();
    void ForgetConflicts();
    void BeginInlineRename();
    void ToggleAlwaysOnTop();
    void ShowHelp();
    void SaveSize();

    Environment environment_;
    Settings settings_;
    Language language_;
    std::unique_ptr<QtTranslations> qtTexts_;
    SystemClock clock_;
    FileList list_;
    SharedRows rows_{list_};
    OptionPanel* panel_ = nullptr;
    FileListModel* model_ = nullptr;
    CommandTable* commands_ = nullptr;
    PreviewController* preview_ = nullptr;
    ConflictChecker* conflicts_ = nullptr;
    OptionActions* options_ = nullptr;
    AddingFiles* adding_ = nullptr;
    PassActions* passes_ = nullptr;
    ClipboardMenu* clipboardMenu_ = nullptr;
    PathListActions* pathLists_ = nullptr;
    TextModeEditor* textMode_ = nullptr;
    ToolBars* toolbars_ = nullptr;
    HelpDlg* help_ = nullptr;
    BatchLock* batch_ = nullptr;
    ListCommands* listCommands_ = nullptr;
    RowMenu* rowMenu_ = nullptr;
    HeaderMenu* headerMenu_ = nullptr;
    InlineEditor* inlineEditor_ = nullptr;
    QTimer* recomputeTimer_ = nullptr;
    QTimer* sizeTimer_ = nullptr;
    QTimer* checkTimer_ = nullptr;
    QString patternMessage_;
    int conflictCount_ = 0;
    int pendingTrigger_ = 0;
    bool onTop_ = false;
};

}  // namespace tolvane
