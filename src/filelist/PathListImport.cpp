#include "PathListImport.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "PathAsGiven.h"
#include "PathResolver.h"
#include "engine/Pattern.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"
#include "settings/FileBytes.h"

namespace tolvane {

namespace {

// No path is longer than PATH_MAX bytes; a line four times that long in any of the
// encodings read (or three times, written as a URI) names nothing, and decoding or
// searching it would only cost time and memory.
constexpr size_t kMaxPathLineLength = 4 * 4096;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class ListEncoding { Utf8, Utf16Le, Utf16Be, Gb18030 };

// GB18030 to wide text, one piece at a time through one converter.
class Gb18030Decoder {
  public:
    Gb18030Decoder() : cd_(iconv_open("UTF-32LE", "GB18030")) {}
    ~Gb18030Decoder() {
        if (Open())
            iconv_close(cd_);
    }
    Gb18030Decoder(const Gb18030Decoder&) = delete;
    Gb18030Decoder& operator=(const Gb18030Decoder&) = delete;

    // Appends the text of `bytes`, each piece decoded on its own.
    void Append(std::string_view bytes, std::wstring& out) {
        if (!Open()) {
            out += ToWide(bytes);
            return;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes.data());
        size_t inLeft = bytes.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            const size_t produced = sizeof buffer - outLeft;
            for (size_t i = 0; i + 3 < produced; i += 4) {
                const auto* b = reinterpret_cast<const unsigned char*>(buffer + i);
                out.push_back(static_cast<wchar_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24));
            }
            if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
                // A byte that starts no valid sequence is kept as an escaped byte.
                out.push_back(static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(*in)));
                ++in;
                --inLeft;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
    }

  private:
    // iconv_open reports failure as (iconv_t)-1.
    bool Open() const {
        return cd_ != reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
    }
    iconv_t cd_;
};

bool IsQuote(wchar_t c) {
    return c == L'"' || c == L'\'';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The encoded path of the first local file:// URI in `line` ("/a%20b"), if any.
std::optional<std::wstring_view> LocalFileUriIn(std::wstring_view line) {
    const size_t at = line.find(L"file://");
    if (at == std::wstring_view::npos)
        return std::nullopt;
    std::wstring_view rest = line.substr(at + 7);
    // A URI ends at a blank or an angle bracket, or at the quote that opened it. File
    // managers leave apostrophes unescaped, so one ends the URI only after an opening one.
    const wchar_t opening = at > 0 && IsQuote(line[at - 1]) ? line[at - 1] : L'\0';
    size_t end = rest.find_first_of(L" \t<>");
    if (opening != L'\0')
        end = std::min(end, rest.find(opening));
    else
        end = std::min(end, rest.find(L'"'));
    rest = rest.substr(0, std::min(end, rest.size()));
    if (rest.starts_with(L"localhost/"))
        rest.remove_prefix(9);
    if (!rest.starts_with(L'/'))
        return std::nullopt;
    return rest;
}

// The absolute paths of the line, last start first (see PathCandidatesOfLine).
void AbsolutePathsIn(std::wstring_view line, std::vector<std::wstring>& found) {
    const size_t first = found.size();
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != L'/')
            continue;
        if (i > 0 && IsQuote(line[i - 1])) {
            // Quotes say where the path ends; nothing inside them starts another.
            const size_t close = line.find(line[i - 1], i);
            found.emplace_back(
                line.substr(i, close == std::wstring_view::npos ? line.npos : close - i));
            if (close == std::wstring_view::npos)
                break;
            i = close;
        } else if (i == 0 || IsBlank(line[i - 1])) {
            found.emplace_back(line.substr(i));
        }
    }
    std::reverse(found.begin() + static_cast<std::ptrdiff_t>(first), found.end());
}

// UTF-16 without a byte-order mark: each line of a path list ends in a line feed and
// nearly each holds a '/', characters whose high byte is zero, while no name holds a
// zero byte. Little-endian text has them at odd offsets, big-endian at even ones. A
// stray NUL in UTF-8 text is too rare to count: the zeros must be one in 16 units,
// and one in 4 where the bytes are valid UTF-8 (as ASCII in UTF-16 is, with its
// zeros in every other byte).
std::optional<bool> Utf16BigEndianByZeroBytes(std::string_view bytes) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return std::nullopt;
    size_t even = 0, odd = 0;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        even += bytes[i] == '\0';
        odd += bytes[i + 1] == '\0';
    }
    const size_t enough = std::max<size_t>(2, bytes.size() / 2 / (IsValidUtf8(bytes) ? 4 : 16));
    if (odd > even && odd >= enough)
        return false;
    if (even > odd && even >= enough)
        return true;
    return std::nullopt;
}

