#include "bench/SongStreams.h"

#include <cstdlib>
#include <filesystem>

namespace {

// The stream Name of the folder, made with its sibling when missing.
std::string SongStream(const char* Name)
{
#if defined(MORVEL_PROGRAM) && defined(MORVEL_SONG_STREAMS)
    const std::filesystem::path path = std::filesystem::path(MORVEL_SONG_STREAMS) / Name;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        const std::string command = "sh \"" MORVEL_SOURCE_DIR "/bench/make-song-streams.sh\" \"" MORVEL_PROGRAM
                                    "\" \"" MORVEL_SONG_STREAMS "\" >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            return {};
        }
    }
    return std::filesystem::exists(path, error) ? path.string() : std::string();
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
