// The module container: the block walk of the full and the information load,
// the header block and unknown blocks.

#include <algorithm>
#include <cstring>

#include "module/LoadLog.h"
#include "module/LoadReader.h"
#include "module/LoadSampleRecord.h"
#include "platform/PlatformPath.h"
#include "player/DmfSong.h"

namespace {

// Block kinds as the walk dispatches on them.
enum : uint8_t {
    KindMessage = 1,
    KindSequence = 2,
    KindPatterns = 3,
    KindSampleInfo = 4,
    KindSampleData = 5,
    KindCuePoints = 6,
    KindHeader = 7,
    KindEnd = 8,
    KindUnknown = 255,
};

struct TBlockTag {
    char Tag[5];   // the 4 tag letters (and a terminator)
    uint8_t Kind;  // what the walk does with the block
};

constexpr TBlockTag KnownTags[] = {
    {"CMSG", KindMessage},    {"SEQU", KindSequence},  {"PATT", KindPatterns}, {"SMPI", KindSampleInfo},
    {"SMPD", KindSampleData}, {"SMPJ", KindCuePoints}, {"ZQKW", KindHeader},   {"ENDE", KindEnd},
};

// Header block field offsets, counted after the tag.
constexpr size_t HeaderVersion = 0;
constexpr size_t HeaderTracker = 1;
constexpr size_t TrackerLength = 8;
constexpr size_t HeaderTitle = 9;
constexpr size_t TitleLength = 30;
constexpr size_t HeaderComposer = 39;
constexpr size_t ComposerLength = 20;

// The field's characters up to its first zero byte.
std::string ZeroEndedText(const uint8_t* Field, size_t Width)
{
    const uint8_t* end = std::find(Field, Field + Width, uint8_t{0});
    return std::string(Field, end);
}

}  // namespace

uint8_t TDmf::BlockKind(const uint8_t Tag[4])
{
    for (const TBlockTag& known : KnownTags) {
        if (std::memcmp(known.Tag, Tag, 4) == 0) {
            return known.Kind;
        }
    }
    return KindUnknown;
}

void TDmf::LoadFromFile(const std::string& Path)
{
    LoadFile(Path, false);
}

void TDmf::LoadInfoFromFile(const std::string& Path)
{
    LoadFile(Path, true);
}

void TDmf::LoadFile(const std::string& Path, bool InfoOnly)
{
    TLockGuard guard(Lock);
    TFileStream file(Path);
    Load(file, InfoOnly);
    if (Loaded) {
        // What follows the last folder or drive delimiter of a Windows path,
        // on every system: a song names its file the same wherever it is loaded.
        FileName = PlatformFileName(Path, WindowsFolderDelimiters);
        FilePath = Path;
    }
}

void TDmf::LoadFromStream(TStream& Source)
{
    Load(Source, false);
}

void TDmf::LoadInfoFromStream(TStream& Source)
{
    Load(Source, true);
}

bool TDmf::Load(TStream& Source, bool InfoOnly)
{
    TLockGuard guard(Lock);
    if (Loaded) {
        Clear();
    }

    // The stream and the record table belong to this load only, also when it ends in an error.
    std::vector<TSampleRecord> records;
    struct TLoadScope {
        TDmf& Song;  // the song being loaded
        ~TLoadScope()
        {
            Song.Stream = nullptr;
            Song.SampleRecords = nullptr;
        }
    } scope{*this};
    Stream = &Source;
    SampleRecords = &records;
    SampleInfoRead = false;

    // Both loads start from the empty song, so that a file that leaves parts
    // of it (a module without patterns plays its 128 empty rows) measures
    // the same length for its title as for its playing.
    ResetToEmptySong();

    TFieldReader in(Source);
    bool walking = true;
    while (walking && Source.Position() < Source.Size()) {
        // The size is the file's at open: a file cut short meanwhile (written
        // anew while it loads) reads nothing more, and the walk ends there
        // instead of reading zeros for ever.
        const int64_t blockStart = Source.Position();
        in.Bytes(BlockTag, 4);
        if (Source.Position() == blockStart) {
            break;
        }
        DebugLog("Reading Block, type: " + TagText(BlockTag));
        switch (BlockKind(BlockTag)) {
        case KindMessage:
            ReadMessage();
            break;
        case KindSequence:
            ReadSequence();
            break;
        case KindPatterns:
            ReadPatterns();
            break;
        case KindSampleInfo:
            ReadSampleInfo();
            break;
        case KindSampleData:
            walking = InfoOnly ? SkipSampleData() : ReadSampleData();
            break;
        case KindCuePoints:
            walking = InfoOnly ? SkipUnknownBlock() : ReadCuePoints();
            break;
        case KindHeader:
            ReadHeader();
            break;
        case KindEnd:
            Loaded = true;
            walking = false;
            break;
        default:
            walking = SkipUnknownBlock();
            break;
        }
    }

    MeasureLength(!InfoOnly);
    return Loaded;
}

void TDmf::ReadHeader()
{
    TFieldReader in(*Stream);
    in.Bytes(Header.data(), static_cast<int32_t>(Header.size()));
    Version = Header[HeaderVersion];
    TrackerName.assign(reinterpret_cast<const char*>(Header.data() + HeaderTracker), TrackerLength);
    SongName = ZeroEndedText(Header.data() + HeaderTitle, TitleLength);
    Composer = ZeroEndedText(Header.data() + HeaderComposer, ComposerLength);
}

bool TDmf::SkipUnknownBlock()
{
    TFieldReader in(*Stream);
    const int32_t length = in.I32();
    DebugLog("Unknown Block, length: " + HexVar(length));
    // A backward move could walk the same blocks for ever.
    if (length < 0) {
        return false;
    }
    in.Skip(length);
    return true;
}
