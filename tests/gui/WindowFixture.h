#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/CKestrinDlg.h"

class QComboBox;
class QWidget;

namespace tolvane::test {

// The main window as a person meets it, over folders of its own: the settings file,
// the journal and the runtime folder live in a temporary folder that goes with the
// fixture, and files to rename are made in a folder beside them. Restart and exit are
// counted instead of carried out.
class WindowFixture {
  public:
    WindowFixture();
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    std::filesystem::path SettingsFile() const;
    // Writes Tolvane.ini as it stands in `text` (UTF-8), before the window opens.
    void WriteSettings(const QString& text) const;
    // A value of the settings file, read as the program reads it.
    QString Setting(const QString& section, const QString& key) const;
    bool SettingsFileExists() const;

    // The folder for files to rename, and a file made in it.
    std::filesystem::path Files() const;
    std::filesystem::path MakeFile(const std::string& name, const std::string& content = "") const;
    // The names in the files folder, sorted.
    QStringList NamesOnDisk() const;

    // Opens the window in the system language `languageId` (2052 or 1033) with the
    // shipped language folder, adds `arguments` as a command line does (before the
    // window shows), shows it and makes it the active window.
    CKestrinDlg& Open(int languageId = 2052, const std::vector<std::wstring>& arguments = {});
    // Closes and destroys the window, as a person ends the program.
    void Close();
    CKestrinDlg& Window() const { return *window_; }

    // The window's controls by id.
    QWidget* Control(int id) const;
    QComboBox* Combo(int id) const;

    // Adds files of the files folder as rows, as dropping them would, and waits until
    // their new names are shown.
    void AddFiles(const QStringList& names);
    int RowCount() const;
    QString Cell(int row, int column) const;
    // The texts of one column, top to bottom.
    QStringList Column(int column) const;
    QString CellToolTip(int row, int column) const;
    // The text under the list and the status line.
    QString SummaryLine() const;
    QString StatusLine() const;

    int restarts = 0;
    int exits = 0;

  private:
    QTemporaryDir home_;
    std::unique_ptr<CKestrinDlg> window_;
};

// Keys as a person types them: to the widget that has the keyboard focus after
// `target` took it, so that whatever sits between keyboard and field takes part.
// Text outside Latin-1 goes as key events carrying the text (QTest::keyClicks
// cannot send it).
void FocusOn(QWidget* target);
void TypeText(QWidget* target, const QString& text);
void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Text committed by an input method into the focused field.
void CommitText(QWidget* target, const QString& text);
// Opens the drop-down list and picks item `index` with the arrow keys and Enter.
void ChooseItem(QComboBox* combo, int index);

// Saves a picture of `widget` as NAME.png in $TOLVANE_SCREENSHOT_DIR, when it is set,
// for a person to look at.
void SavePicture(QWidget& widget, const QString& name);

// Waits until every computation asked for so far has finished.
void WaitForPreviewIdle(CKestrinDlg& window);

// Waits for the next finished preview computation; false when none came.
class PreviewWaiter {
  public:
    explicit PreviewWaiter(CKestrinDlg& window);
    ~PreviewWaiter();
    bool Wait(int timeoutMs = 5000);

  private:
    struct Spy;
    std::unique_ptr<Spy> spy_;
};

// Runs `action` on the next top-level widget of class `className` that shows within
// the time, from a timer (for modal dialogs opened by the code under test). Returns a
// flag that turns true when it ran.
std::shared_ptr<bool> WhenDialogShows(const char* className, std::function<void(QWidget*)> action,
                                      int timeoutMs = 5000);

}  // namespace tolvane::test
