// morvel_server_songs FOLDER: writes the songs that morvel play plays on a
// sound server in the test command. Each row sounds one note at a loudness of
// its own, so the loudness curve of a recording tells which part of which song
// was heard (any second of it, in the songs of stepped rows):
//   short.dmf   3 s, rows of 250 ms
//   second.dmf  2 s, rows of 250 ms
//   long.dmf   20 s, rows of 250 ms (pause and seeks)
//   slow.dmf   12.5 s of 2.5 s ticks (the slowest tempo)

#include <cstdio>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/support/LoopedTone.h"
#include "tests/support/TestFiles.h"
#include "tools/writer/WriterModule.h"

namespace {

// Global command: ticks a second, less one.
constexpr uint8_t TickRate = 1;
// Global command: beats a minute.
constexpr uint8_t Tempo = 2;

// Row volumes for a song of Rows rows: eight levels about 2 dB apart, in an
// order where no three rows in a row repeat, so that any second of the song
// (three whole rows at least) tells where in the song it is.
std::vector<uint8_t> RowVolumes(int Rows, unsigned Seed)
{
    constexpr uint8_t levels[] = {40, 50, 63, 80, 100, 126, 159, 200};
    constexpr int count = static_cast<int>(std::size(levels));
    std::set<int> seen;  // the three-row groups used so far, as level indexes
    std::vector<int> picked;
    for (int row = 0; row < Rows; ++row) {
        Seed = Seed * 1103515245u + 12345u;
        int level = static_cast<int>((Seed >> 16) % count);
        for (int tries = 0; tries < count && row >= 2; ++tries, level = (level + 1) % count) {
            const int group = (picked[row - 2] * count + picked[row - 1]) * count + level;
            if (seen.insert(group).second) {
                break;
            }
        }
        picked.push_back(level);
    }
    std::vector<uint8_t> volumes;
    for (const int level : picked) {
        volumes.push_back(levels[level]);
    }
    return volumes;
}

// Rows of 250 ms (16 ticks a second), a note on each at a volume of RowVolumes.
TWriterSong SteppedSong(const std::string& Title, int Rows, unsigned Seed)
{
    TWriterSong song;
    song.Title = Title;
    song.Composer = "morvel tests";
    song.Sequence = {0};
    song.SongTracks = 1;
    TWriterPattern pattern(1, Rows);
    pattern.GlobalAt(0) = {TickRate, 15};
    const std::vector<uint8_t> volumes = RowVolumes(Rows, Seed);
    for (int row = 0; row < Rows; ++row) {
        pattern.At(0, row) = {1, 49, volumes[static_cast<size_t>(row)]};
    }
    song.Patterns.push_back(pattern);
    song.Samples = {LoopedTone(1024)};
    return song;
}

// The slowest tempo: after the first tick (2940 bytes) every tick lasts 2.5 s.
TWriterSong SlowSong()
{
    TWriterSong song;
    song.Title = "Slow";
    song.Composer = "morvel tests";
    song.Sequence = {0};
    song.SongTracks = 1;
    TWriterPattern pattern(1, 2);
    pattern.GlobalAt(0) = {Tempo, 1};
    pattern.At(0, 0) = {1, 37, 180};
    pattern.At(0, 1) = {1, 49, 120};
    song.Patterns.push_back(pattern);
    song.Samples = {LoopedTone(1024)};
    return song;
}

bool Write(const std::string& Path, const TWriterSong& Song)
{
    const bool written = WriteFileBytes(Path, WriteSong(Song));
    if (!written) {
        std::fprintf(stderr, "morvel_server_songs: cannot write %s\n", Path.c_str());
    }
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: morvel_server_songs FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const bool written = Write(folder + "short.dmf", SteppedSong("Short", 12, 1)) &&
                         Write(folder + "second.dmf", SteppedSong("Second", 8, 2)) &&
                         Write(folder + "long.dmf", SteppedSong("Long", 80, 3)) &&
                         Write(folder + "slow.dmf", SlowSong());
    return written ? 0 : 1;
}
