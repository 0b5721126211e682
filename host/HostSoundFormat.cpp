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

// The sampling rates of MPEG audio (MP3, with its low-rate extensions), and
// of Opus.
constexpr int32_t Mp3Rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr int32_t OpusRates[] = {8000, 12000, 16000, 24000, OpusRate};

std::span<const int32_t> RatesOf(const TSoundFormat& Format)
{
    switch (Format.Kind) {
    case TSoundFormatKind::Mp3:
        return Mp3Rates;
    case TSoundFormatKind::Opus:
        return OpusRates;
    default:
        return {};
    }
}

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

bool FormatTakesRate(const TSoundFormat& Format, int32_t Rate)
{
    const std::span<const int32_t> rates = RatesOf(Format);
    return rates.empty() || std::find(rates.begin(), rates.end(), Rate) != rates.end();
}

std::string FormatRateList(const TSoundFormat& Format)
{
    const std::span<const int32_t> rates = RatesOf(Format);
    if (rates.empty()) {
        return "any";
    }
    std::string list;
    for (size_t i = 0; i < rates.size(); ++i) {
        list += (i == 0 ? "" : i + 1 == rates.size() ? " or " : ", ") + std::to_string(rates[i]);
    }
    return list;
}
