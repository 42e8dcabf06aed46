#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

#include "FileMetadata.h"
#include "ReadOnlyFile.h"

namespace tolvane {

// What the files say of themselves, read once per file: an entry holds for as long
// as the file keeps its size and modification time, and follows the file when it is
// renamed. Safe to use from several threads; files are read outside the lock.
class MetadataCache {
  public:
    // About 300 bytes an entry: some 60 MB at the most.
    static constexpr size_t kDefaultCapacity = 200000;

    explicit MetadataCache(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // The metadata of the regular file at `path` (bytes), with at least the kinds in
    // `kinds` (MetadataKind bits) read. Anything that is no regular file we may read
    // gives empty values.
    FileMetadata Lookup(const std::string& path, unsigned kinds);

    // The cache the preview of the window and tolvane-cli share.
    static MetadataCache& Shared();

  private:
    struct Key {
        dev_t device;
        ino_t inode;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const {
            return std::hash<ino_t>()(key.inode) * 31 + std::hash<dev_t>()(key.device);
        }
    };
    struct Entry {
        FileIdentity identity;
        unsigned kinds = 0;
        FileMetadata data;
    };

    std::mutex mutex_;
    std::unordered_map<Key, Entry, KeyHash> entries_;
    size_t capacity_;
};

}  // namespace tolvane
