#include "AudioReader.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tdebuglistener.h>

#include <limits>
#include <mutex>

#include "ReadOnlyFile.h"
#include "TagStream.h"

namespace tolvane {

namespace {

// Damaged files are expected here; TagLib's complaints about them are not shown.
class SilentListener final : public TagLib::DebugListener {
  public:
    void printMessage(const TagLib::String&) override {}
};

void SetUpTagLib() {
    static std::once_flag once;
    std::call_once(once, [] {
        static SilentListener listener;
        TagLib::setDebugListener(&listener);
    });
}

std::string Text(const TagLib::String& value) {
    // Cut in characters first: a hostile tag may be as long as the file.
    return CutMetadataText(value.substr(0, kMaxMetadataTextBytes).to8Bit(true));
}

// TagLib reads "-5" as the number -5 and hands it on as an unsigned one, so a
// negative year or track arrives above INT_MAX; it is no number at all.
unsigned PositiveOrNone(unsigned value) {
    return value > static_cast<unsigned>(std::numeric_limits<int>::max()) ? 0 : value;
}

}  // namespace

AudioTags ReadAudioTags(ReadOnlyFile& file) {
    SetUpTagLib();
    AudioTags tags;
    try {
        TagStream stream(file);
        const TagLib::FileRef ref(&stream, /*readAudioProperties=*/false);
        const TagLib::Tag* tag = ref.tag();
        if (tag == nullptr)
            return tags;
        tags.artist = Text(tag->artist());
        tags.album = Text(tag->album());
        tags.title = Text(tag->title());
        tags.genre = Text(tag->genre());
        tags.year = PositiveOrNone(tag->year());
        tags.track = PositiveOrNone(tag->track());
    } catch (...) {
        return AudioTags{};
    }
    return tags;
}

}  // namespace tolvane
