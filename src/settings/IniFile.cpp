#include "IniFile.h"

#include "FileBytes.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z')
            x += L'a' - L'A';
        if (y >= L'A' && y <= L'Z')
            y += L'a' - L'A';
        if (x != y)
            return false;
    }
    return true;
}

// The name of a "[name]" header line, or false when the line is not a header.
bool HeaderName(std::wstring_view line, std::wstring_view& name) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != L'[')
        return false;
    const size_t close = line.find(L']');
    name = TrimBlanks(line.substr(1, close == std::wstring_view::npos ? line.npos : close - 1));
    return true;
}

// Splits a "key=value" line; false when it holds no '='.
bool SplitKeyLine(std::wstring_view line, std::wstring_view& key, std::wstring_view& value) {
    const size_t eq = line.find(L'=');
    if (eq == std::wstring_view::npos)
        return false;
    key = TrimBlanks(line.substr(0, eq));
    value = TrimBlanks(line.substr(eq + 1));
    return true;
}

bool IsQuote(wchar_t c) {
    return c == L'"' || c == L'\'';
}

// A value is stored in double quotes when reading would otherwise change it: when
// it has blanks at either end or is itself enclosed in matching quotes.
std::wstring EncodeValue(std::wstring_view value) {
    const bool blankEnds = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool quoted =
        value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back();
    if (!blankEnds && !quoted)
        return std::wstring(value);
    return L"\"" + std::wstring(value) + L"\"";
}

std::wstring DecodeValue(std::wstring_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::wstring(value);
}

}  // namespace

IniFile IniFile::Load(const std::filesystem::path& path, std::string* problem) {
    const FileBytes file = ReadFileBytes(path, kMaxFileSize);
    if (file.Ok())
        return Parse(file.bytes);
    IniFile doc;
    if (file.status != FileBytes::Status::Missing) {
        doc.unreadable_ = true;
        if (problem)
            *problem = file.Reason();
    }
    return doc;
}

std::wstring IniFile::ReadValue(const std::filesystem::path& path, std::wstring_view section,
                                std::wstring_view key) {
    return Load(path).Get(section, key);
}

bool IniFile::WriteValue(const std::filesystem::path& path, std::wstring_view section,
                         std::wstring_view key, std::wstring_view value) {
    IniFile file = Load(path);
    file.Set(section, key, value);
    return file.Save(path);
}

IniFile IniFile::Parse(std::string_view bytes) {
    IniFile doc;
    std::wstring text;
    if (bytes.starts_with(kUtf8Bom)) {
        doc.bom_ = kUtf8Bom;
        text = ToWide(bytes.substr(kUtf8Bom.size()));
    } else if (bytes.starts_with("\xFF\xFE")) {
        // Rewritten as UTF-8: the program writes UTF-8 only.
        text = DecodeUtf16(bytes.substr(2), false);
    } else if (bytes.starts_with("\xFE\xFF")) {
        text = DecodeUtf16(bytes.substr(2), true);
    } else {
        text = ToWide(bytes);
    }

    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring_view line(text.data() + start, end - start);
        std::string ending = end < text.size() ? "\n" : "";
        if (!ending.empty() && !line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
            ending = "\r\n";
        }
        doc.lines_.push_back(Line{std::wstring(line), std::move(ending)});
        start = end + 1;
    }
    // Lines added later end like the file's first line.
    if (!doc.lines_.empty() && !doc.lines_.front().ending.empty())
        doc.newline_ = doc.lines_.front().ending;
    return doc;
}

size_t IniFile::FindSection(std::wstring_view section) const {
    std::wstring_view name;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (HeaderName(lines_[i].text, name) && EqualsIgnoringAsciiCase(name, TrimBlanks(section)))
            return i;
    }
    return std::wstring::npos;
}

size_t IniFile::FindKey(size_t header, std::wstring_view key) const {
    std::wstring_view name, lineKey, value;
    for (size_t i = header + 1; i < lines_.size(); ++i) {
        if (HeaderName(lines_[i].text, name))
            break;
        if (SplitKeyLine(lines_[i].text, lineKey, value) &&
            EqualsIgnoringAsciiCase(lineKey, TrimBlanks(key)))
            return i;
    }
    return std::wstring::npos;
}

bool IniFile::HasSection(std::wstring_view section) const {
    return FindSection(section) != std::wstring::npos;
}

std::wstring IniFile::Get(std::wstring_view section, std::wstring_view key) const {
    const size_t header = FindSection(section);
    if (header == std::wstring::npos)
        return {};
    const size_t at = FindKey(header, key);
    if (at == std::wstring::npos)
        return {};
    std::wstring_view lineKey, value;
    SplitKeyLine(lines_[at].text, lineKey, value);
    std::wstring decoded = DecodeValue(value);
    if (decoded.size() > kMaxValueLength)
        decoded.resize(kMaxValueLength);
    return decoded;
}

void IniFile::Set(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    // A line break would end the value and put the rest on a line of its own.
    std::wstring single(value);
    for (wchar_t& c : single) {
        if (c == L'\n' || c == L'\r')
            c = L' ';
    }
    const std::wstring line = std::wstring(TrimBlanks(key)) + L"=" + EncodeValue(single);
    size_t header = FindSection(section);
    if (header == std::wstring::npos) {
        InsertLine(lines_.size(), L"[" + std::wstring(TrimBlanks(section)) + L"]");
        InsertLine(lines_.size(), line);
        return;
    }
    const size_t at = FindKey(header, key);
    if (at != std::wstring::npos) {
        lines_[at].text = line;
        return;
    }
    // After the last key line of the section, so blank lines and comments that
    // separate it from the next section stay where they are.
    size_t insertAt = header + 1;
    std::wstring_view name, lineKey, lineValue;
    for (size_t i = header + 1; i < lines_.size(); ++i) {
        if (HeaderName(lines_[i].text, name))
            break;
        if (SplitKeyLine(lines_[i].text, lineKey, lineValue))
            insertAt = i + 1;
    }
    InsertLine(insertAt, line);
}

void IniFile::InsertLine(size_t at, std::wstring text) {
    // A last line without a line break gets one before anything follows it.
    if (at > 0 && lines_[at - 1].ending.empty())
        lines_[at - 1].ending = newline_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  Line{std::move(text), newline_});
}

std::string IniFile::Serialize() const {
    std::string out = bom_;
    for (const Line& line : lines_) {
        out += ToNarrow(line.text);
        out += line.ending;
    }
    return out;
}

bool IniFile::Save(const std::filesystem::path& path) const {
    if (unreadable_)
        return false;
    return WriteFileAtomically(path, Serialize());
}

}  // namespace tolvane
