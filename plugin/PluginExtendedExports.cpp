// Winamp 5's optional exports (plugin/sdk/WinampExtendedExports.h): the song's
// details by field name, and decoding without playing. They stand beside the
// In_Module record and its data module: none of them touches the playing song
// or its player thread, each works on a song of its own. Nothing thrown
// inside reaches the host: each answers as for a file it cannot read.

#include <algorithm>
#include <memory>
#include <string>

#include "platform/PlatformExport.h"
#include "platform/PlatformWideText.h"
#include "player/DmfOutputFormat.h"
#include "plugin/DataModule.h"
#include "plugin/EntryGuard.h"
#include "plugin/ExtendedFileInfo.h"
#include "plugin/ExtendedReadHandles.h"
#include "plugin/ExtendedReader.h"
#include "plugin/sdk/WinampExtendedExports.h"

namespace {

// Text into the host's buffer of DestLength characters, cut to fit and
// terminated; 0 (the buffer untouched) when there is no text or no room.
template <class TChar> int CopyAnswer(const std::basic_string<TChar>& Text, TChar* Dest, int DestLength)
{
    if (Text.empty() || !Dest || DestLength < 1) {
        return 0;
    }
    const size_t count = std::min(Text.size(), static_cast<size_t>(DestLength) - 1);
    std::copy_n(Text.data(), count, Dest);
    Dest[count] = TChar{0};
    return 1;
}

template <class TChar> intptr_t OpenReader(const TChar* Name, int* Size, int* Bits, int* Channels, int* Rate)
{
    return Guarded(intptr_t{0}, [&]() -> intptr_t {
        // The settings in force when it opens, kept by the decoder to its end.
        std::unique_ptr<TExtendedReader> reader = TExtendedReader::Open(Name, PluginSoundSettings());
        if (!reader) {
            return 0;
        }
        const uint64_t total = reader->TotalBytes();
        const int32_t rate = reader->Rate();
        const intptr_t handle = ExtendedReadHandles().Add(std::move(reader));
        if (Size) {
            *Size = static_cast<int>(std::min<uint64_t>(total, INT32_MAX));
        }
        if (Bits) {
            *Bits = OutputBits;
        }
        if (Channels) {
            *Channels = OutputChannels;
        }
        if (Rate) {
            *Rate = rate;
        }
        return handle;
    });
}

}  // namespace

extern "C" MORVEL_EXPORT int winampGetExtendedFileInfo(const char* fn, const char* field, char* dest, int destlen)
{
    return Guarded(0, [&] { return CopyAnswer(ExtendedFieldText(fn, field), dest, destlen); });
}

extern "C" MORVEL_EXPORT int winampGetExtendedFileInfoW(const wchar_t* fn, const char* field, wchar_t* dest,
                                                        int destlen)
{
    // The texts in the characters the narrow answers stand for.
    return Guarded(0, [&] { return CopyAnswer(PlatformNarrowToWide(ExtendedFieldText(fn, field)), dest, destlen); });
}

extern "C" MORVEL_EXPORT intptr_t winampGetExtendedRead_open(const char* fn, int* size, int* bps, int* nch, int* srate)
{
    return OpenReader(fn, size, bps, nch, srate);
}

extern "C" MORVEL_EXPORT intptr_t winampGetExtendedRead_openW(const wchar_t* fn, int* size, int* bps, int* nch,
                                                              int* srate)
{
    return OpenReader(fn, size, bps, nch, srate);
}

extern "C" MORVEL_EXPORT size_t winampGetExtendedRead_getData(intptr_t handle, char* dest, size_t len, int* killswitch)
{
    return Guarded(size_t{0}, [&]() -> size_t {
        const std::shared_ptr<TExtendedReader> reader = ExtendedReadHandles().Find(handle);
        return reader && dest ? reader->Read(dest, len, killswitch) : 0;
    });
}

extern "C" MORVEL_EXPORT int winampGetExtendedRead_setTime(intptr_t handle, int ms)
{
    return Guarded(0, [&] {
        const std::shared_ptr<TExtendedReader> reader = ExtendedReadHandles().Find(handle);
        if (!reader) {
            return 0;
        }
        reader->Seek(ms);
        return 1;
    });
}

extern "C" MORVEL_EXPORT void winampGetExtendedRead_close(intptr_t handle)
{
    Guarded([&] { ExtendedReadHandles().Remove(handle); });
}
