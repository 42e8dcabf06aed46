#pragma once

#include <cstdint>

namespace tolvane {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kRedText{255, 0, 0};
inline constexpr Rgb kGreenText{0, 128, 0};
// A status that warns before anything is renamed.
inline constexpr Rgb kWarningText{200, 100, 0};
inline constexpr Rgb kBlackText{0, 0, 0};
inline constexpr Rgb kWhiteBackground{255, 255, 255};
inline constexpr Rgb kSelectionBackground{0, 120, 215};
inline constexpr Rgb kImportBackground{255, 228, 225};

// The colours of one cell, applied when the list draws it.
struct ColourMark {
    int row = 0;
    int column = 0;
    Rgb text;
    Rgb background;
    bool operator==(const ColourMark&) const = default;
};

}  // namespace tolvane
