#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tolvane::test {

// Points the XDG folders into `temp`, so that nothing of the user's is read or written.
inline void UseTemporaryXdgFolders(const QTemporaryDir& temp) {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
        qputenv(name, QFile::encodeName(temp.filePath(QString::fromLatin1(name))));
}

// An empty folder inside `temp` for the test function that runs, made anew for each
// of its data rows.
inline std::filesystem::path FreshFolderForTest(const QTemporaryDir& temp) {
    const std::filesystem::path folder =
        std::filesystem::path(QFile::encodeName(temp.path()).toStdString()) /
        QTest::currentTestFunction();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace tolvane::test
