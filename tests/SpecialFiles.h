#pragma once

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>

namespace tolvane::test {

// Things that sit where a settings, profile or list file is expected but are no
// ordinary file, or are one of an absurd size.
enum class SpecialFile { Folder, Fifo, Socket, ZeroDevice, Oversized };

struct SpecialFileCase {
    const char* label;
    SpecialFile kind;
};

inline void PrintTo(const SpecialFileCase& c, std::ostream* os) {
    *os << c.label;
}

inline constexpr SpecialFileCase kSpecialFiles[] = {
    {"folder", SpecialFile::Folder},
    {"fifo without a writer", SpecialFile::Fifo},
    {"socket", SpecialFile::Socket},
    {"endless device", SpecialFile::ZeroDevice},
    {"oversized file", SpecialFile::Oversized},
};

// Makes `kind` at `path`; false when the system refused. The endless device is a
// node of its own (the device of /dev/zero) where we may make one, else a symbolic
// link to /dev/zero, which only root could replace through: a broken writer can
// then never touch the real /dev/zero.
inline bool MakeSpecialFile(const std::filesystem::path& path, SpecialFile kind,
                            std::uintmax_t oversizedBytes = (16u << 20) + 1) {
    std::error_code ec;
    switch (kind) {
        case SpecialFile::Folder: return std::filesystem::create_directory(path, ec);
        case SpecialFile::Fifo: return mkfifo(path.c_str(), 0644) == 0;
        case SpecialFile::Socket: {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            if (path.native().size() >= sizeof address.sun_path)
                return false;
            std::strcpy(address.sun_path, path.c_str());
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            const bool bound =
                fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            if (fd >= 0)
                close(fd);
            return bound;
        }
        case SpecialFile::ZeroDevice:
            if (geteuid() == 0)
                return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0;
            std::filesystem::create_symlink("/dev/zero", path, ec);
            return !ec;
        case SpecialFile::Oversized: {
            // Sparse: a size the reader must refuse, without writing megabytes.
            FILE* f = std::fopen(path.c_str(), "wb");
            if (f == nullptr)
                return false;
            std::fclose(f);
            std::filesystem::resize_file(path, oversizedBytes, ec);
            return !ec;
        }
    }
    return false;
}

}  // namespace tolvane::test
