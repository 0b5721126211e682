#include "platform/PlatformWideText.h"

std::wstring PlatformNarrowToWide(const std::string& Text)
{
    std::wstring wide;
    wide.reserve(Text.size());
    for (const char c : Text) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return wide;
}
