#include "host/HostInfo.h"

#include <algorithm>
#include <array>
#include <memory>

#include "host/HostColumns.h"
#include "host/HostFileCheck.h"
#include "host/HostText.h"
#include "platform/PlatformTerminal.h"
#include "player/DmfClockText.h"
#include "player/DmfSong.h"

namespace {

// A sample's record as the host shows it: lengths and loop points in frames.
THostSampleInfo SampleInfoOf(int Number, const TSample& Sample)
{
    static constexpr const char* StorageWords[] = {"raw", "packed", "MPEG"};
    static_assert(static_cast<size_t>(TSampleStorage::Mpeg) == std::size(StorageWords) - 1);
    const TSample::TDeclared& declared = Sample.Declared;
    THostSampleInfo info;
    info.Number = Number;
    info.Name = declared.Name;
    info.Bits = declared.Is16Bit ? 16 : 8;
    info.Channels = declared.Stereo ? 2 : 1;
    const int64_t frameBytes = info.Bits / 8 * info.Channels;
    // The loop ends at the length at the latest, as the full load makes it.
    const int64_t length = std::max<int64_t>(declared.Length, 0);
    info.Frames = length / frameBytes;
    info.Rate = declared.Rate;
    info.Looped = declared.Looped;
    info.LoopStart = declared.LoopStart / frameBytes;
    info.LoopEnd = std::min<int64_t>(declared.LoopEnd, length) / frameBytes;
    info.Storage = StorageWords[static_cast<size_t>(Sample.Storage)];
    return info;
}

// "1.234": seconds at the sample's rate, to the millisecond; empty without a rate.
std::string SampleSeconds(const THostSampleInfo& Sample)
{
    if (Sample.Rate <= 0) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(Sample.Frames) / Sample.Rate);
    return text;
}

std::string SampleAsJson(const THostSampleInfo& Sample)
{
    const std::string seconds = SampleSeconds(Sample);
    std::string json = "{\"number\":" + std::to_string(Sample.Number);
    json += ",\"name\":" + JsonString(Sample.Name);
    json += ",\"frames\":" + std::to_string(Sample.Frames);
    json += ",\"seconds\":" + (seconds.empty() ? std::string("null") : seconds);
    json += ",\"loop\":" + (Sample.Looped ? "{\"start\":" + std::to_string(Sample.LoopStart) +
                                                ",\"end\":" + std::to_string(Sample.LoopEnd) + "}"
                                          : std::string("null"));
    json += ",\"bits\":" + std::to_string(Sample.Bits);
    json += ",\"channels\":" + std::to_string(Sample.Channels);
    json += ",\"rate\":" + std::to_string(Sample.Rate);
    json += ",\"storage\":" + JsonString(Sample.Storage) + "}";
    return json;
}

}  // namespace

THostSongInfo ReadSongInfo(const std::string& Path)
{
    THostSongInfo info;
    info.File = Path;
    // The song object is large: keep it off the stack.
    auto song = std::make_unique<TDmf>();
    info.Error = LoadSongFile(*song, Path, true);
    info.Loaded = info.Error.empty();
    info.SongName = song->SongName;
    info.Composer = song->Composer;
    info.LengthMs = song->LengthMs;
    info.Patterns = song->PatternCount;
    for (int32_t p = 0; p < song->PatternCount; ++p) {
        info.Tracks = std::max(info.Tracks, song->GetPattern(p)->TrackCount);
    }
    info.Samples = song->SampleCount;
    info.Message = song->Message;
    for (int s = 1; s <= song->SampleCount; ++s) {
        info.SampleList.push_back(SampleInfoOf(s, *song->GetSample(s)));
    }
    return info;
}

std::string FormatLength(int32_t Milliseconds)
{
    char thousandths[8];
    std::snprintf(thousandths, sizeof thousandths, ".%03d", static_cast<int>(std::max(Milliseconds, 0) % 1000));
    return ClockText(Milliseconds) + thousandths;
}

std::string SongTitle(const THostSongInfo& Info)
{
    return Info.SongName + " - " + Info.Composer;
}

std::string InfoAsJson(const THostSongInfo& Info, bool Samples)
{
    std::string json = "{\"file\":" + JsonString(Info.File);
    json += ",\"loaded\":" + std::string(Info.Loaded ? "true" : "false");
    json += ",\"songname\":" + JsonString(Info.SongName);
    json += ",\"composer\":" + JsonString(Info.Composer);
    json += ",\"title\":" + JsonString(Info.Loaded ? SongTitle(Info) : "");
    // A file that is no module has no length (its load still measured one).
    json += ",\"length_ms\":" + (Info.Loaded ? std::to_string(Info.LengthMs) : std::string("null"));
    json += ",\"length\":" + (Info.Loaded ? JsonString(FormatLength(Info.LengthMs)) : std::string("null"));
    json += ",\"patterns\":" + std::to_string(Info.Patterns);
    json += ",\"tracks\":" + std::to_string(Info.Tracks);
    if (Samples) {
        json += ",\"samples\":[";
        for (const THostSampleInfo& sample : Info.SampleList) {
            if (sample.Number > 1) {
                json += ',';
            }
            json += SampleAsJson(sample);
        }
        json += ']';
    } else {
        json += ",\"samples\":" + std::to_string(Info.Samples);
    }
    json += ",\"message\":[";
    for (size_t i = 0; i < Info.Message.size(); ++i) {
        if (i) {
            json += ',';
        }
        json += JsonString(Info.Message[i]);
    }
    json += "],\"error\":" + (Info.Error.empty() ? std::string("null") : JsonString(Info.Error)) + "}";
    return json;
}

