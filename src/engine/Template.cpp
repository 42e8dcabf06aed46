#include "Template.h"

#include <optional>

#include "MetadataTokens.h"
#include "RandomString.h"
#include "StringOps.h"

namespace tolvane {

namespace {

void ReplaceToken(std::wstring& text, std::wstring_view token, std::wstring_view value) {
    if (text.find(token) != std::wstring::npos)
        text = ReplaceAll(text, token, value);
}

std::wstring WithoutLeadingZeros(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L'0');
    return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

// <dir>, <name>, <self> and the tokens read from the file in one sweep, so that a
// folder or file name, or a tag, that itself holds a token is inserted as it is and
// never expanded.
std::wstring ExpandLastTokens(const std::wstring& text, const TemplateInputs& in) {
    static constexpr std::wstring_view kDir = L"<dir>", kName = L"<name>", kSelf = L"<self>";
    const std::wstring_view view(text);
    std::wstring out;
    out.reserve(text.size() + in.oldName.size() + in.workingName.size());
    std::optional<FileMetadata> metadata;
    size_t i = 0;
    while (i < view.size()) {
        const std::wstring_view rest = view.substr(i);
        if (rest.starts_with(kDir)) {
            const size_t slash = in.folder.rfind(L'/');
            out.append(slash == std::wstring_view::npos ? in.folder : in.folder.substr(slash + 1));
            i += kDir.size();
        } else if (rest.starts_with(kName)) {
            out.append(in.ignoreExtension ? StemOf(in.oldName) : std::wstring(in.oldName));
            i += kName.size();
        } else if (rest.starts_with(kSelf)) {
            out.append(in.workingName);
            i += kSelf.size();
        } else if (const MetadataToken* token = MetadataTokenAt(rest)) {
            if (!metadata)
                metadata = in.readMetadata ? in.readMetadata() : FileMetadata{};
            out.append(token->value(*metadata));
            i += token->text.size();
        } else {
            out.push_back(rest.front());
            ++i;
        }
    }
    return out;
}

}  // namespace

bool TemplateNeedsFileTimes(std::wstring_view templateText) {
    for (std::wstring_view token : {L"<mdate>", L"<mtime>", L"<cdate>", L"<ctime>"}) {
        if (templateText.find(token) != std::wstring_view::npos)
            return true;
    }
    return false;
}

std::wstring ExpandTemplate(std::wstring_view templateText, const TemplateInputs& in) {
    std::wstring text(templateText);

    const std::wstring_view number = in.serialText.empty() ? in.counterText : in.serialText;
    ReplaceToken(text, L"<#>", number);
    ReplaceToken(text, L"#", number);

    if (text.find(L"<r>") != std::wstring::npos)
        ReplaceToken(text, L"<r>", RandomString());
    ReplaceToken(text, L"<date>", in.dateText);
    ReplaceToken(text, L"<time>", in.timeText);

    if (text.find(L'<') != std::wstring::npos) {
        const std::tm now = in.now ? *in.now : std::tm{};
        ReplaceToken(text, L"<Y>", FormatTime(now, "%Y"));
        ReplaceToken(text, L"<M>", FormatTime(now, "%m"));
        ReplaceToken(text, L"<D>", FormatTime(now, "%d"));
        ReplaceToken(text, L"<y>", FormatTime(now, "%y"));
        ReplaceToken(text, L"<m>", WithoutLeadingZeros(FormatTime(now, "%m")));
        ReplaceToken(text, L"<d>", WithoutLeadingZeros(FormatTime(now, "%d")));

        if (TemplateNeedsFileTimes(text)) {
            const FileTimes times = in.readFileTimes ? in.readFileTimes() : FileTimes{};
            const std::tm modified = ToLocalTime(times.modified);
            const std::tm created = ToLocalTime(times.created);
            ReplaceToken(text, L"<mdate>", FormatTime(modified, "%Y-%m-%d"));
            ReplaceToken(text, L"<mtime>", FormatTime(modified, "%Y-%m-%d-%H%M%S"));
            ReplaceToken(text, L"<cdate>", FormatTime(created, "%Y-%m-%d"));
            ReplaceToken(text, L"<ctime>", FormatTime(created, "%Y-%m-%d-%H%M%S"));
        }

        text = ExpandLastTokens(text, in);
    }
    return text;
}

}  // namespace tolvane
