#include <gtest/gtest.h>

#include <random>
#include <set>

#include "../TestSupport.h"
#include "CaseInsensitiveFolder.h"
#include "engine/TextConvert.h"
#include "execute/PreviewConflicts.h"
#include "execute/RenamePass.h"
#include "filelist/FileList.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;
using Kind = RowConflict::Kind;

struct Row {
    std::string name;
    std::string newName;
    bool checked = true;
};

std::vector<std::pair<size_t, Kind>> Found(const std::vector<Row>& rows, const fs::path& folder,
                                           FileSystem& fileSystem) {
    std::vector<std::wstring> names, newNames;
    for (const Row& row : rows) {
        names.push_back(ToWide(row.name));
        newNames.push_back(ToWide(row.newName));
    }
    const std::wstring folderText = ToWide(folder.string());
    std::vector<ConflictRow> conflictRows;
    for (size_t r = 0; r < rows.size(); ++r)
        conflictRows.push_back({names[r], newNames[r], folderText, rows[r].checked});
    std::vector<std::pair<size_t, Kind>> found;
    for (const RowConflict& c : FindConflicts(conflictRows, fileSystem))
        found.emplace_back(c.row, c.kind);
    return found;
}

struct ConflictCase {
    const char* label;
    std::vector<std::string> files;
    std::vector<Row> rows;
    std::vector<std::pair<size_t, Kind>> expected;
};

class PreviewConflictsTest : public testing::TestWithParam<ConflictCase> {};

TEST_P(PreviewConflictsTest, FindsWhatThePassWouldMeet) {
    const ConflictCase& c = GetParam();
    TempDir dir;
    for (const std::string& file : c.files)
        dir.File(file, file);
    PosixFileSystem posix;
    EXPECT_EQ(Found(c.rows, dir.Path(), posix), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreviewConflictsTest,
    testing::Values(
        ConflictCase{
            "taken by a file outside the batch", {"a", "c"}, {{"a", "c"}}, {{0, Kind::Taken}}},
        ConflictCase{
            "a shifted series is free", {"1", "2", "3"}, {{"1", "2"}, {"2", "3"}, {"3", "4"}}, {}},
        ConflictCase{"a swap is free", {"a", "b"}, {{"a", "b"}, {"b", "a"}}, {}},
        ConflictCase{"the second of two rows wanting one name",
                     {"a", "b"},
                     {{"a", "x"}, {"b", "x"}},
                     {{1, Kind::Twice}}},
        ConflictCase{"an unchecked row keeps its name",
                     {"a", "b"},
                     {{"a", "b"}, {"b", "c", false}},
                     {{0, Kind::Taken}}},
        ConflictCase{"a row that cannot move blocks the one waiting for its name",
                     {"a", "b", "z"},
                     {{"a", "b"}, {"b", "z"}},
                     {{0, Kind::Taken}, {1, Kind::Taken}}},
        ConflictCase{"a name longer than 255 bytes",
                     {"a"},
                     {{"a", std::string(256, 'x')}},
                     {{0, Kind::Refused}}},
        ConflictCase{"255 bytes are allowed", {"a"}, {{"a", std::string(255, 'x')}}, {}},
        ConflictCase{"85 Chinese characters are 255 bytes",
                     {"a"},
                     {{"a",
                       [] {
                           std::string s;
                           for (int i = 0; i < 86; ++i)
                               s += "汉";
                           return s;
                       }()}},
                     {{0, Kind::Refused}}},
        ConflictCase{"the cleaned name counts", {"a", "b"}, {{"a", "b:"}}, {{0, Kind::Taken}}},
        ConflictCase{"a name unchanged once cleaned", {"a"}, {{"a", "a?"}}, {}},
        ConflictCase{"an empty name", {"a"}, {{"a", "/"}}, {{0, Kind::Refused}}}),
    ByLabel());

TEST(PreviewConflictsCaseTest, TheSameFileUnderAnotherCaseIsNoConflict) {
    CaseInsensitiveFolder folder(false);
    folder.Create("/f/a.txt", "a");
    folder.Create("/f/b.txt", "b");
    EXPECT_EQ(Found({{"a.txt", "A.TXT"}}, "/f", folder), (std::vector<std::pair<size_t, Kind>>{}));
    EXPECT_EQ(Found({{"a.txt", "B.txt"}}, "/f", folder),
              (std::vector<std::pair<size_t, Kind>>{{0, Kind::Taken}}));
}

// The preview tells the truth earlier: over random batches, the rows it warns about are
// exactly the rows a pass then fails.
TEST(PreviewConflictsTest, AgreesWithThePass) {
    std::mt19937 random(5);
    const std::vector<std::string> pool = {"a", "b", "c", "d", "e", "f", "", "g:", "a "};
    for (int round = 0; round < 300; ++round) {
        TempDir dir;
        std::vector<std::string> listed;
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            dir.File(name, name);
            if (random() % 4 != 0)
                listed.push_back(name);
        }
        std::vector<Row> rows;
        for (const std::string& name : listed)
            rows.push_back({name, pool[random() % pool.size()], random() % 5 != 0});
        PosixFileSystem posix;
        std::set<size_t> warned;
        for (const auto& [row, kind] : Found(rows, dir.Path(), posix))
            warned.insert(row);

        FileList list;
        std::vector<std::wstring> paths;
        for (const Row& row : rows)
            paths.push_back(ToWide((dir.Path() / row.name).string()));
        list.AddPaths(paths, {});
        for (size_t r = 0; r < rows.size(); ++r) {
            list.SetNewName(r, ToWide(rows[r].newName));
            list.SetChecked(r, rows[r].checked);
        }
        UndoRecord undo;
        const PassTexts texts = PassTexts::From(BuiltInTexts());
        ExecuteRenames(list, undo, texts, posix, dir.Path() / ".journal");
        std::set<size_t> failed;
        for (size_t r = 0; r < list.RowCount(); ++r) {
            if (list.Row(r).status == texts.failure)
                failed.insert(r);
        }
        ASSERT_EQ(warned, failed) << "round " << round;
    }
}

}  // namespace
}  // namespace tolvane::test
