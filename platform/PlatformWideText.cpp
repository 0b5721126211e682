#include "platform/PlatformWideText.h"

#include <cstdint>
#include <type_traits>

namespace {

constexpr char32_t Replacement = 0xFFFD;

void AppendUtf8(std::string& Out, char32_t Code)
{
    if (Code < 0x80) {
        Out += static_cast<char>(Code);
    } else if (Code < 0x800) {
        Out += static_cast<char>(0xC0 | Code >> 6);
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
        Out += static_cast<char>(0xE0 | Code >> 12);
        Out += static_cast<char>(0x80 | (Code >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | Code >> 18);
        Out += static_cast<char>(0x80 | (Code >> 12 & 0x3F));
        Out += static_cast<char>(0x80 | (Code >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    }
}

bool IsHighSurrogate(char32_t Unit)
{
    return Unit >= 0xD800 && Unit < 0xDC00;
}

bool IsLowSurrogate(char32_t Unit)
{
    return Unit >= 0xDC00 && Unit < 0xE000;
}

}  // namespace

std::string PlatformWideToUtf8(const std::wstring& Text)
{
    std::string out;
    out.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); ++i) {
        // wchar_t may be signed: its code unit is the unsigned value of its width.
        char32_t code = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(Text[i]));
        if (IsHighSurrogate(code) && i + 1 < Text.size()) {
            const char32_t low = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(Text[i + 1]));
            if (IsLowSurrogate(low)) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (IsHighSurrogate(code) || IsLowSurrogate(code) || code > 0x10FFFF) {
            code = Replacement;
        }
        AppendUtf8(out, code);
    }
    return out;
}
