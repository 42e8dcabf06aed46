#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Creates a file (and its folders) under the temporary folder; returns its path.
    std::filesystem::path File(const std::string& relative, const std::string& content = "") const;
    std::filesystem::path Folder(const std::string& relative) const;

  private:
    std::filesystem::path path_;
};

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `args` in `workingDir`, capturing both output streams. The
// entries of `extraEnv` ("NAME=value") are added to the environment.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workingDir = {},
                         const std::vector<std::string>& extraEnv = {});

// A test name from a case label: its ASCII letters and digits, words in CamelCase.
std::string CaseName(std::string_view label);

// Names the cases of a parameterized test after the `label` of their parameter.
struct ByLabel {
    template <class Param>
    std::string operator()(const testing::TestParamInfo<Param>& info) const {
        return CaseName(info.param.label);
    }
};

}  // namespace tolvane::test
