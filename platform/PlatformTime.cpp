#include "platform/PlatformTime.h"

#include <ctime>

std::string PlatformLocalDateTime()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[64];
    if (std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local) == 0) {
        return {};
    }
    return text;
}
