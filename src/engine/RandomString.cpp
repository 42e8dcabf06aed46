#include "RandomString.h"

#include <random>

namespace tolvane {

std::wstring RandomString() {
    thread_local std::random_device device;
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring out(32, L'0');
    for (size_t word = 0; word < 4; ++word) {
        std::uint32_t bits = device();
        for (size_t k = 0; k < 8; ++k) {
            out[word * 8 + k] = kHex[bits >> 28];
            bits <<= 4;
        }
    }
    return out;
}

}  // namespace tolvane