// The encoding of a path list, and its bytes after any byte-order mark.
std::pair<ListEncoding, std::string_view> DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom))
        return {ListEncoding::Utf8, bytes.substr(kUtf8Bom.size())};
    if (bytes.starts_with("\xFF\xFE"))
        return {ListEncoding::Utf16Le, bytes.substr(2)};
    if (bytes.starts_with("\xFE\xFF"))
        return {ListEncoding::Utf16Be, bytes.substr(2)};
    // Before the UTF-8 check: ASCII in UTF-16 is valid UTF-8 full of NULs.
    if (const auto bigEndian = Utf16BigEndianByZeroBytes(bytes))
        return {*bigEndian ? ListEncoding::Utf16Be : ListEncoding::Utf16Le, bytes};
    if (IsValidUtf8(bytes))
        return {ListEncoding::Utf8, bytes};
    return {ListEncoding::Gb18030, bytes};
}

bool IsUtf16(ListEncoding encoding) {
    return encoding == ListEncoding::Utf16Le || encoding == ListEncoding::Utf16Be;
}

// Where the line starting at `start` ends (its line feed, or the end of the bytes).
size_t LineEnd(std::string_view bytes, size_t start, ListEncoding encoding) {
    if (!IsUtf16(encoding)) {
        const size_t end = bytes.find('\n', start);
        return end == std::string_view::npos ? bytes.size() : end;
    }
    const size_t low = encoding == ListEncoding::Utf16Le ? 0 : 1;
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        if (bytes[i + low] == '\n' && bytes[i + 1 - low] == '\0')
            return i;
    }
    return bytes.size();
}

// A line ending in a carriage return (a Windows line end) without it.
std::string_view WithoutReturn(std::string_view line, ListEncoding encoding) {
    if (!IsUtf16(encoding))
        return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
    const std::string_view ret = encoding == ListEncoding::Utf16Le ? std::string_view("\r\0", 2)
                                                                   : std::string_view("\0\r", 2);
    return line.size() % 2 == 0 && line.ends_with(ret) ? line.substr(0, line.size() - 2) : line;
}

// "." or ".." (with or without trailing slashes): the list's own folder or the one
// above it, which `find . > list` writes first and nobody means to rename.
bool IsBareDots(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path == "." || path == "..";
}

}  // namespace

std::optional<std::string> DecodeFileUriPath(std::string_view encoded) {
    std::string decoded;
    decoded.reserve(encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size() && HexValue(encoded[i + 1]) >= 0 &&
            HexValue(encoded[i + 2]) >= 0) {
            const char c =
                static_cast<char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2]));
            if (c == '\0' || c == '/')
                return std::nullopt;
            decoded.push_back(c);
            i += 2;
        } else {
            decoded.push_back(encoded[i]);
        }
    }
    return decoded;
}

std::optional<std::wstring> PathOfFileUri(std::wstring_view line) {
    const auto encoded = LocalFileUriIn(line);
    if (!encoded)
        return std::nullopt;
    const auto decoded = DecodeFileUriPath(ToNarrow(*encoded));
    if (!decoded)
        return std::nullopt;
    return ToWide(*decoded);
}

namespace {

std::optional<std::wstring> WindowsPathIn(std::wstring_view line) {
    static const auto drivePath = CompiledRegex::Compile(L".*([a-zA-Z]:([^/:*?\"<>|]+)+).*");
    if (!drivePath || !drivePath->Search(line))
        return std::nullopt;
    std::wstring out;
    if (!drivePath->ReplaceAll(line, L"$1", out))
        return std::nullopt;
    return out;
}

}  // namespace

std::wstring DecodePathListText(std::string_view bytes) {
    const auto [encoding, body] = DetectEncoding(bytes);
    switch (encoding) {
        case ListEncoding::Utf8: return ToWide(body);
        case ListEncoding::Utf16Le: return DecodeUtf16(body, false);
        case ListEncoding::Utf16Be: return DecodeUtf16(body, true);
        case ListEncoding::Gb18030: break;
    }
    std::wstring text;
    text.reserve(body.size());
    Gb18030Decoder().Append(body, text);
    return text;
}

