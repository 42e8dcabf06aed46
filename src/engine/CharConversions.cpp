#include "CharConversions.h"

#include "Pattern.h"
#include "RenameOptions.h"
#include "StringOps.h"
#include "Traditional.h"

namespace tolvane {

namespace {

struct NumeralRow {
    const wchar_t* numeral;
    const wchar_t* digits;
};

constexpr NumeralRow kNumerals[] = {
    {L"一", L"1"}, {L"二", L"2"}, {L"三", L"3"}, {L"四", L"4"}, {L"五", L"5"},
    {L"六", L"6"}, {L"七", L"7"}, {L"八", L"8"}, {L"九", L"9"}, {L"十", L"10"},
};

struct FixUp {
    const wchar_t* expression;
    const wchar_t* format;
};

constexpr FixUp kFixUps[] = {
    {L"([1-9])10([1-9])", L"$1$2"},
    {L"10([1-9])", L"1$1"},
    {L"([1-9])1(0)", L"$1$2"},
};

}  // namespace

std::wstring CnNumeralsToDigits(std::wstring_view text) {
    std::wstring name(text);
    for (const auto& row : kNumerals)
        name = ReplaceAll(name, row.numeral, row.digits);
    static const std::shared_ptr<const CompiledRegex> fixUps[] = {
        CompiledRegex::Compile(kFixUps[0].expression),
        CompiledRegex::Compile(kFixUps[1].expression),
        CompiledRegex::Compile(kFixUps[2].expression),
    };
    std::wstring out;
    for (size_t i = 0; i < std::size(kFixUps); ++i) {
        if (fixUps[i] && fixUps[i]->ReplaceAll(name, kFixUps[i].format, out))
            name.swap(out);
    }
    return name;
}

std::wstring DigitsToCnNumerals(std::wstring_view text) {
    std::wstring name(text);
    for (const auto& row : kNumerals)
        name = ReplaceAll(name, row.digits, row.numeral);
    return name;
}

void ApplyNameConversion(int mode, std::wstring& name) {
    switch (static_cast<ConversionMode>(mode)) {
        case ConversionMode::NameUpper: name = AsciiUpper(name); break;
        case ConversionMode::NameLower: name = AsciiLower(name); break;
        case ConversionMode::FirstCharUpper:
            if (!name.empty())
                name[0] = AsciiUpper(name[0]);
            break;
        case ConversionMode::CnNumeralsToDigits: name = CnNumeralsToDigits(name); break;
        case ConversionMode::DigitsToCnNumerals: name = DigitsToCnNumerals(name); break;
        case ConversionMode::TraditionalToSimplified: name = Traditional::ToSimple(name); break;
        case ConversionMode::SimplifiedToTraditional: name = Traditional::FromSimple(name); break;
        default: break;
    }
}

void ApplyExtensionCase(int mode, std::wstring& name) {
    const auto which = static_cast<ConversionMode>(mode);
    if (which != ConversionMode::ExtensionUpper && which != ConversionMode::ExtensionLower)
        return;
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos)
        return;
    for (size_t i = dot + 1; i < name.size(); ++i) {
        name[i] =
            which == ConversionMode::ExtensionUpper ? AsciiUpper(name[i]) : AsciiLower(name[i]);
    }
}

}  // namespace tolvane
