#include "NaturalCompare.h"

#include "engine/TextConvert.h"

namespace tolvane {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Compares two digit runs by value, whatever their length.
int CompareDigitRuns(std::string_view x, std::string_view y) {
    const size_t xs = x.find_first_not_of('0');
    const size_t ys = y.find_first_not_of('0');
    x = xs == std::string_view::npos ? std::string_view() : x.substr(xs);
    y = ys == std::string_view::npos ? std::string_view() : y.substr(ys);
    if (x.size() != y.size())
        return x.size() > y.size() ? 1 : -1;
    const int c = x.compare(y);
    return c > 0 ? 1 : c < 0 ? -1 : 0;
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const size_t i0 = i, j0 = j;
            while (i < a.size() && IsDigit(a[i]))
                ++i;
            while (j < b.size() && IsDigit(b[j]))
                ++j;
            const int c = CompareDigitRuns(a.substr(i0, i - i0), b.substr(j0, j - j0));
            if (c != 0)
                return c;
            continue;
        }
        const auto x = static_cast<signed char>(a[i]);
        const auto y = static_cast<signed char>(b[j]);
        if (x != y)
            return x > y ? 1 : -1;
        ++i;
        ++j;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() > b.size() ? 1 : -1;
}

int NaturalCompare(std::wstring_view a, std::wstring_view b) {
    return NaturalCompare(ToNarrow(a), ToNarrow(b));
}

}  // namespace tolvane
