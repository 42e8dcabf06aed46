#include "Traditional.h"

#include <Config.hpp>
#include <Conversion.hpp>
#include <ConversionChain.hpp>
#include <Converter.hpp>
#include <Dict.hpp>
#include <Lexicon.hpp>
#include <cstdlib>
#include <optional>
#include <unordered_map>

#include "TextConvert.h"

#ifndef TOLVANE_OPENCC_DATA_DIR
#define TOLVANE_OPENCC_DATA_DIR "/usr/share/opencc"
#endif

namespace tolvane {

namespace {

using CharMap = std::unordered_map<wchar_t, wchar_t>;

// The converter is configured with a character-only dictionary for both the
// segmentation and the conversion, so it never looks at neighbouring characters.
// Its lexicon is then flattened into a table of single characters, which keeps the
// length of every text and lets escaped bytes of undecodable names pass untouched.
std::optional<CharMap> LoadCharacterMap(const char* dictionary) {
    try {
        const std::string json = std::string(R"({"name":"tolvane","segmentation":{"type":"mmseg",)"
                                             R"("dict":{"type":"ocd2","file":")") +
                                 dictionary +
                                 R"("}},"conversion_chain":[{"dict":{"type":"ocd2","file":")" +
                                 dictionary + R"("}}]})";
        // The environment may point at another copy of the dictionaries.
        const char* folder = std::getenv("TOLVANE_OPENCC_DATA_DIR");
        opencc::Config config;
        const opencc::ConverterPtr converter = config.NewFromString(
            json, std::string(folder && *folder ? folder : TOLVANE_OPENCC_DATA_DIR) + "/");
        CharMap map;
        for (const auto& conversion : converter->GetConversionChain()->GetConversions()) {
            const opencc::LexiconPtr lexicon = conversion->GetDict()->GetLexicon();
            for (const auto& entry : *lexicon) {
                const std::wstring key = ToWide(entry->Key());
                const std::wstring value = ToWide(entry->GetDefault());
                if (key.size() == 1 && value.size() == 1)
                    map.emplace(key[0], value[0]);
            }
        }
        if (map.empty())
            return std::nullopt;
        return map;
    } catch (...) {
        return std::nullopt;
    }
}

const std::optional<CharMap>& SimplifiedToTraditional() {
    static const std::optional<CharMap> map = LoadCharacterMap("STCharacters.ocd2");
    return map;
}

const std::optional<CharMap>& TraditionalToSimplified() {
    static const std::optional<CharMap> map = LoadCharacterMap("TSCharacters.ocd2");
    return map;
}

std::wstring MapCharacters(const std::optional<CharMap>& map, const std::wstring& text) {
    if (!map)
        return text;
    std::wstring out(text);
    for (wchar_t& c : out) {
        if (c < 0x80)
            continue;
        const auto it = map->find(c);
        if (it != map->end())
            c = it->second;
    }
    return out;
}

}  // namespace

std::wstring Traditional::FromSimple(const std::wstring& text) {
    return MapCharacters(SimplifiedToTraditional(), text);
}

std::wstring Traditional::ToSimple(const std::wstring& text) {
    return MapCharacters(TraditionalToSimplified(), text);
}

std::string Traditional::FromSimple(const std::string& text) {
    return ToNarrow(FromSimple(ToWide(text)));
}

std::string Traditional::ToSimple(const std::string& text) {
    return ToNarrow(ToSimple(ToWide(text)));
}

bool Traditional::Available() {
    return SimplifiedToTraditional().has_value() && TraditionalToSimplified().has_value();
}

}  // namespace tolvane
