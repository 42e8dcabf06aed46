#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../TestSupport.h"
#include "engine/TextConvert.h"
#include "execute/RenamePass.h"
#include "execute/Undo.h"
#include "filelist/FileList.h"

namespace tolvane::test {

inline std::string Content(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : "<missing>";
}

// The built-in texts, as without a language file.
inline const PassTexts& Texts0() {
    static const PassTexts texts = PassTexts::From(BuiltInTexts());
    return texts;
}

// Real files in a temporary folder, rows for them, and a pass over the rows with its
// journal in the same folder.
class RenamePassTest : public testing::Test {
  protected:
    // Files named after their contents, so that every move can be checked.
    void Files(const std::vector<std::string>& names) {
        for (const auto& name : names)
            dir_.File(name, "was " + name);
    }

    // Rows for `names`, with new names as given.
    void Rows(const std::vector<std::pair<std::string, std::string>>& renames) {
        std::vector<std::wstring> paths;
        for (const auto& [name, _] : renames)
            paths.push_back(ToWide((dir_.Path() / name).string()));
        const size_t first = list_.RowCount();
        list_.AddPaths(paths, FileList::AddOptions{});
        for (size_t r = 0; r < renames.size(); ++r)
            list_.SetNewName(first + r, ToWide(renames[r].second));
    }

    PassResult Execute(FileSystem& fs) {
        return *ExecuteRenames(list_, undo_, Texts0(), fs, journal_);
    }
    PassResult Execute() { return Execute(posix_); }

    std::string Holds(const std::string& name) const { return Content(dir_.Path() / name); }
    std::wstring Status(size_t row) const { return list_.Row(row).status; }

    // Everything under the folder but the journal: each file's content, "<folder>" for
    // a folder, by path relative to the folder.
    std::map<std::string, std::string> Tree() const {
        std::map<std::string, std::string> tree;
        for (auto it = std::filesystem::recursive_directory_iterator(dir_.Path());
             it != std::filesystem::recursive_directory_iterator(); ++it) {
            if (it->path() == journal_) {
                it.disable_recursion_pending();
                continue;
            }
            const std::string relative = it->path().lexically_relative(dir_.Path()).string();
            tree[relative] = it->is_directory() ? "<folder>" : Content(it->path());
        }
        return tree;
    }

    TempDir dir_;
    std::filesystem::path journal_ = dir_.Path() / ".journal";
    FileList list_;
    UndoRecord undo_;
    PosixFileSystem posix_;
};

}  // namespace tolvane::test