std::string SamplesAsText(const std::vector<THostSampleInfo>& Samples, int Columns)
{
    // Each column's heading and whether its entries stand to the right.
    struct TColumn {
        const char* Heading;
        bool Right;
    };
    constexpr TColumn columns[] = {{"#", true},         {"Name", false}, {"Frames", true},
                                   {"Seconds", true},   {"Loop", false}, {"Bits", true},
                                   {"Channels", false}, {"Rate", true},  {"Stored", false}};
    constexpr size_t count = std::size(columns);
    constexpr size_t nameColumn = 1;
    constexpr int Gap = 2;
    std::vector<std::array<std::string, count>> rows;
    for (const THostSampleInfo& sample : Samples) {
        const std::string seconds = SampleSeconds(sample);
        rows.push_back(
            {std::to_string(sample.Number), TerminalText(sample.Name), std::to_string(sample.Frames),
             seconds.empty() ? "-" : seconds,
             sample.Looped ? std::to_string(sample.LoopStart) + "-" + std::to_string(sample.LoopEnd) : "none",
             std::to_string(sample.Bits), sample.Channels == 2 ? "stereo" : "mono", std::to_string(sample.Rate),
             sample.Storage});
    }
    std::array<int, count> widths{};
    for (size_t c = 0; c < count; ++c) {
        widths[c] = TextColumns(columns[c].Heading);
        for (const auto& row : rows) {
            widths[c] = std::max(widths[c], TextColumns(row[c]));
        }
    }
    // The names give way when the table is wider than the terminal.
    int total = Gap;
    for (const int width : widths) {
        total += width + Gap;
    }
    total -= Gap;
    if (Columns > 0 && total > Columns) {
        widths[nameColumn] = std::max(TextColumns(columns[nameColumn].Heading), widths[nameColumn] - (total - Columns));
    }
    const auto line = [&](const std::array<std::string, count>& Cells) {
        std::string text(Gap, ' ');
        for (size_t c = 0; c < count; ++c) {
            const std::string cell = c == nameColumn ? ShortenToColumns(Cells[c], widths[c]) : Cells[c];
            const std::string padding(static_cast<size_t>(widths[c] - TextColumns(cell)), ' ');
            text += columns[c].Right ? padding + cell : cell + (c + 1 < count ? padding : "");
            text += c + 1 < count ? std::string(Gap, ' ') : "\n";
        }
        return text;
    };
    std::array<std::string, count> headings;
    for (size_t c = 0; c < count; ++c) {
        headings[c] = columns[c].Heading;
    }
    std::string text = line(headings);
    for (const auto& row : rows) {
        text += line(row);
    }
    return text;
}

std::string InfoAsText(const THostSongInfo& Info, bool Samples, int Columns)
{
    std::string text = "File:     " + TerminalPath(Info.File) + "\n";
    text += "Title:    " + TerminalText(Info.SongName) + "\n";
    text += "Composer: " + TerminalText(Info.Composer) + "\n";
    text += "Length:   " + FormatLength(Info.LengthMs) + "\n";
    text += "Patterns: " + std::to_string(Info.Patterns) + "  Tracks: " + std::to_string(Info.Tracks) +
            "  Samples: " + std::to_string(Info.Samples) + "\n";
    if (!Info.Message.empty()) {
        text += "Message:\n";
        for (const std::string& line : Info.Message) {
            text += "  " + TerminalText(WithoutPadding(line)) + "\n";
        }
    }
    if (Samples && !Info.SampleList.empty()) {
        text += "Samples:\n" + SamplesAsText(Info.SampleList, Columns);
    }
    return text;
}

int RunInfoCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err)
{
    THostArgs args;
    int status = 0;
    if (!ReadCommandArgs(InfoCommand, Args, args, Out, Err, status)) {
        return status;
    }
    const bool json = args.Has("--json");
    const bool samples = args.Has("--samples");
    // The samples' table fits a terminal; elsewhere nothing is cut.
    const int columns = PlatformIsTerminal(Out) ? TerminalWidth(Out) : 0;
    const std::vector<std::string>& files = args.Operands;
    bool printed = false;
    for (const std::string& file : files) {
        const THostSongInfo info = ReadSongInfo(file);
        if (!info.Loaded) {
            ReportRefusedFile(Err, file, info.Error);
            status = 1;
            if (!json) {
                continue;
            }
        }
        std::string text = json ? InfoAsJson(info, samples) + "\n" : InfoAsText(info, samples, columns);
        if (!json && printed) {
            text.insert(0, 1, '\n');  // a blank line between files
        }
        std::fwrite(text.data(), 1, text.size(), Out);
        std::fflush(Out);
        printed = true;
    }
    return status;
}

namespace {

constexpr THostOption InfoOptions[] = {
    {"--json", 0, nullptr, "one JSON object per file and line"},
    {"--samples", 0, nullptr,
     "also list the samples: name, length, loop, bits, channels, rate and how each is stored (with --json, "
     "\"samples\" is their list)"},
};

}  // namespace

const THostCommand InfoCommand = {
    .Name = "info",
    .Operands = "FILE...",
    .Summary = "title, composer, length, counts, message and samples of modules",
    .About = "Shows the title, composer, length, pattern, track and sample counts and the message of each module, "
             "and with --samples each sample as the module declares it: number, name, length in frames and in "
             "seconds at its rate, loop start and end in frames (or none), 8 or 16 bits, mono or stereo, its rate "
             "and how it is stored (raw, packed or MPEG). "
             "A file that is not a module is reported on standard error (with --json it also gets an object with "
             "\"loaded\": false, null lengths and the error) and the others are still shown.",
    .Options = InfoOptions,
    .MoreHelp = nullptr,
    .Run = &RunInfoCommand,
};
