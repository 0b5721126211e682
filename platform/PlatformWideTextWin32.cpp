#include "platform/PlatformWideText.h"

#include <windows.h>

std::wstring PlatformNarrowToWide(const std::string& Text)
{
    if (Text.empty()) {
        return {};
    }
    const int size = static_cast<int>(Text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, Text.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Text.data(), size, wide.data(), length);
    return wide;
}
