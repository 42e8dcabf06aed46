#pragma once

#include <stdlib.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace tolvane::bench {

// A fresh folder under the temporary folder, removed with its files when the program ends.
class ScratchFolder {
  public:
    explicit ScratchFolder(const char* prefix) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        path_ = mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Realistic file names of 10 to 60 characters, half ASCII and half Chinese, with
// numbers and extensions, the same on every run.
inline std::vector<std::wstring> RealisticNames(size_t count) {
    static const wchar_t* const kAscii[] = {L"IMG",     L"holiday", L"report", L"final",  L"draft",
                                            L"scan",    L"invoice", L"photo",  L"video",  L"backup",
                                            L"meeting", L"notes",   L"Summer", L"budget", L"v2"};
    static const wchar_t* const kChinese[] = {L"旅行", L"照片", L"北京",   L"上海", L"会议",
                                              L"记录", L"报告", L"最终版", L"第",   L"集",
                                              L"发票", L"扫描", L"夏天",   L"预算", L"备份"};
    static const wchar_t* const kExtensions[] = {L".jpg", L".png",  L".mp4", L".txt",
                                                 L".pdf", L".docx", L""};
    std::mt19937 random(2026);
    std::vector<std::wstring> names;
    names.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const bool chinese = i % 2 == 1;
        const size_t target = 10 + random() % 51;
        const std::wstring extension = kExtensions[random() % std::size(kExtensions)];
        std::wstring name;
        while (name.size() + extension.size() < target) {
            if (!name.empty())
                name += (random() % 3 == 0) ? L" " : L"_";
            if (random() % 4 == 0) {
                name += std::to_wstring(random() % 100000);
            } else {
                name += chinese ? kChinese[random() % std::size(kChinese)]
                                : kAscii[random() % std::size(kAscii)];
            }
        }
        name.resize(target - extension.size());
        while (name.back() == L' ')
            name.back() = L'x';  // real names seldom end in a blank
        names.push_back(name + extension);
    }
    return names;
}

}  // namespace tolvane::bench
