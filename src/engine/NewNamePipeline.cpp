#include "NewNamePipeline.h"

#include <algorithm>

#include "CharConversions.h"
#include "MetadataTokens.h"
#include "RandomString.h"
#include "StringOps.h"
#include "Template.h"
#include "TextConvert.h"
#include "metadata/MetadataCache.h"

namespace tolvane {

struct NewNamePipeline::Prepared {
    bool ignoreExtension = false;

    std::optional<InsertMode> insertMode;
    std::wstring insertText;
    int insertPosition = 0;
    std::wstring anchorText;
    bool anchorBefore = true;

    std::optional<ReplaceStep> replace;

    int deleteCount = 0;
    std::optional<DeleteMode> deleteMode;
    int deletePosition = 0;
    std::wstring locatorText;
    DeleteDirection direction = DeleteDirection::LeftToRight;

    int conversion = -1;
    int sequenceMode = -1;

    bool serialEnabled = false;
    long long serialStart = 0;
    long long serialIncrement = 0;
    int serialDigits = 0;

    std::wstring templateText;
    unsigned metadataKinds = 0;
    MetadataCache* metadata = nullptr;
};

NewNamePipeline::NewNamePipeline(const RenameOptions& o, const Clock& clock, PipelineTexts texts,
                                 PatternBudget budget, MetadataCache* metadata)
    : clock_(clock) {
    auto p = std::make_shared<Prepared>();
    p->ignoreExtension = o.ignoreExtension;

    p->insertMode = CheckedInsertMode(o);
    p->insertText = o.insertText;
    p->insertPosition = ReadDecimalPrefix(o.insertPosition);
    p->anchorText = o.anchorText;
    const std::wstring anchorSide =
        o.anchorSide >= 0 && static_cast<size_t>(o.anchorSide) < texts.anchorSideItems.size()
            ? texts.anchorSideItems[o.anchorSide]
            : std::wstring();
    p->anchorBefore = anchorSide == texts.beforeWord;

    p->replace.emplace(o.findText, o.replaceText, o.useRegex, budget);

    p->deleteCount = ReadDecimalPrefix(o.deleteCount);
    p->deleteMode = CheckedDeleteMode(o);
    p->deletePosition = ReadDecimalPrefix(o.deletePosition);
    p->locatorText = o.locatorText;
    p->direction = o.deleteDirection;

    p->conversion = o.conversion;
    p->sequenceMode = o.sequenceMode;

    p->serialEnabled = o.serialEnabled;
    p->serialStart = ReadDecimalPrefix(o.serialStart);
    p->serialIncrement = ReadDecimalPrefix(o.serialIncrement);
    p->serialDigits = std::min(ReadDecimalPrefix(o.serialDigits), kMaxSerialDigits);

    p->templateText = o.templateText;
    p->metadataKinds = MetadataKindsOf(p->templateText);
    p->metadata = metadata ? metadata : &MetadataCache::Shared();
    p_ = std::move(p);
}

namespace {

// `piece` put into `name` at `at` (clamped to its length); a result past the bound is
// built only up to the bound.
void InsertWithin(std::wstring& name, long long at, std::wstring_view piece) {
    if (name.size() + piece.size() <= kMaxNewNameLength) {
        InsertClamped(name, at, piece);
        return;
    }
    const size_t split =
        static_cast<size_t>(std::clamp(at, 0LL, static_cast<long long>(name.size())));
    std::wstring out = name.substr(0, std::min(split, kMaxNewNameLength + 1));
    if (AppendWithin(out, piece, kMaxNewNameLength))
        AppendWithin(out, std::wstring_view(name).substr(split), kMaxNewNameLength);
    name.swap(out);
}

void InsertStep(const auto& p, std::wstring& name) {
    if (!p.insertMode)
        return;
    switch (*p.insertMode) {
        case InsertMode::Prefix: InsertWithin(name, 0, p.insertText); break;
        case InsertMode::Suffix: AppendWithin(name, p.insertText, kMaxNewNameLength); break;
        case InsertMode::Position: {
            const long long pos = p.insertPosition;
            const auto length = static_cast<long long>(name.size());
            if (pos < 0) {
                InsertWithin(name, length + 1 + pos, p.insertText);
            } else if (pos >= 1) {
                InsertWithin(name, pos - 1, p.insertText);
            }
            break;
        }
        case InsertMode::Text: {
            if (p.anchorText.empty())
                break;
            const size_t at = name.find(p.anchorText);
            if (at == std::wstring::npos)
                break;
            const size_t where = p.anchorBefore ? at : at + p.anchorText.size();
            InsertWithin(name, static_cast<long long>(where), p.insertText);
            break;
        }
    }
}

void DeleteStep(const auto& p, std::wstring& name) {
    const long long n = p.deleteCount;
    if (n <= 0 || !p.deleteMode)
        return;
    const auto len = static_cast<long long>(name.size());
    const bool leftToRight = p.direction == DeleteDirection::LeftToRight;
    long long s = 0;
    long long m = 0;
    if (*p.deleteMode == DeleteMode::Position) {
        const long long pos = p.deletePosition;
        const long long caret = pos - 1;
        if (leftToRight) {
            s = caret;
            m = n;
        } else if (pos > len) {
            s = std::max(len - n, 0LL);
            m = n;
        } else if (caret - n > 0) {
            s = caret - n;
            m = n;
        } else {
            s = 0;
            m = caret;
        }
    } else {
        if (p.locatorText.empty())
            return;
        const size_t at = name.find(p.locatorText);
        if (at == std::wstring::npos)
            return;
        const auto i = static_cast<long long>(at);
        if (leftToRight) {
            s = i + static_cast<long long>(p.locatorText.size());
            m = n;
        } else if (i - n >= 0) {
            s = i - n;
            m = n;
        } else {
            s = 0;
            m = i;
        }
    }
    s = std::min(s, len);
    if (s < 0 || m <= 0)
        return;
    name.erase(static_cast<size_t>(s), static_cast<size_t>(std::min(m, len - s)));
}

std::wstring CounterText(int counter) {
    std::wstring text = std::to_wstring(counter);
    if (counter <= 9)
        text.insert(0, 1, L'0');
    return text;
}

std::wstring SerialText(const auto& p, int counter) {
    const long long number =
        p.serialStart + p.serialIncrement * (static_cast<long long>(counter) - 1);
    std::wstring text = std::to_wstring(number);
    if (static_cast<long long>(text.size()) < p.serialDigits) {
        text.insert(0, static_cast<size_t>(p.serialDigits) - text.size(), L'0');
    }
    return text;
}

}  // namespace

bool NewNamePipeline::PatternGaveUp() const {
    return p_->replace->GaveUp();
}

bool NewNamePipeline::PatternInvalid() const {
    return p_->replace->IsInvalid();
}

const std::wstring& NewNamePipeline::PatternError() const {
    return p_->replace->Error();
}

bool NewNamePipeline::ReadsFileMetadata() const {
    return p_->metadataKinds != 0;
}

std::wstring NewNamePipeline::ComputeNewName(std::wstring_view oldName, std::wstring_view folder,
                                             ItemCounter& counter, int rowCount) const {
    const Prepared& p = *p_;

    // 1. Extension.
    std::wstring name(oldName);
    const std::wstring extension = ExtensionOf(oldName);
    const bool keepExtension = p.ignoreExtension && !extension.empty();
    if (keepExtension)
        name.resize(name.size() - extension.size() - 1);

    // 2. Insert, 3. replace, 4. delete, 5. whole-name conversion. A step that takes the
    // name past the bound ends the computation: the row is refused as too long.
    // The counter still counts the row, so that the rows after it keep their numbers.
    auto tooLong = [&] {
        counter.Advance(rowCount);
        name.resize(kMaxNewNameLength + 1);
        return std::move(name);
    };
    InsertStep(p, name);
    if (name.size() > kMaxNewNameLength)
        return tooLong();
    p.replace->Apply(name, kMaxNewNameLength);
    if (name.size() > kMaxNewNameLength)
        return tooLong();
    DeleteStep(p, name);
    ApplyNameConversion(p.conversion, name);
    if (name.size() > kMaxNewNameLength)
        return tooLong();

    // 6. Counter and clock; the clock is read at most once and only when used.
    const int count = counter.Advance(rowCount);
    const std::wstring counterText = CounterText(count);
    std::optional<std::tm> now;
    auto clockReading = [&]() -> const std::tm& {
        if (!now)
            now = clock_.Now();
        return *now;
    };
    auto dateText = [&] { return FormatTime(clockReading(), "%Y-%m-%d"); };

    // 7. Generated name.
    switch (static_cast<SequenceMode>(p.sequenceMode)) {
        case SequenceMode::IncreasingNumber: name = counterText; break;
        case SequenceMode::RandomNumber: name = RandomString(); break;
        case SequenceMode::DateAndNumber: name = dateText() + L"_" + counterText; break;
        case SequenceMode::DateAndRandom: name = dateText() + L"_" + RandomString(); break;
        case SequenceMode::NameAndDate:
            name =
                (p.ignoreExtension ? StemOf(oldName) : std::wstring(oldName)) + L"_" + dateText();
            break;
        default: break;
    }

    // 8. Serial number.
    std::wstring serialText;
    if (p.serialEnabled) {
        serialText = SerialText(p, count);
        name = serialText;
    }

    // 9. Template.
    if (!p.templateText.empty()) {
        TemplateInputs in;
        in.serialText = serialText;
        in.counterText = counterText;
        const std::wstring date = dateText();
        const std::wstring time = FormatTime(clockReading(), "%H%M%S");
        in.dateText = date;
        in.timeText = time;
        in.now = &clockReading();
        in.folder = folder;
        in.oldName = oldName;
        in.workingName = name;
        in.ignoreExtension = p.ignoreExtension;
        auto path = [&] {
            std::string bytes = ToNarrow(folder);
            bytes += '/';
            AppendNarrow(bytes, oldName);
            return bytes;
        };
        in.readFileTimes = [&] { return ReadFileTimes(path()); };
        if (p.metadataKinds != 0)
            in.readMetadata = [&] { return p.metadata->Lookup(path(), p.metadataKinds); };
        name = ExpandTemplate(p.templateText, in, kMaxNewNameLength);
        if (name.size() > kMaxNewNameLength)
            return name;  // the counter has counted the row
    }

    // 10. Characters no file name may hold; 11. the extension back; 12. its case.
    name = StripInvalidNameChars(name);
    if (keepExtension) {
        name += L'.';
        name += extension;
    }
    ApplyExtensionCase(p.conversion, name);
    if (name.size() > kMaxNewNameLength)
        name.resize(kMaxNewNameLength + 1);
    return name;
}

}  // namespace tolvane
