#include "FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/RandomString.h"
#include "engine/TextConvert.h"

namespace tolvane {

void FileSystem::IdentifyAll(const std::vector<std::string_view>& paths, std::vector<FileId>& ids,
                             std::vector<int>& errors) {
    ids.assign(paths.size(), FileId{});
    errors.assign(paths.size(), 0);
    std::string path;
    for (size_t i = 0; i < paths.size(); ++i) {
        path.assign(paths[i]);
        errors[i] = Identify(path, ids[i]);
    }
}

bool FileSystem::Exists(const std::string& path) {
    FileId id;
    return Identify(path, id) == 0;
}

bool FileSystem::SameFile(const std::string& a, const std::string& b) {
    FileId ia, ib;
    return Identify(a, ia) == 0 && Identify(b, ib) == 0 && ia == ib;
}

int PosixFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0
                                                                                          : errno;
}

int PosixFileSystem::RenameReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::Identify(const std::string& path, FileId& id) {
    struct statx st {};
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &st) != 0)
        return errno;
    id.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    id.inode = st.stx_ino;
    id.birth =
        (st.stx_mask & STATX_BTIME) == 0
            ? 0
            : static_cast<std::uint64_t>(st.stx_btime.tv_sec) * 1000000000u + st.stx_btime.tv_nsec;
    return 0;
}

bool PosixFileSystem::HasExactName(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    const std::string_view name = std::string_view(path).substr(slash + 1);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return false;
    while (const dirent* entry = readdir(dir.get())) {
        if (name == entry->d_name)
            return true;
    }
    return false;
}

std::string TemporaryNameBeside(FileSystem& fs, const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    // 48 random bits make a clash unlikely; a folder where every name seems taken
    // (one that cannot be looked into) must not hold us up for ever.
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string candidate =
            folder + ".tolvane-" + ToNarrow(RandomString().substr(0, 12)) + ".tmp";
        if (!fs.Exists(candidate))
            return candidate;
    }
    return {};
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
    if (temporary.empty())
        return EEXIST;
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
