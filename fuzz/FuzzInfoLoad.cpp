// The information load of arbitrary bytes, as the plug-in's GetFileInfo does
// it for every playlist entry. Bound: the input's size (libFuzzer's -max_len)
// and the load's own length run, which stops at the 32-bit byte total.

#include "fuzz/FuzzHarnesses.h"
#include "platform/PlatformStream.h"
#include "player/DmfSong.h"

int FuzzInfoLoad(const uint8_t* Data, size_t Size)
{
    FuzzQuietLog();
    TMemoryStream stream(std::vector<uint8_t>(Data, Data + Size));
    TDmf song;
    song.LoadInfoFromStream(stream);
    return 0;
}
