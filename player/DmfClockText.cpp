#include "player/DmfClockText.h"

#include <algorithm>
#include <cstdio>

std::string ClockText(int32_t Milliseconds)
{
    const int32_t seconds = std::max(Milliseconds, 0) / 1000;
    char text[24];
    std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
    return text;
}
