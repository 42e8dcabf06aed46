#include "PathListImport.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "PathResolver.h"
#include "engine/Pattern.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"
#include "settings/FileBytes.h"

namespace tolvane {

namespace {

constexpr size_t kMaxPathLineLength = 4 * 4096;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::wstring DecodeGb18030(std::string_view bytes) {
    const iconv_t cd = iconv_open("UTF-32LE", "GB18030");
    // iconv_open reports failure as (iconv_t)-1.
    if (cd == reinterpret_cast<iconv_t>(-1))  // NOLINT(performance-no-int-to-ptr)
        return ToWide(bytes);
    std::wstring out;
    out.reserve(bytes.size());
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
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
        }
    }
    iconv_close(cd);
    return out;
}

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

}  // namespace

std::optional<std::wstring> PathOfFileUri(std::wstring_view line) {
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
    const std::string bytes = ToNarrow(rest);
    std::string decoded;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size() && HexValue(bytes[i + 1]) >= 0 &&
            HexValue(bytes[i + 2]) >= 0) {
            decoded.push_back(
                static_cast<char>(HexValue(bytes[i + 1]) * 16 + HexValue(bytes[i + 2])));
            i += 2;
        } else {
            decoded.push_back(bytes[i]);
        }
    }
    return ToWide(decoded);
}

namespace {

// The absolute paths of the line, last start first (see PathCandidatesOfLine).
std::vector<std::wstring> AbsolutePathsIn(std::wstring_view line) {
    std::vector<std::wstring> found;
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
    std::reverse(found.begin(), found.end());
    return found;
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
    if (bytes.starts_with(kUtf8Bom))
        return ToWide(bytes.substr(kUtf8Bom.size()));
    if (bytes.starts_with("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return DecodeUtf16(bytes.substr(2), true);
    // Before the UTF-8 check: ASCII in UTF-16 is valid UTF-8 full of NULs.
    if (const auto bigEndian = Utf16BigEndianByZeroBytes(bytes))
        return DecodeUtf16(bytes, *bigEndian);
    if (IsValidUtf8(bytes))
        return ToWide(bytes);
    return DecodeGb18030(bytes);
}

std::vector<std::wstring> PathsFromListBytes(std::string_view bytes) {
    const std::wstring text = DecodePathListText(bytes);
    std::vector<std::wstring> batch;
    PathResolver resolver;
    std::string narrow;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        // A line names a path as it stands; it is kept as the whole path the system
        // resolves it to, so that rows, registry and journal never hold a relative path.
        narrow.clear();
        AppendNarrow(narrow, line);
        std::wstring path = resolver.Resolve(narrow);
        if (!path.empty())
            batch.push_back(std::move(path));
    }
    return batch;
}

std::vector<std::wstring> ReadPathListFile(const std::filesystem::path& file,
                                           std::string* problem) {
    const FileBytes read = ReadFileBytes(file, kMaxPathListSize, FileKinds::RegularFileOrPipe);
    if (!read.Ok()) {
        if (problem)
            *problem = read.Reason();
        return {};
    }
    return PathsFromListBytes(read.bytes);
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

std::vector<std::wstring> PathCandidatesOfLine(std::wstring_view line) {
    if (auto path = PathOfFileUri(line))
        return {*path};
    std::vector<std::wstring> found = AbsolutePathsIn(line);
    if (auto path = WindowsPathIn(line))
        found.push_back(std::move(*path));
    if (found.empty())
        found.emplace_back(line);
    return found;
}

std::wstring ExtractPathFromLine(std::wstring_view line) {
    return PathCandidatesOfLine(line).front();
}

std::vector<std::wstring> PathsFromClipboardText(std::wstring_view text) {
    std::vector<std::wstring> batch;
    PathResolver resolver;
    for (const std::wstring& piece : SplitString(text, L'\n')) {
        // No path is longer than PATH_MAX bytes, written as a URI three times that: a
        // longer line (binary text) names nothing, and searching it would take long.
        if (piece.size() > kMaxPathLineLength)
            continue;
        for (const std::wstring& candidate : PathCandidatesOfLine(TrimBlanks(piece))) {
            // Only a whole path counts: a word or a "." would name something in
            // whatever folder the program was started from.
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
