#include "DropReader.h"

#include <QMimeData>
#include <QStringDecoder>
#include <QUrl>

#include "DisplayText.h"
#include "engine/TextConvert.h"
#include "filelist/CollectFolder.h"
#include "filelist/PathListImport.h"

namespace tolvane {

namespace {

// GNOME Files puts "copy" or "cut" before the URIs of the files it copied.
const QString kGnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");

std::vector<std::wstring> LocalFiles(const QMimeData& data) {
    std::vector<std::wstring> files;
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls()) {
            if (!url.isLocalFile())
                continue;
            // "%00" or "%2F" in a URL names no file.
            if (std::wstring path = DropReader::LocalPath(url); !path.empty())
                files.push_back(std::move(path));
        }
    }
    return files;
}

// Text of its own, not the text Qt makes of a URL list.
bool HasText(const QMimeData& data) {
    for (const QString& format : data.formats()) {
        if (format == QLatin1String("text/plain") ||
            format.startsWith(QLatin1String("text/plain;"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

}  // namespace

std::wstring DropReader::LocalPath(const QUrl& url) {
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    const auto path = DecodeFileUriPath(std::string_view(encoded.constData(), encoded.size()));
    return path ? ToWide(*path) : std::wstring();
}

std::wstring DropReader::Text(const QMimeData& data) {
    const QByteArray plain = data.data(QStringLiteral("text/plain"));
    if (!plain.isEmpty())
        return DecodePathListText(std::string_view(plain.constData(), plain.size()));
    for (const QString& format : data.formats()) {
        if (!format.startsWith(QLatin1String("text/plain;charset="), Qt::CaseInsensitive))
            continue;
        QStringDecoder decoder(format.mid(19).toLatin1().constData());
        if (decoder.isValid())
            return CoreText(decoder.decode(data.data(format)));
    }
    return CoreText(data.text());
}

bool DropReader::CanTake(const QMimeData& data) {
    return !LocalFiles(data).empty() || data.hasFormat(kGnomeCopiedFiles) ||
           (HasText(data) && !Text(data).empty());
}

DropReader::Carried DropReader::Read(const QMimeData& data) {
    Carried carried;
    carried.files = LocalFiles(data);
    if (!carried.files.empty())
        return carried;
    if (data.hasFormat(kGnomeCopiedFiles)) {
        QByteArray lines = data.data(kGnomeCopiedFiles);
        lines.remove(0, lines.indexOf('\n') + 1);  // the word before the URIs
        carried.text = ToWide(lines.toStdString());
        return carried;
    }
    if (HasText(data))
        carried.text = Text(data);
    return carried;
}

std::vector<std::wstring> DropReader::Resolve(const Carried& carried) {
    std::vector<std::wstring> items;
    for (const std::wstring& file : carried.files) {
        if (PathExists(file))
            items.push_back(file);
    }
    if (!carried.text.empty()) {
        std::vector<std::wstring> named = PathsFromClipboardText(carried.text);
        items.insert(items.end(), std::make_move_iterator(named.begin()),
                     std::make_move_iterator(named.end()));
    }
    return items;
}

}  // namespace tolvane
