#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace tolvane {

QtTranslations::QtTranslations(const QString& localeName, const QString& folder) {
    if (localeName.isEmpty())
        return;
    // QLocale understands "zh_TW" as well as "zh-Hant"; a name it does not know
    // becomes the C locale, which has no translation.
    const QLocale locale(localeName);
    if (locale.language() == QLocale::C)
        return;
    // qt_LOCALE.qm names the catalogues of every Qt module, read from the same folder.
    if (translator_.load(locale, QStringLiteral("qt"), QStringLiteral("_"), folder))
        installed_ = QCoreApplication::installTranslator(&translator_);
}

QtTranslations::~QtTranslations() {
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
}

QString QtTranslations::Folder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

}  // namespace tolvane
