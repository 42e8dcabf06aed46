#include "FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "engine/RandomString.h"
#include "engine/TextConvert.h"

namespace tolvane {

int FileSystem::Identify(const std::string& path, FileId& id) {
    std::int64_t born = kBirthUnknown;
    return Status(path, id, born);
}

int FileSystem::ChangedAt(const std::string& folder, std::int64_t& nanoseconds) {
    struct statx st {};
    if (statx(AT_FDCWD, folder.c_str(), 0, STATX_MTIME, &st) != 0)
        return errno;
    nanoseconds =
        static_cast<std::int64_t>(st.stx_mtime.tv_sec) * 1000000000 + st.stx_mtime.tv_nsec;
    return 0;
}

void FileSystem::IdentifyInFolder(const std::string& folder,
                                  const std::vector<std::string_view>& names,
                                  std::vector<FileId>& ids, std::vector<int>& errors) {
    ids.assign(names.size(), FileId{});
    errors.assign(names.size(), 0);
    std::string path = folder == "/" ? folder : folder + '/';
    const size_t base = path.size();
    for (size_t i = 0; i < names.size(); ++i) {
        path.resize(base);
        path += names[i];
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

namespace {

// A path as an open folder and a name in it, or as itself where no folder is open.
struct Relative {
    int folder = AT_FDCWD;
    const char* name = nullptr;
};

// The folder of `path` (opened by `open`) and the name in it, or the whole path.
template <class Open>
Relative Resolve(const std::string& path, Open&& open) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size())
        return {AT_FDCWD, path.c_str()};
    const int fd = open(std::string_view(path).substr(0, slash == 0 ? 1 : slash));
    return fd < 0 ? Relative{AT_FDCWD, path.c_str()} : Relative{fd, path.c_str() + slash + 1};
}

}  // namespace

PosixFileSystem::~PosixFileSystem() {
    Release();
}

void PosixFileSystem::EndBatch() {
    if (--batches_ == 0)
        Release();
}

void PosixFileSystem::Release() {
    if (folderFd_ >= 0)
        ::close(folderFd_);
    folderFd_ = -1;
    folderPath_.clear();
}

int PosixFileSystem::FolderFd(std::string_view folder) {
    if (batches_ == 0 || folder.empty())
        return -1;
    if (folderFd_ >= 0 && folder == folderPath_)
        return folderFd_;
    Release();
    folderPath_.assign(folder);
    folderFd_ = ::open(folderPath_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return folderFd_;
}

int PosixFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    auto open = [this](std::string_view folder) { return FolderFd(folder); };
    const size_t fromSlash = from.rfind('/'), toSlash = to.rfind('/');
    const bool oneFolder = fromSlash != std::string::npos && fromSlash == toSlash &&
                           from.compare(0, fromSlash, to, 0, toSlash) == 0;
    if (!oneFolder)
        Release();  // a move between folders may move the open one
    const Relative a = oneFolder ? Resolve(from, open) : Relative{AT_FDCWD, from.c_str()};
    const Relative b = oneFolder ? Resolve(to, open) : Relative{AT_FDCWD, to.c_str()};
    return renameat2(a.folder, a.name, b.folder, b.name, RENAME_NOREPLACE) == 0 ? 0 : errno;
}

int PosixFileSystem::RenameReplacing(const std::string& from, const std::string& to) {
    Release();
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::Status(const std::string& path, FileId& id, std::int64_t& born) {
    const Relative at = Resolve(path, [this](std::string_view folder) { return FolderFd(folder); });
    struct statx st {};
    if (statx(at.folder, at.name, AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &st) != 0)
        return errno;
    id = {makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
    born = (st.stx_mask & STATX_BTIME) == 0
               ? kBirthUnknown
               : static_cast<std::int64_t>(st.stx_btime.tv_sec) * 1000000000 + st.stx_btime.tv_nsec;
    return 0;
}

namespace {

// The names of a batch by their text, for a pass over a folder's listing: open
// addressing over their indexes, without a node per name.
class NameTable {
  public:
    explicit NameTable(const std::vector<std::string_view>& names) : names_(names) {
        size_t capacity = 16;
        while (capacity < names.size() * 2)
            capacity *= 2;
        slots_.assign(capacity, kEmpty);
        for (size_t i = 0; i < names.size(); ++i) {
            size_t slot = Slot(names[i]);
            // A name given twice is found once; the other is asked for.
            while (slots_[slot] != kEmpty && names_[slots_[slot]] != names[i])
                slot = (slot + 1) & (slots_.size() - 1);
            if (slots_[slot] == kEmpty)
                slots_[slot] = static_cast<std::uint32_t>(i);
        }
    }

    // The index of `name`, or -1.
    size_t Find(std::string_view name) const {
        for (size_t slot = Slot(name);; slot = (slot + 1) & (slots_.size() - 1)) {
            if (slots_[slot] == kEmpty)
                return static_cast<size_t>(-1);
            if (names_[slots_[slot]] == name)
                return slots_[slot];
        }
    }

  private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    size_t Slot(std::string_view name) const {
        return std::hash<std::string_view>()(name) & (slots_.size() - 1);
    }

    const std::vector<std::string_view>& names_;
    std::vector<std::uint32_t> slots_;
};

// Whether the inode numbers a listing of `fd` gives are those its files report: not on
// overlay, network or FAT file systems, which make them up or take them from a layer.
bool ListingHasTrueInodes(int fd) {
    struct statfs info {};
    return ::fstatfs(fd, &info) == 0 &&
           (info.f_type == EXT4_SUPER_MAGIC || info.f_type == XFS_SUPER_MAGIC ||
            info.f_type == TMPFS_MAGIC || info.f_type == BTRFS_SUPER_MAGIC);
}

// Reads the listing of folder `fd` (on `device`) for the identities of `names`;
// found[i] tells which were there. A small batch in a huge folder reads a bounded
// part of it.
void IdentifyFromListing(int fd, std::uint64_t device, const std::vector<std::string_view>& names,
                         std::vector<FileId>& ids, std::vector<bool>& found) {
    const NameTable table(names);
    const size_t most = std::max<size_t>(names.size() * 16, 1 << 16);
    std::vector<char> buffer(1 << 18);
    size_t read = 0, left = names.size();
    for (long n;
         left > 0 && read < most && (n = ::getdents64(fd, buffer.data(), buffer.size())) > 0;) {
        for (long at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + at);
            at += entry->d_reclen;
            ++read;
            // A folder may be a mount point or a subvolume, whose files report another
            // device and inode than the listing: it is asked for.
            if (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN)
                continue;
            const size_t i = table.Find(entry->d_name);
            if (i == static_cast<size_t>(-1) || found[i])
                continue;
            ids[i] = {device, entry->d_ino};
            found[i] = true;
            --left;
        }
    }
}

}  // namespace

void PosixFileSystem::IdentifyInFolder(const std::string& folder,
                                       const std::vector<std::string_view>& names,
                                       std::vector<FileId>& ids, std::vector<int>& errors) {
    // Below this many names, asking for each is cheaper than listing the folder.
    constexpr size_t kListingFrom = 64;
    ids.assign(names.size(), FileId{});
    errors.assign(names.size(), 0);
    std::vector<bool> found(names.size(), false);
    if (names.size() >= kListingFrom) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct statx st {};
        if (fd >= 0 && ListingHasTrueInodes(fd) &&
            statx(fd, "", AT_EMPTY_PATH, STATX_INO, &st) == 0) {
            IdentifyFromListing(fd, makedev(st.stx_dev_major, st.stx_dev_minor), names, ids, found);
        }
        if (fd >= 0)
            ::close(fd);
    }
    std::string path = folder == "/" ? folder : folder + '/';
    const size_t base = path.size();
    for (size_t i = 0; i < names.size(); ++i) {
        if (found[i])
            continue;
        path.resize(base);
        path += names[i];
        errors[i] = Identify(path, ids[i]);
    }
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
