#pragma once

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <map>
#include <string>

#include "execute/FileSystem.h"

namespace tolvane {

// A folder on a case-insensitive file system (as vfat or exFAT are), in memory: names
// keep their case, but two names that differ only in case are one entry. It can also
// refuse the no-replace flag, as some FUSE file systems do. Neither can be made for
// real here.
class CaseInsensitiveFolder final : public FileSystem {
  public:
    explicit CaseInsensitiveFolder(bool refusesFlag) : refusesFlag_(refusesFlag) {}

    void Create(const std::string& name, const std::string& content) {
        files_[Key(name)] = {name, content, ++lastInode_};
    }
    std::map<std::string, std::string> Listing() const {
        std::map<std::string, std::string> listing;
        for (const auto& [key, file] : files_)
            listing[file.name] = file.content;
        return listing;
    }

    int RenameNoReplace(const std::string& from, const std::string& to) override {
        ++calls;
        if (refusesFlag_)
            return EINVAL;
        if (!Exists(from))
            return ENOENT;
        if (Exists(to))
            return EEXIST;
        return RenameReplacing(from, to);
    }
    int RenameReplacing(const std::string& from, const std::string& to) override {
        if (!Exists(from))
            return ENOENT;
        File file = files_.at(Key(from));
        files_.erase(Key(from));
        file.name = to;
        files_[Key(to)] = file;
        return 0;
    }
    int Status(const std::string& path, FileId& id, std::int64_t& born) override {
        const auto it = files_.find(Key(path));
        if (it == files_.end())
            return ENOENT;
        id = {1, it->second.inode};
        born = kBirthUnknown;
        return 0;
    }
    bool HasExactName(const std::string& path) override {
        const auto it = files_.find(Key(path));
        return it != files_.end() && it->second.name == path;
    }

    int calls = 0;

  private:
    struct File {
        std::string name;
        std::string content;
        std::uint64_t inode = 0;
    };
    static std::string Key(std::string name) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        return name;
    }

    bool refusesFlag_;
    std::map<std::string, File> files_;
    std::uint64_t lastInode_ = 0;
};

}  // namespace tolvane
