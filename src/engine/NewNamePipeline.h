#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Clock.h"
#include "ItemCounter.h"
#include "Pattern.h"
#include "RenameOptions.h"

namespace tolvane {

class MetadataCache;

// What a computation reads besides the option values: the texts of the anchor-side
// list and the word "before" they are compared with.
struct PipelineTexts {
    std::vector<std::wstring> anchorSideItems{L"前", L"后"};
    std::wstring beforeWord = L"前";
};

// The options of one recomputation pass, prepared once: numbers read, patterns
// compiled. ComputeNewName then applies the twelve steps to one name at a time.
// One pipeline serves one pass on one thread.
class NewNamePipeline {
  public:
    // `metadata` holds what files say of themselves, for the template tokens that
    // read it; none: the cache the whole process shares.
    NewNamePipeline(const RenameOptions& options, const Clock& clock, PipelineTexts texts = {},
                    PatternBudget budget = {}, MetadataCache* metadata = nullptr);

    // The new name of `oldName` in `folder`. Advances `counter`, which wraps after
    // `rowCount`. Reads the clock once, and the file's times and metadata only when
    // the template needs them. A name that a step takes past kMaxNewNameLength is not
    // built further: it comes back cut to kMaxNewNameLength + 1 characters, as it stood
    // at that step, and is refused as too long.
    std::wstring ComputeNewName(std::wstring_view oldName, std::wstring_view folder,
                                ItemCounter& counter, int rowCount) const;

    // Whether the template reads the files themselves (a capture date, a tag): each
    // name may then wait for a file to be read, the first time it is met.
    bool ReadsFileMetadata() const;

    // Whether the find pattern ran away on a name or spent its budget during this pass:
    // that name and the later ones were not replaced, so the pass's names are incomplete.
    bool PatternGaveUp() const;
    // Whether the find text, read as a pattern, does not compile, and why.
    bool PatternInvalid() const;
    const std::wstring& PatternError() const;

  private:
    struct Prepared;
    std::shared_ptr<const Prepared> p_;
    const Clock& clock_;
};

// Longest serial text that padding produces: no file system takes longer names.
inline constexpr int kMaxSerialDigits = 255;

}  // namespace tolvane
