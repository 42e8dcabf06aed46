#include "ProjectLinks.h"

#include <QDesktopServices>
#include <QUrl>

#include "ProjectConfig.h"

namespace tolvane {

ProjectLinks ConfiguredLinks() {
    return {UsableWebAddress(QString::fromUtf8(config::kHomepage)),
            UsableWebAddress(QString::fromUtf8(config::kDonateUrl)),
            QString::fromUtf8(config::kContact).trimmed()};
}

QString HomepageUrl() {
    return ConfiguredLinks().homepage;
}
QString DonateUrl() {
    return ConfiguredLinks().donate;
}

QString ProjectVersion() {
    return QStringLiteral(TOLVANE_VERSION);
}

QString RightsNotice() {
    return QStringLiteral("Copyright (C) 2026 the Tolvane developers");
}

QString UsableWebAddress(const QString& text) {
    const QString trimmed = text.trimmed();
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    return scheme == u"https" || scheme == u"http" ? trimmed : QString();
}

bool OpenWebAddress(const QString& address) {
    const QString usable = UsableWebAddress(address);
    if (usable.isEmpty())
        return false;
    QDesktopServices::openUrl(QUrl(usable, QUrl::StrictMode));
    return true;
}

bool OpenDonatePage() {
    return OpenWebAddress(DonateUrl());
}

}  // namespace tolvane
