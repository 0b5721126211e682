#include "host/HostSoundFormat.h"

#include <algorithm>
#include <cctype>

#include "host/HostText.h"
#include "platform/PlatformPath.h"

namespace {

// Most PCM bytes a WAV file can describe (its sizes are 32-bit), whole frames.
constexpr uint64_t WavMaxDataBytes = (0xFFFFFFFFull - 36) & ~3ull;
// The only rate an Opus stream carries (in the encoder library's choice of
// rates, the one for music).
constexpr int32_t OpusRate = 48000;

// Quality defaults, each about 150 to 200 kbit/s on the example song: Vorbis
// 5, Opus 3, MP3 8 (LAME's V2, its choice for transparent music).
constexpr TSoundFormat Formats[] = {
    {TSoundFormatKind::Raw, "raw", ".pcm", ".raw", "raw PCM", -1, 0, false, true, 0},
    {TSoundFormatKind::Wav, "wav", ".wav", nullptr, "WAV", -1, 0, false, false, WavMaxDataBytes},
    {TSoundFormatKind::Flac, "flac", ".flac", nullptr, "FLAC", -1, 0, true, true, 0},
    {TSoundFormatKind::Vorbis, "ogg", ".ogg", ".oga", "Ogg Vorbis", 5, 0, true, true, 0},
    {TSoundFormatKind::Opus, "opus", ".opus", nullptr, "Ogg Opus", 3, OpusRate, true, true, 0},
    {TSoundFormatKind::Mp3, "mp3", ".mp3", nullptr, "MP3", 8, 0, true, true, 0},
};

std::string Lower(std::string Text)
{
    std::transform(Text.begin(), Text.end(), Text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return Text;
}

}  // namespace

std::span<const TSoundFormat> SoundFormats()
{
    return Formats;
}

const TSoundFormat& RawFormat()
{
    return Formats[0];
}

const TSoundFormat& WavFormat()
{
    return Formats[1];
}

const TSoundFormat* FormatNamed(const std::string& Name)
{
    const std::string name = Lower(Name);
    for (const TSoundFormat& format : Formats) {
        if (name == format.Name) {
            return &format;
        }
    }
    return nullptr;
}

const TSoundFormat* FormatOfPath(const std::string& Path)
{
    const std::string name = PlatformFileName(Path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) {
        return nullptr;
    }
    const std::string extension = Lower(name.substr(dot));
    for (const TSoundFormat& format : Formats) {
        if (extension == format.Extension || (format.OtherExtension && extension == format.OtherExtension)) {
            return &format;
        }
    }
    return nullptr;
}

std::string FormatNameList()
{
    return NameList(Formats);
}

bool IsLossy(const TSoundFormat& Format)
{
    return Format.DefaultQuality >= 0;
}
