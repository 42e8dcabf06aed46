#pragma once

#include <QDialog>
#include <filesystem>

#include "settings/Language.h"

class QPlainTextEdit;

namespace tolvane {

// The usage notes of the help menu: a read-only text about adding files, patterns
// and the name templates' tokens. The main window creates it once, hidden, and keeps
// it; closing it (Escape, the title bar) only hides it again.
class HelpDlg : public QDialog {
    Q_OBJECT

  public:
    // `settingsFile` is the settings file in use, which the text tells the user to
    // edit; `systemLanguageId` decides the caption.
    explicit HelpDlg(const std::filesystem::path& settingsFile, QWidget* owner = nullptr,
                     int systemLanguageId = LanguageIdOfEnvironment());

    // Centres the window over `owner`'s window, kept on its screen, and brings it to
    // the front; a window already shown is only moved and raised.
    void ShowCentredOver(QWidget* owner);

    // The text shown, one line per line ending; it begins and ends with an empty line.
    static QString Text(const std::filesystem::path& settingsFile);

    QPlainTextEdit* TextView() const { return text_; }

  private:
    QPlainTextEdit* text_;
};

}  // namespace tolvane
