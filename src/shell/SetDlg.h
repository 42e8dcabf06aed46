#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "FileManagerMenus.h"
#include "settings/Language.h"
#include "settings/Settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tolvane {

// The settings dialog: the preferences of section "set" of Tolvane.ini, the interface
// language, and the file managers' menus. Saving writes every setting, applies the
// context-menu choice, tells the main window what changed of the toolbar and the
// history count, and restarts the program, which is how every change takes effect.
// Cancel and Esc write nothing; Ctrl+S saves.
class SetDlg : public QDialog, public TranslatableWindow {
    Q_OBJECT

  public:
    // What the dialog needs of the program around it.
    struct Environment {
        SettingsPaths paths;
        int systemLanguageId = kLanguageIdEnglish;
        FileManagerMenus menus{{}, {}};
        // The main window shows or hides its toolbar (sent only when the box changed).
        std::function<void(bool shown)> showToolbar;
        // The main window shortens its history drop-downs (only when the count fell).
        std::function<void(int count)> shortenHistories;
        std::function<void()> restart;
        // Tells the user something went wrong; a message box when unset.
        std::function<void(const QString& text)> notify;
    };

    explicit SetDlg(Environment environment, QWidget* parent = nullptr);

    QWidget* Control(int id) const { return controls_.value(id, nullptr); }
    // The language code kept with each entry of the language list, in list order.
    std::vector<std::wstring> LanguageCodes() const;

    // Button 1161 and Ctrl+S.
    void Save();
    // Link 1119: the Send To entries, at once.
    void AddSendTo();

    // TranslatableWindow.
    void SetCaption(const std::wstring& text) override;
    void SetControlText(int controlId, const std::wstring& text) override;
    void SetMenuTitle(int, const std::wstring&) override {}
    void SetMenuItemText(MenuId, int, const std::wstring&) override {}

  private:
    void Build();
    void Arrange();
    void Load();
    void FillLanguages(const std::wstring& storedCode);
    void Report(const FileManagerMenus::Outcome& outcome);
    QCheckBox* Box(int id) const;
    QComboBox* LanguageList() const;
    QLineEdit* CountField() const;

    Environment environment_;
    Settings settings_;
    Language language_;
    QHash<int, QWidget*> controls_;
    // As read at opening: what saving compares with.
    bool toolbarShown_ = false;
    std::wstring countText_;
    // Only a change of the context-menu box adds or removes the menu files, so a save
    // for another setting never takes away what the person left in place.
    bool contextMenuShown_ = false;
};

}  // namespace tolvane
