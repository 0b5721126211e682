#include "plugin/ExtendedFileInfo.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "player/DmfClockText.h"
#include "player/DmfOutputFormat.h"
#include "player/DmfSong.h"
#include "plugin/DataModule.h"
#include "plugin/HostFileName.h"
#include "plugin/PluginIdentity.h"
#include "plugin/SongFieldCache.h"

namespace {

// Between the lines of a text the host shows in a window.
constexpr char LineEnd[] = "\r\n";

bool SameField(const char* Field, std::string_view Name)
{
    const std::string_view field(Field);
    return std::equal(field.begin(), field.end(), Name.begin(), Name.end(), [](char Asked, char Known) {
        return (Asked >= 'A' && Asked <= 'Z' ? static_cast<char>(Asked - 'A' + 'a') : Asked) == Known;
    });
}

// Without the blanks the format pads its texts with.
std::string TrimmedRight(const std::string& Text)
{
    const size_t end = Text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : Text.substr(0, end + 1);
}

// The message's 40-column lines without their padding; no empty lines at its end.
std::string MessageText(const TDmf& Song)
{
    std::string text;
    for (size_t i = 0; i < Song.Message.size(); ++i) {
        if (i > 0) {
            text += LineEnd;
        }
        text += TrimmedRight(Song.Message[i]);
    }
    const size_t end = text.find_last_not_of(LineEnd);
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// The program that wrote the file, as far as its 8 header characters spell one.
std::string TrackerText(const TDmf& Song)
{
    std::string name;
    for (const char c : Song.TrackerName) {
        if (c == '\0') {
            break;
        }
        if (c >= ' ' && c < 0x7F) {
            name += c;
        }
    }
    return TrimmedRight(name);
}

std::string LengthText(int32_t Ms)
{
    return ClockText(Ms) + " (" + std::to_string(Ms) + " ms)";
}

// How the samples are stored, e.g. "3 (2 raw, 1 MPEG)".
std::string SamplesText(const TDmf& Song)
{
    std::array<int, 3> counts{};
    for (int s = 1; s <= Song.SampleCount; ++s) {
        if (const TSample* sample = Song.Samples[static_cast<size_t>(s)].get()) {
            ++counts[static_cast<size_t>(sample->Storage)];
        }
    }
    static constexpr const char* Kinds[] = {"raw", "packed", "MPEG"};
    static_assert(static_cast<size_t>(TSampleStorage::Mpeg) == std::size(Kinds) - 1);
    std::string text = std::to_string(Song.SampleCount);
    std::string kinds;
    for (size_t k = 0; k < counts.size(); ++k) {
        if (counts[k] > 0) {
            kinds += (kinds.empty() ? "" : ", ") + std::to_string(counts[k]) + " " + Kinds[k];
        }
    }
    return kinds.empty() ? text : text + " (" + kinds + ")";
}

std::string FormatInformation(const TDmf& Song)
{
    int32_t tracks = 0;
    for (int32_t p = 0; p < Song.PatternCount; ++p) {
        if (const TPattern* pattern = Song.Patterns[static_cast<size_t>(p)].get()) {
            tracks = std::max(tracks, pattern->TrackCount);
        }
    }
    const std::string tracker = TrackerText(Song);
    std::string text = std::string("Format: ") + ModuleFamily + ", version " + std::to_string(Song.Version);
    if (!tracker.empty()) {
        text += ", written with " + tracker;
    }
    text += LineEnd + std::string("Patterns: ") + std::to_string(Song.PatternCount);
    text += LineEnd + std::string("Tracks: ") + std::to_string(tracks);
    text += LineEnd + std::string("Samples: ") + SamplesText(Song);
    text += LineEnd + std::string("Length: ") + LengthText(Song.LengthMs);
    return text;
}

struct TSongField {
    const char* Name;
    std::string (*Value)(const TDmf& Song);
};

// The fields a song's information load answers; any other but type and family is unknown.
const TSongField SongFields[] = {
    {"title", [](const TDmf& Song) { return TrimmedRight(Song.SongName); }},
    {"artist", [](const TDmf& Song) { return TrimmedRight(Song.Composer); }},
    {"composer", [](const TDmf& Song) { return TrimmedRight(Song.Composer); }},
    {"comment", MessageText},
    // The same milliseconds as GetFileInfo and GetLength.
    {"length", [](const TDmf& Song) { return std::to_string(Song.LengthMs); }},
    {"formatinformation", FormatInformation},
};
// The kept values end with one saying whether the file holds a module at all.
constexpr size_t LoadedEntry = std::size(SongFields);

struct TOutputField {
    const char* Name;
    std::string (*Value)(int32_t Rate);
};

// The fields of the PCM a module plays as: at the rate in force when asked
// (the settings may change between two questions), for any file that holds one.
const TOutputField OutputFields[] = {
    {"bitrate", [](int32_t Rate) { return std::to_string(OutputKbpsAt(Rate)); }},
    {"samplerate", [](int32_t Rate) { return std::to_string(Rate); }},
};

template <class TField, size_t Count> const TField* FieldNamed(const TField (&Fields)[Count], const char* Name)
{
    const auto field = std::find_if(std::begin(Fields), std::end(Fields),
                                    [&](const TField& Known) { return SameField(Name, Known.Name); });
    return field == std::end(Fields) ? nullptr : field;
}

template <class TChar> std::string FieldText(const TChar* Name, const char* Field)
{
    if (!Name || !Field) {
        return {};
    }
    // As Winamp's own module plug-in answers them: from the name, for any file it would play.
    const bool ours = HasOurExtension(std::basic_string_view<TChar>(Name));
    if (SameField(Field, "type")) {
        return ours ? "0" : "";  // audio
    }
    if (SameField(Field, "family")) {
        return ours ? ModuleFamily : "";
    }
    const TSongField* songField = FieldNamed(SongFields, Field);
    const TOutputField* outputField = FieldNamed(OutputFields, Field);
    if (!songField && !outputField) {
        return {};
    }
    std::unique_ptr<TFileStream> file;
    try {
        file = OpenHostFile(Name);
    } catch (const EFileOpenError&) {
        return {};
    }
    // Every field of the file at once, for the questions that follow.
    static TSongFieldCache<TChar> cache;
    const auto values = cache.Get({Name, file->Size(), file->WriteTime()}, [&] {
        // A song of its own, off the stack (it is large), dropped when done.
        auto song = std::make_unique<TDmf>();
        song->LoadInfoFromStream(*file);
        std::vector<std::string> texts;
        for (const TSongField& known : SongFields) {
            texts.push_back(song->Loaded ? known.Value(*song) : std::string());
        }
        texts.push_back(song->Loaded ? "1" : "");
        return texts;
    });
    if (outputField) {
        return (*values)[LoadedEntry].empty() ? std::string() : outputField->Value(PluginSoundSettings().Rate);
    }
    return (*values)[static_cast<size_t>(songField - std::begin(SongFields))];
}

}  // namespace

std::string ExtendedFieldText(const char* Name, const char* Field)
{
    return FieldText(Name, Field);
}

std::string ExtendedFieldText(const wchar_t* Name, const char* Field)
{
    return FieldText(Name, Field);
}
