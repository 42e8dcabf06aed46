#pragma once

#include <string>
#include <vector>

class QMimeData;
class QUrl;

namespace tolvane {

// What a drop or the clipboard carries, as items for the list. File managers and most
// programs give a URL list (text/uri-list): its local files count, web addresses name
// nothing here. Without one, or when none of its URLs is a local file, the text
// counts, one path per line (plain paths, quoted ones, file:// URIs). Reading what is
// carried is quick; resolving it may take long (a million lines) and needs no Qt, so
// it can run on any thread.
class DropReader {
  public:
    struct Carried {
        std::vector<std::wstring> files;  // of the URL list, exactly as the system names them
        std::wstring text;                // lines to look for paths in
    };

    static bool CanTake(const QMimeData& data);
    static Carried Read(const QMimeData& data);
    // The existing items named, in the order carried.
    static std::vector<std::wstring> Resolve(const Carried& carried);

    // The text carried. Plain text as bytes is read as a path-list file is (UTF-8,
    // UTF-16, else GB18030); text that names its character set is decoded by it.
    static std::wstring Text(const QMimeData& data);

    // The bytes of a local file URL, exactly: a name that is not UTF-8 survives. Empty
    // when the URL names no file (an escaped NUL or '/').
    static std::wstring LocalPath(const QUrl& url);
};

}  // namespace tolvane
