// The song message block: 40-column lines without separators.

#include "module/LoadLog.h"
#include "module/LoadReader.h"
#include "player/DmfSong.h"

namespace {
constexpr size_t MessageColumns = 40;
}

void TDmf::ReadMessage()
{
    TFieldReader in(*Stream);
    Message.clear();
    const int32_t length = in.I32();
    in.U8();  // filler
    const std::vector<uint8_t> text = in.Available(static_cast<int64_t>(length) - 1);

    // Only complete lines count; a short last line is dropped.
    std::string line(MessageColumns, ' ');
    size_t column = 0;
    for (const uint8_t byte : text) {
        line[column++] = byte == 0 ? ' ' : static_cast<char>(byte);
        if (column == MessageColumns) {
            Message.push_back(line);
            column = 0;
        }
    }
    DebugLog("dmfReadCMSG: " + Hex4(static_cast<uint32_t>(Message.size())) + " lines");
}
