#include "sfx/ByteSize.h"

#include <cwchar>

namespace sfx {

namespace {

constexpr double kKilo = 1024.0;
constexpr double kMega = kKilo * 1024.0;
constexpr double kGiga = kMega * 1024.0;
constexpr double kTera = kGiga * 1024.0;

std::wstring WithUnit(const wchar_t* format, double value, const std::wstring& unit) {
    wchar_t number[64];
    const int length = std::swprintf(number, sizeof number / sizeof number[0], format, value);
    std::wstring text(number, length > 0 ? static_cast<std::size_t>(length) : 0);
    text += L' ';
    text += unit;
    return text;
}

}  // namespace

std::wstring FormatByteSize(std::uint64_t size) {
    return FormatByteSize(size, {L"KB", L"MB", L"GB", L"TB"});
}

std::wstring FormatByteSize(std::uint64_t size, const ByteUnits& units) {
    const auto v = static_cast<double>(size);
    if (v / kKilo < 0.1) return L"0 " + units[0];
    if (v < kMega) return WithUnit(L"%.1f", v / kKilo, units[0]);
    if (v < kGiga) return WithUnit(L"%.1f", v / kMega, units[1]);
    if (v < kTera) return WithUnit(L"%.2f", v / kGiga, units[2]);
    return WithUnit(L"%.2f", v / kTera, units[3]);
}

}  // namespace sfx