std::vector<std::wstring> PathsFromListBytes(std::string_view bytes,
                                             const std::filesystem::path& relativeTo) {
    const auto [encoding, body] = DetectEncoding(bytes);
    std::optional<Gb18030Decoder> gb18030;
    if (encoding == ListEncoding::Gb18030)
        gb18030.emplace();
    std::vector<std::wstring> batch;
    PathResolver resolver(relativeTo);
    std::wstring wide;
    std::string narrow;
    const size_t lineEndSize = IsUtf16(encoding) ? 2 : 1;
    for (size_t start = 0; start < body.size();) {
        const size_t end = LineEnd(body, start, encoding);
        const std::string_view line = WithoutReturn(body.substr(start, end - start), encoding);
        start = end + lineEndSize;
        if (line.empty() || line.size() > kMaxPathLineLength)
            continue;
        // Each line is decoded on its own: the text of a whole list would take four
        // bytes a character, and a list may be hundreds of megabytes.
        std::string_view path = line;
        if (encoding != ListEncoding::Utf8) {
            wide.clear();
            if (gb18030)
                gb18030->Append(line, wide);
            else
                wide = DecodeUtf16(line, encoding == ListEncoding::Utf16Be);
            narrow.clear();
            AppendNarrow(narrow, wide);
            path = narrow;
        }
        // A line is kept as the whole path the system resolves it to, so that rows,
        // registry and journal never hold a relative path.
        std::wstring found = ExactThenTrimmed(path, [&](std::string_view given) {
            return IsBareDots(given) ? std::wstring() : resolver.Resolve(given);
        });
        if (!found.empty())
            batch.push_back(std::move(found));
    }
    return batch;
}

std::vector<std::wstring> ReadPathListFile(const std::filesystem::path& file,
                                           RelativeLines relative, std::string* problem) {
    const FileBytes read = ReadFileBytes(file, kMaxPathListSize, FileKinds::RegularFileOrPipe);
    if (!read.Ok()) {
        if (problem)
            *problem = read.Reason();
        return {};
    }
    std::filesystem::path folder;
    if (relative == RelativeLines::FromListFolder) {
        std::error_code ec;
        folder = std::filesystem::absolute(file, ec).parent_path();
    }
    return PathsFromListBytes(read.bytes, folder);
}

std::vector<std::wstring> ReadPathListDescriptor(int fd, std::string* problem) {
    const FileBytes read = ReadDescriptorBytes(fd, kMaxPathListSize, FileKinds::AnyButFolder);
    if (!read.Ok()) {
        if (problem)
            *problem = read.Reason();
        return {};
    }
    return PathsFromListBytes(read.bytes);
}

namespace {

// The absolute paths found in a line, then the Windows path; else the line itself.
void ExtractedPaths(std::wstring_view line, std::vector<std::wstring>& found) {
    const size_t first = found.size();
    AbsolutePathsIn(line, found);
    if (auto path = WindowsPathIn(line))
        found.push_back(std::move(*path));
    if (found.size() == first)
        found.emplace_back(line);
}

}  // namespace

std::vector<std::wstring> PathCandidatesOfLine(std::wstring_view line) {
    if (LocalFileUriIn(line)) {
        if (auto path = PathOfFileUri(line))
            return {*path};
        return {};
    }
    std::vector<std::wstring> found;
    // The path as given: blanks at the end of a name and quotes inside it are its own.
    if (line.starts_with(L'/'))
        found.emplace_back(line);
    const std::wstring_view trimmed = TrimBlanks(line);
    if (trimmed.size() > 2 && IsQuote(trimmed.front()) && trimmed.back() == trimmed.front() &&
        trimmed[1] == L'/')
        found.emplace_back(trimmed.substr(1, trimmed.size() - 2));
    ExtractedPaths(line, found);
    if (trimmed.size() != line.size())
        ExtractedPaths(trimmed, found);
    // Each candidate once, in its first place.
    std::vector<std::wstring> unique;
    for (std::wstring& path : found) {
        if (std::find(unique.begin(), unique.end(), path) == unique.end())
            unique.push_back(std::move(path));
    }
    return unique;
}

std::wstring ExtractPathFromLine(std::wstring_view line) {
    std::vector<std::wstring> found;
    if (auto path = PathOfFileUri(line))
        return *path;
    ExtractedPaths(line, found);
    return found.front();
}

std::vector<std::wstring> PathsFromClipboardText(std::wstring_view text) {
    std::vector<std::wstring> batch;
    PathResolver resolver;
    for (const std::wstring& piece : SplitString(text, L'\n')) {
        // A longer line (binary text) names nothing, and searching it would take long.
        if (piece.size() > kMaxPathLineLength)
            continue;
        std::wstring_view line = piece;
        if (line.ends_with(L'\r'))
            line.remove_suffix(1);
        for (const std::wstring& candidate : PathCandidatesOfLine(line)) {
            // Only a whole path counts: the clipboard has no folder, and a word or a
            // "." would name something in whatever folder the program was started from.
            std::wstring path = !candidate.starts_with(L'/')
                                    ? std::wstring()
                                    : resolver.Resolve(ToNarrow(candidate));
            if (!path.empty()) {
                batch.push_back(std::move(path));
                break;
            }
        }
    }
    return batch;
}

}  // namespace tolvane
