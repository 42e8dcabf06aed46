#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane {

// What may stand at a path for its contents to be read.
enum class FileKinds {
    RegularFile,        // settings, language and profile files
    RegularFileOrPipe,  // path lists, also from `--list <(find ...)` or a named pipe
    AnyButFolder,       // standard input, whatever the caller made it
};

// The whole contents of a file, read within a bound, or why they could not be.
struct FileBytes {
    enum class Status { Read, Missing, Folder, NotRegular, TooLarge, Failed };

    Status status = Status::Missing;
    int error = 0;            // errno for Missing and Failed
    std::uint64_t limit = 0;  // the bound it was read with
    std::string bytes;        // empty unless Read

    bool Ok() const { return status == Status::Read; }
    // "is a folder", "is not a regular file", "is larger than 16 MiB", or the
    // system's text for the error.
    std::string Reason() const;
};

// Reads the file at `path`, at most `limit` bytes, judged by the opened descriptor,
// never by a separate look at the name that something could be swapped in behind.
// A regular file only is opened without blocking (a FIFO nobody writes to cannot
// hang the caller); where `kinds` takes a pipe, the open waits for its writer, as
// reading a pipe does, and reads everything it writes up to the bound.
FileBytes ReadFileBytes(const std::filesystem::path& path, std::uint64_t limit,
                        FileKinds kinds = FileKinds::RegularFile);

// The same for a descriptor that is already open (standard input); it stays open.
FileBytes ReadDescriptorBytes(int fd, std::uint64_t limit, FileKinds kinds);

// Replaces the file at `path` with `bytes` atomically: a temporary file in the same
// folder, flushed to disk, then renamed over it, so that a reader sees the old file
// or the new one and never a part. A symbolic link is written through to the file it
// names. An existing file keeps its mode and, where we may, its owner; a new one gets
// `newFileMode`. Only a regular file that we may write is replaced: the rename needs
// only the folder to be writable, and must not defeat the file's own protection.
// False when it could not be written; the old file is then untouched.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         unsigned newFileMode = 0644);

}  // namespace tolvane
