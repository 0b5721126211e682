// Winamp 5's optional exports on arbitrary bytes written to a file, as the
// media library and the converter call them: every field the host asks for
// (narrow, some also wide and into small buffers), then extended read (open,
// read in odd portions, a seek forward past what was read and one back, read
// again, close; and the same through the wide open).
//
// Bounds: each field answer is one information load (as the info harness);
// the open is one full load and one count of the song's bytes (as morvel
// render makes them); reading stops after ReadLimit bytes between seeks, and a
// seek skips ticks without mixing, at most to ForwardMs.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzHarnesses.h"
#include "player/DmfOutputFormat.h"
#include "plugin/sdk/WinampExtendedExports.h"
#include "tests/support/TestFiles.h"

namespace {

const char* const Fields[] = {"type",    "family", "title",  "artist",  "composer",
                              "comment", "length", "album",  "bitrate", "samplerate",
                              "year",    "TITLE",  "Length", "",        "formatinformation"};
constexpr size_t ReadLimit = 2 * OutputBytesPerSecond;
constexpr size_t Chunk = 4093;  // odd: portions that split frames
constexpr int ForwardMs = 10000;
constexpr int BackMs = 1000;

struct TExtendedSession {
    TExtendedSession()
    {
        FuzzQuietLog();
        Folder = std::filesystem::temp_directory_path() / ("morvel-fuzz-extended-" + std::to_string(::getpid()));
        std::filesystem::create_directories(Folder);
        Path = (Folder / "input.dmf").string();
        WidePath = (Folder / "input.dmf").wstring();
    }
    ~TExtendedSession()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    }

    std::filesystem::path Folder;  // this process's own
    std::string Path;
    std::wstring WidePath;
};

void ReadSome(intptr_t Handle, std::vector<char>& Buffer)
{
    int keepGoing = 0;
    for (size_t read = 0; read < ReadLimit;) {
        const size_t got = winampGetExtendedRead_getData(Handle, Buffer.data(), Chunk, &keepGoing);
        if (got == 0) {
            break;
        }
        read += got;
    }
}

void ReadAround(intptr_t Handle)
{
    std::vector<char> buffer(Chunk);
    ReadSome(Handle, buffer);
    winampGetExtendedRead_setTime(Handle, ForwardMs);
    ReadSome(Handle, buffer);
    winampGetExtendedRead_setTime(Handle, BackMs);
    ReadSome(Handle, buffer);
    winampGetExtendedRead_close(Handle);
}

}  // namespace

int FuzzExtended(const uint8_t* Data, size_t Size)
{
    static TExtendedSession session;
    if (!WriteFileBytes(session.Path, std::vector<uint8_t>(Data, Data + Size))) {
        return 0;
    }
    char text[4096];
    wchar_t wide[4096];
    for (const char* field : Fields) {
        winampGetExtendedFileInfo(session.Path.c_str(), field, text, sizeof text);
    }
    for (const int length : {1, 7}) {
        winampGetExtendedFileInfo(session.Path.c_str(), "comment", text, length);
    }
    for (const char* field : {"title", "comment", "formatinformation"}) {
        winampGetExtendedFileInfoW(session.WidePath.c_str(), field, wide, 5);
    }

    int size = 0;
    int bits = 0;
    int channels = 0;
    int rate = 0;
    if (const intptr_t handle = winampGetExtendedRead_open(session.Path.c_str(), &size, &bits, &channels, &rate)) {
        ReadAround(handle);
    }
    if (const intptr_t handle =
            winampGetExtendedRead_openW(session.WidePath.c_str(), &size, nullptr, nullptr, nullptr)) {
        ReadAround(handle);
    }
    return 0;
}
