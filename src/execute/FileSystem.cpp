#include "FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/RandomString.h"
#include "engine/TextConvert.h"

namespace tolvane {

int PosixFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0
                                                                                          : errno;
}

int PosixFileSystem::RenameReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool PosixFileSystem::SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return lstat(a.c_str(), &sa) == 0 && lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string TemporaryNameBeside(FileSystem& fs, const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string candidate;
    do {
        candidate = folder + ".tolvane-" + ToNarrow(RandomString().substr(0, 12)) + ".tmp";
    } while (fs.Exists(candidate));
    return candidate;
}

namespace {

int MoveOnce(FileSystem& fs, const std::string& from, const std::string& to) {
    const int rc = fs.RenameNoReplace(from, to);
    if (rc != EINVAL)
        return rc;
    // The flag is refused (some FUSE file systems): check, then rename.
    if (!fs.Exists(from))
        return ENOENT;
    return fs.Exists(to) ? EEXIST : fs.RenameReplacing(from, to);
}

}  // namespace

int MoveNoReplace(FileSystem& fs, const std::string& from, const std::string& to,
                  const std::function<void(const std::string&)>& viaTemporary,
                  std::string* leftAt) {
    int rc = MoveOnce(fs, from, to);
    if (rc != EEXIST || !fs.SameFile(from, to))
        return rc;

    // The target is this very file under another letter case. (Two hard links of one
    // file are the same file too: then the second step meets the other link and the
    // file comes back.)
    const std::string temporary = TemporaryNameBeside(fs, from);
    if (viaTemporary)
        viaTemporary(temporary);
    rc = MoveOnce(fs, from, temporary);
    if (rc != 0)
        return rc;
    rc = MoveOnce(fs, temporary, to);
    if (rc != 0 && MoveOnce(fs, temporary, from) != 0 && leftAt)
        *leftAt = temporary;
    return rc;
}

std::wstring ErrorText(int error) {
    char buffer[256];
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return ToWide(text);
}

}  // namespace tolvane
