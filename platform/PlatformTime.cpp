#include "platform/PlatformTime.h"

std::string PlatformLocalDateTime()
{
    const std::tm local = PlatformLocalTime(std::time(nullptr));
    char text[64];
    if (std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local) == 0) {
        return {};
    }
    return text;
}
