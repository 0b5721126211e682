#include "platform/PlatformTime.h"

std::tm PlatformLocalTime(std::time_t Moment)
{
    std::tm local{};
    localtime_s(&local, &Moment);
    return local;
}
