#include "E2eSupport.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>

namespace tolvane::test {

namespace {

constexpr int kPollMs = 50;

}  // namespace

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kPollMs);
    }
    return true;
}

QString QPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

QByteArrayList Sorted(QByteArrayList names) {
    std::sort(names.begin(), names.end());
    return names;
}

QByteArrayList NamesIn(const std::filesystem::path& folder) {
    QByteArrayList names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.append(QByteArray::fromStdString(entry.path().filename().string()));
    return Sorted(names);
}

QByteArrayList WaitForNames(const std::filesystem::path& folder, const QByteArrayList& expected,
                            int timeoutMs) {
    const QByteArrayList sorted = Sorted(expected);
    QByteArrayList names;
    WaitUntil(
        [&] {
            names = NamesIn(folder);
            return names == sorted;
        },
        timeoutMs);
    return names;
}

}  // namespace tolvane::test
