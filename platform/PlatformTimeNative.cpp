#include "platform/PlatformTime.h"

std::tm PlatformLocalTime(std::time_t Moment)
{
    std::tm local{};
    localtime_r(&Moment, &local);
    return local;
}
