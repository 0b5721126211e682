#include "bench/SongStreams.h"

#include <cstdlib>
#include <filesystem>

namespace {

// The stream Name of the folder, made with its sibling when missing.
std::string SongStream(const char* Name)
{
#if defined(MORVEL_PROGRAM) && defined(MORVEL_SONG_STREAMS)
    const std::filesystem::path Path = std::filesystem::path(MORVEL_SONG_STREAMS) / Name;
    std::error_code Error;
    if (!std::filesystem::exists(Path, Error)) {
        const std::string Command = "sh \"" MORVEL_SOURCE_DIR "/bench/make-song-streams.sh\" \"" MORVEL_PROGRAM
                                    "\" \"" MORVEL_SONG_STREAMS "\" >/dev/null 2>&1";
        if (std::system(Command.c_str()) != 0)
            return {};
    }
    return std::filesystem::exists(Path, Error) ? Path.string() : std::string();
#else
    (void)Name;
    return {};  // built without the morvel program
#endif
}

}  // namespace

std::string SongStreamLayer2()
{
    return SongStream("song_l2_192.mp2");
}

std::string SongStreamLayer3()
{
    return SongStream("song_l3_128.mp3");
}
