#include "Template.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "MetadataTokens.h"
#include "RandomString.h"
#include "StringOps.h"

namespace tolvane {

namespace {

std::wstring WithoutLeadingZeros(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L'0');
    return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

// The clock tokens and what each writes of the clock reading.
struct ClockToken {
    std::wstring_view text;
    const char* format;
    bool withoutLeadingZeros;
};
constexpr ClockToken kClockTokens[] = {
    {L"<Y>", "%Y", false}, {L"<M>", "%m", false}, {L"<D>", "%d", false},
    {L"<y>", "%y", false}, {L"<m>", "%m", true},  {L"<d>", "%d", true},
};

// The file-time tokens: which time, and its format.
struct FileTimeToken {
    std::wstring_view text;
    bool created;
    const char* format;
};
constexpr FileTimeToken kFileTimeTokens[] = {
    {L"<mdate>", false, "%Y-%m-%d"},
    {L"<mtime>", false, "%Y-%m-%d-%H%M%S"},
    {L"<cdate>", true, "%Y-%m-%d"},
    {L"<ctime>", true, "%Y-%m-%d-%H%M%S"},
};

}  // namespace

bool TemplateNeedsFileTimes(std::wstring_view templateText) {
    for (const FileTimeToken& token : kFileTimeTokens) {
        if (templateText.find(token.text) != std::wstring_view::npos)
            return true;
    }
    return false;
}

// One sweep from left to right. No token holds '<' or '>' inside, so at most one
// starts at any place, and no value a token brings in (digits, dates, upper-case
// hexadecimal, names and tags that are never scanned) can form a token with the text
// around it: the sweep gives what expanding one kind of token after the other gives,
// but stops as soon as the name is past `limit` instead of building a template of
// thousands of tokens in full for every row.
std::wstring ExpandTemplate(std::wstring_view templateText, const TemplateInputs& in,
                            size_t limit) {
    static constexpr std::wstring_view kNumber = L"<#>", kRandom = L"<r>", kDate = L"<date>",
                                       kTime = L"<time>", kDir = L"<dir>", kName = L"<name>",
                                       kSelf = L"<self>";
    const std::wstring_view number = in.serialText.empty() ? in.counterText : in.serialText;
    // Each value is found once, when its token is first met.
    std::optional<std::wstring> random;
    std::optional<std::tm> now;
    std::wstring clockValues[std::size(kClockTokens)];
    std::optional<FileTimes> times;
    std::optional<FileMetadata> metadata;

    std::wstring out;
    out.reserve(std::min(templateText.size() + in.oldName.size() + in.workingName.size(), limit));
    size_t i = 0;
    auto put = [&](std::wstring_view value, size_t consumed) {
        i += consumed;
        return AppendWithin(out, value, limit);
    };
    while (i < templateText.size()) {
        const std::wstring_view rest = templateText.substr(i);
        bool fits = true;
        if (rest.front() == L'#') {
            fits = put(number, 1);
        } else if (rest.front() != L'<') {
            // A run of plain text at once.
            const size_t next = rest.find_first_of(L"<#");
            fits = put(rest.substr(0, next), next == std::wstring_view::npos ? rest.size() : next);
        } else if (rest.starts_with(kNumber)) {
            fits = put(number, kNumber.size());
        } else if (rest.starts_with(kRandom)) {
            if (!random)
                random = RandomString();
            fits = put(*random, kRandom.size());
        } else if (rest.starts_with(kDate)) {
            fits = put(in.dateText, kDate.size());
        } else if (rest.starts_with(kTime)) {
            fits = put(in.timeText, kTime.size());
        } else if (rest.starts_with(kDir)) {
            const size_t slash = in.folder.rfind(L'/');
            fits = put(slash == std::wstring_view::npos ? in.folder : in.folder.substr(slash + 1),
                       kDir.size());
        } else if (rest.starts_with(kName)) {
            fits = put(in.ignoreExtension ? std::wstring_view(StemOf(in.oldName)) : in.oldName,
                       kName.size());
        } else if (rest.starts_with(kSelf)) {
            fits = put(in.workingName, kSelf.size());
        } else if (const MetadataToken* token = MetadataTokenAt(rest)) {
            if (!metadata)
                metadata = in.readMetadata ? in.readMetadata() : FileMetadata{};
            fits = put(token->value(*metadata), token->text.size());
        } else {
            const ClockToken* clock = nullptr;
            for (const ClockToken& c : kClockTokens) {
                if (rest.starts_with(c.text))
                    clock = &c;
            }
            const FileTimeToken* fileTime = nullptr;
            for (const FileTimeToken& f : kFileTimeTokens) {
                if (rest.starts_with(f.text))
                    fileTime = &f;
            }
            if (clock != nullptr) {
                std::wstring& value = clockValues[clock - kClockTokens];
                if (value.empty()) {
                    if (!now)
                        now = in.now ? *in.now : std::tm{};
                    value = FormatTime(*now, clock->format);
                    if (clock->withoutLeadingZeros)
                        value = WithoutLeadingZeros(value);
                }
                fits = put(value, clock->text.size());
            } else if (fileTime != nullptr) {
                if (!times)
                    times = in.readFileTimes ? in.readFileTimes() : FileTimes{};
                const std::tm local =
                    ToLocalTime(fileTime->created ? times->created : times->modified);
                fits = put(FormatTime(local, fileTime->format), fileTime->text.size());
            } else {
                fits = put(rest.substr(0, 1), 1);
            }
        }
        if (!fits)
            break;
    }
    return out;
}

}  // namespace tolvane
