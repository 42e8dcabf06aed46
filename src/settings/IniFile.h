#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// An INI file held in memory with the profile semantics the program relies on:
// section and key names match without regard to ASCII case, the first of duplicate
// sections or keys wins, an absent section or key reads as the empty string, and a
// value read is cut to 259 characters. Setting a key replaces it in place or adds
// it to its section and keeps every other line as it was.
class IniFile {
  public:
    static constexpr size_t kMaxValueLength = 259;
    // Settings, language and profile files are small; anything larger is no such file.
    static constexpr std::uint64_t kMaxFileSize = 16u << 20;

    // The file's contents; an absent or unreadable file gives an empty document.
    // UTF-8, with a UTF-8 or UTF-16 byte-order mark honoured. Only a regular file of
    // at most kMaxFileSize bytes is read; when something else is there (a folder, a
    // FIFO, a device, a file too large or one we may not read), `problem` says what,
    // and the document refuses to be saved: it does not hold what it would replace.
    static IniFile Load(const std::filesystem::path& path, std::string* problem = nullptr);

    // One value of the file at `path`, read as above (empty when absent).
    static std::wstring ReadValue(const std::filesystem::path& path, std::wstring_view section,
                                  std::wstring_view key);
    // Stores one key in the file at `path`, creating the file and section when
    // missing; false when the file could not be written (it is then unchanged).
    static bool WriteValue(const std::filesystem::path& path, std::wstring_view section,
                           std::wstring_view key, std::wstring_view value);
    static IniFile Parse(std::string_view bytes);

    std::wstring Get(std::wstring_view section, std::wstring_view key) const;
    bool HasSection(std::wstring_view section) const;
    // Line breaks in `value` are stored as blanks: a value is one line.
    void Set(std::wstring_view section, std::wstring_view key, std::wstring_view value);

    // The document as UTF-8 text.
    std::string Serialize() const;

    // Replaces the file atomically (temporary file in the same folder, flushed to
    // disk, then renamed over it), keeping its mode and, where we may, its owner.
    // Only a regular file that we may write is replaced: the rename needs only the
    // folder to be writable, and must not defeat the file's own protection. False
    // when it could not be written; the old file is then untouched.
    bool Save(const std::filesystem::path& path) const;

  private:
    struct Line {
        std::wstring text;
        std::string ending;  // "\n", "\r\n", or empty for a last line without one
    };
    void InsertLine(size_t at, std::wstring text);
    // Index of the header line of the first section named `section`, or npos.
    size_t FindSection(std::wstring_view section) const;
    // Index of the first key line `key` inside the section starting at `header`, or npos.
    size_t FindKey(size_t header, std::wstring_view key) const;

    std::vector<Line> lines_;
    bool unreadable_ = false;  // loaded from a file that could not be read
    std::string bom_;
    std::string newline_ = "\n";
};

}  // namespace tolvane
