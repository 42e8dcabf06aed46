#include "ClipboardCopy.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>

namespace tolvane {

namespace {

bool CarriesPathsOrText(const QString& format) {
    return format == QLatin1String("text/uri-list") ||
           format == QLatin1String("x-special/gnome-copied-files") ||
           format == QLatin1String("text/plain") ||
           format.startsWith(QLatin1String("text/plain;"), Qt::CaseInsensitive);
}

}  // namespace

std::unique_ptr<QMimeData> ClipboardCopy::Take(int slowMs) {
    if (!ClipboardOwner::Answers())
        return nullptr;
    auto copy = std::make_unique<QMimeData>();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr)
        return copy;
    // The list of formats comes with the clipboard; only their contents are asked for.
    for (const QString& format : data->formats()) {
        if (!CarriesPathsOrText(format))
            continue;
        QElapsedTimer asked;
        asked.start();
        const QByteArray bytes = data->data(format);
        if (bytes.isEmpty() && asked.elapsed() >= slowMs)
            return nullptr;
        copy->setData(format, bytes);
    }
    return copy;
}

}  // namespace tolvane
