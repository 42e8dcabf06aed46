#include "MetadataTokens.h"

#include "StringOps.h"
#include "TextConvert.h"

namespace tolvane {

namespace {

std::wstring Digits(unsigned long long value, size_t width) {
    std::wstring text = std::to_wstring(value);
    if (text.size() < width)
        text.insert(0, width - text.size(), L'0');
    return text;
}

// Empty when the file does not say: a 0 is no year, track or size.
std::wstring NumberOrEmpty(unsigned value, size_t width = 1) {
    return value == 0 ? std::wstring() : Digits(value, width);
}

std::wstring CaptureDate(const FileMetadata& m) {
    const std::optional<CaptureTime>& t = m.picture.captured;
    return t ? Digits(t->year, 4) + Digits(t->month, 2) + Digits(t->day, 2) : std::wstring();
}

std::wstring CaptureDateTime(const FileMetadata& m) {
    const std::optional<CaptureTime>& t = m.picture.captured;
    return t ? CaptureDate(m) + L"-" + Digits(t->hour, 2) + Digits(t->minute, 2) +
                   Digits(t->second, 2)
             : std::wstring();
}

std::wstring CaptureYear(const FileMetadata& m) {
    return m.picture.captured ? Digits(m.picture.captured->year, 4) : std::wstring();
}

std::wstring CaptureMonth(const FileMetadata& m) {
    return m.picture.captured ? Digits(m.picture.captured->month, 2) : std::wstring();
}

std::wstring CaptureDay(const FileMetadata& m) {
    return m.picture.captured ? Digits(m.picture.captured->day, 2) : std::wstring();
}

constexpr MetadataToken kTokens[] = {
    {L"<edate>", kPictureMetadata, CaptureDate},
    {L"<etime>", kPictureMetadata, CaptureDateTime},
    {L"<EY>", kPictureMetadata, CaptureYear},
    {L"<EM>", kPictureMetadata, CaptureMonth},
    {L"<ED>", kPictureMetadata, CaptureDay},
    {L"<camera>", kPictureMetadata,
     [](const FileMetadata& m) { return NameSafeText(m.picture.camera); }},
    {L"<width>", kPictureMetadata,
     [](const FileMetadata& m) { return NumberOrEmpty(m.picture.width); }},
    {L"<height>", kPictureMetadata,
     [](const FileMetadata& m) { return NumberOrEmpty(m.picture.height); }},
    {L"<artist>", kAudioMetadata,
     [](const FileMetadata& m) { return NameSafeText(m.audio.artist); }},
    {L"<album>", kAudioMetadata, [](const FileMetadata& m) { return NameSafeText(m.audio.album); }},
    {L"<title>", kAudioMetadata, [](const FileMetadata& m) { return NameSafeText(m.audio.title); }},
    {L"<genre>", kAudioMetadata, [](const FileMetadata& m) { return NameSafeText(m.audio.genre); }},
    {L"<year>", kAudioMetadata, [](const FileMetadata& m) { return NumberOrEmpty(m.audio.year); }},
    {L"<track>", kAudioMetadata,
     [](const FileMetadata& m) { return NumberOrEmpty(m.audio.track, 2); }},
};

// Bidirectional controls reorder what follows them on screen: a tag holding U+202E
// would make the whole name read backwards.
bool IsBidiControl(wchar_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

bool IsDroppedChar(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xDC80 && c <= 0xDCFF) || c == 0x2028 ||
           c == 0x2029 || IsBidiControl(c) || IsInvalidNameChar(c);
}

}  // namespace

const MetadataToken* MetadataTokenAt(std::wstring_view text) {
    if (text.empty() || text.front() != L'<')
        return nullptr;
    for (const MetadataToken& token : kTokens) {
        if (text.starts_with(token.text))
            return &token;
    }
    return nullptr;
}

unsigned MetadataKindsOf(std::wstring_view templateText) {
    unsigned kinds = 0;
    for (size_t at = templateText.find(L'<'); at != std::wstring_view::npos;
         at = templateText.find(L'<', at + 1)) {
        if (const MetadataToken* token = MetadataTokenAt(templateText.substr(at)))
            kinds |= token->kind;
    }
    return kinds;
}

std::wstring NameSafeText(std::string_view utf8) {
    std::wstring text;
    for (wchar_t c : ToWide(utf8)) {
        if (IsBlank(c))
            text.push_back(L' ');  // a tab or line break between words stays a gap
        else if (!IsDroppedChar(c))
            text.push_back(c);
    }
    std::wstring trimmed(TrimBlanks(text));
    if (trimmed.size() > kMaxMetadataNameChars)
        trimmed.resize(kMaxMetadataNameChars);
    return std::wstring(TrimBlanks(trimmed));
}

}  // namespace tolvane
