#pragma once
// Winamp 5's optional exports of the plug-in as a test host reaches them
// (linked in, or looked up by name in the loaded library as Winamp does), and
// what such a host does with them, written once for every host.

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "plugin/sdk/WinampExtendedExports.h"

struct TWinamp5Exports {
    WinampGetExtendedFileInfoFunction GetExtendedFileInfo = nullptr;
    WinampGetExtendedFileInfoWFunction GetExtendedFileInfoW = nullptr;
    WinampGetExtendedReadOpenFunction ReadOpen = nullptr;
    WinampGetExtendedReadOpenWFunction ReadOpenW = nullptr;
    WinampGetExtendedReadGetDataFunction ReadGetData = nullptr;
    WinampGetExtendedReadSetTimeFunction ReadSetTime = nullptr;
    WinampGetExtendedReadCloseFunction ReadClose = nullptr;

    bool Complete() const
    {
        return GetExtendedFileInfo && GetExtendedFileInfoW && ReadOpen && ReadOpenW && ReadGetData && ReadSetTime &&
               ReadClose;
    }
};

// Each export looked up by its name: Find(name) gives its address or null.
template <class TFind> TWinamp5Exports LookUpWinamp5Exports(TFind&& Find)
{
    TWinamp5Exports exports;
    const auto take = [&](auto& Function, const char* Name) {
        Function = reinterpret_cast<std::remove_reference_t<decltype(Function)>>(Find(Name));
    };
    take(exports.GetExtendedFileInfo, "winampGetExtendedFileInfo");
    take(exports.GetExtendedFileInfoW, "winampGetExtendedFileInfoW");
    take(exports.ReadOpen, "winampGetExtendedRead_open");
    take(exports.ReadOpenW, "winampGetExtendedRead_openW");
    take(exports.ReadGetData, "winampGetExtendedRead_getData");
    take(exports.ReadSetTime, "winampGetExtendedRead_setTime");
    take(exports.ReadClose, "winampGetExtendedRead_close");
    return exports;
}

// What an extended-read open told the host.
struct TReadFormat {
    int Size = -12345;
    int Bits = -1;
    int Channels = -1;
    int Rate = -1;
};

// Reads from an open handle until the end, or until Limit bytes, Chunk bytes a call.
std::vector<uint8_t> ReadToEnd(const TWinamp5Exports& Exports, intptr_t Handle, size_t Chunk, size_t Limit = SIZE_MAX);

// The whole song as the converter reads it: open, Chunk bytes a call to the
// end, close. Empty when the open failed (Format.Size then untouched).
std::vector<uint8_t> ReadWholeSong(const TWinamp5Exports& Exports, const std::string& Path, size_t Chunk,
                                   TReadFormat* Format = nullptr);
