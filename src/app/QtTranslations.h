#pragma once

#include <QString>
#include <QTranslator>

namespace tolvane {

// Qt's own texts (the buttons of a question, the labels of Qt's file dialog) in the
// interface's language, for as long as the object lives. One catalogue is read, no
// folder is searched: starting stays quick.
class QtTranslations final {
  public:
    // `localeName` as QtLocaleOf gives it. Empty, or a locale Qt has no translation
    // for (or whose translations are not installed): Qt's English stays, silently.
    explicit QtTranslations(const QString& localeName, const QString& folder = Folder());
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    bool Installed() const { return installed_; }

    // Where the system keeps Qt's translations.
    static QString Folder();

  private:
    QTranslator translator_;
    bool installed_ = false;
};

}  // namespace tolvane
