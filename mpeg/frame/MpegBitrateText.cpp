#include "mpeg/frame/MpegBitrateText.h"

#include "mpeg/frame/MpegTables.h"

std::string BitrateText(int Version, int Layer, int Index)
{
    if (Version < 0 || Version > 1 || Layer < 1 || Layer > 3 || Index < 0 || Index > 15) {
        return "";
    }
    if (Index == 0) {
        return "free format";
    }
    if (Index == 15) {
        return "forbidden";
    }
    return std::to_string(BitrateTable[Version][Layer - 1][Index] / 1000) + " kbit/s";
}
