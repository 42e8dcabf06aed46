#pragma once

#include <QByteArrayList>
#include <QString>

#include <filesystem>
#include <functional>

namespace tolvane::test {

// Polls `done` every few milliseconds until it holds or `timeoutMs` have passed; never
// a fixed wait. True when it held.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

// A path as Qt takes it (the test folders' names are UTF-8).
QString QPath(const std::filesystem::path& path);

QByteArrayList Sorted(QByteArrayList names);
// The names in `folder` as the file system holds them (bytes, sorted).
QByteArrayList NamesIn(const std::filesystem::path& folder);
// Waits up to `timeoutMs` for the names in `folder` to be `expected` (in any order);
// the names it found last, sorted.
QByteArrayList WaitForNames(const std::filesystem::path& folder, const QByteArrayList& expected,
                            int timeoutMs);

}  // namespace tolvane::test
