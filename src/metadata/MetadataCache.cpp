#include "MetadataCache.h"

#include "AudioReader.h"
#include "PictureReader.h"

namespace tolvane {

FileMetadata MetadataCache::Lookup(const std::string& path, unsigned kinds) {
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (!identity)
        return {};
    FileMetadata data;
    unsigned have = 0;
    {
        const std::lock_guard lock(mutex_);
        const auto it = entries_.find(Key{identity->device, identity->inode});
        if (it != entries_.end() && it->second.identity == *identity) {
            if ((it->second.kinds & kinds) == kinds)
                return it->second.data;
            data = it->second.data;
            have = it->second.kinds;
        }
    }

    const std::unique_ptr<ReadOnlyFile> file = ReadOnlyFile::Open(path);
    if (!file)
        return {};
    if (!(file->Identity() == *identity)) {  // changed since we looked: start over
        data = {};
        have = 0;
    }
    const unsigned missing = kinds & ~have;
    if (missing & kPictureMetadata)
        data.picture = ReadPictureFacts(*file);
    if (missing & kAudioMetadata)
        data.audio = ReadAudioTags(*file);

    const std::lock_guard lock(mutex_);
    // A simple bound: lists of more files than this are rare, and read again.
    if (entries_.size() >= capacity_)
        entries_.clear();
    Entry& entry = entries_[Key{file->Identity().device, file->Identity().inode}];
    if (!(entry.identity == file->Identity())) {
        entry = Entry{file->Identity(), have | missing, data};
    } else {
        if (missing & kPictureMetadata)
            entry.data.picture = data.picture;
        if (missing & kAudioMetadata)
            entry.data.audio = data.audio;
        entry.kinds |= missing;
    }
    return data;
}

MetadataCache& MetadataCache::Shared() {
    static MetadataCache cache;
    return cache;
}

}  // namespace tolvane
