#include "host/HostSoundFile.h"

#include <sndfile.h>

#include <algorithm>
#include <bit>

namespace {

// The PCM handed over is the output's little-endian bytes, read as the
// library's native 16-bit values.
static_assert(std::endian::native == std::endian::little, "the output's PCM is little-endian");

int LibraryFormat(TSoundFormatKind Kind)
{
    switch (Kind) {
    case TSoundFormatKind::Wav:
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    case TSoundFormatKind::Flac:
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case TSoundFormatKind::Vorbis:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case TSoundFormatKind::Opus:
        return SF_FORMAT_OGG | SF_FORMAT_OPUS;
    case TSoundFormatKind::Mp3:
        return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    case TSoundFormatKind::Raw:
        break;
    }
    return 0;
}

}  // namespace

bool SoundFilesAvailable()
{
    return true;
}

TSoundFile::~TSoundFile()
{
    if (File) {
        sf_close(File);
    }
}

bool TSoundFile::Open(std::FILE* Stream, const TSoundFileSpec& Spec, std::string& Error)
{
    SF_INFO info{};
    info.samplerate = Spec.Rate;
    info.channels = 2;
    info.format = LibraryFormat(Spec.Format->Kind);
    if (info.format == 0 || !Stream) {
        Error = std::string("no encoder for ") + Spec.Format->Words;
        return false;
    }
    // Nothing went through the stream's buffer: the library writes to its descriptor.
    std::fflush(Stream);
    File = sf_open_fd(fileno(Stream), SFM_WRITE, &info, SF_FALSE);
    if (!File) {
        Error = sf_strerror(nullptr);
        return false;
    }
    WriteWide = Spec.Format->Kind == TSoundFormatKind::Mp3;
    if (IsLossy(*Spec.Format)) {
        // The library's quality runs 0..1, from the smallest file to the best sound.
        double quality = (Spec.Quality < 0 ? Spec.Format->DefaultQuality : Spec.Quality) / MaxQuality;
        if (WriteWide) {
            // LAME's scale (V9.999 .. V0) stops just short of the library's 0.
            quality = std::max(quality, 0.001);
        }
        if (!sf_command(File, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality)) {
            Error = "the encoder does not take the quality";
            return false;
        }
    }
    if (Spec.Format->Tags) {
        const std::pair<int, const std::string*> tags[] = {{SF_STR_TITLE, &Spec.Tags.Title},
                                                           {SF_STR_ARTIST, &Spec.Tags.Artist},
                                                           {SF_STR_COMMENT, &Spec.Tags.Comment},
                                                           {SF_STR_SOFTWARE, &Spec.Tags.Software}};
        for (const auto& [kind, text] : tags) {
            if (!text->empty() && sf_set_string(File, kind, text->c_str()) != 0) {
                Error = std::string("the tags cannot be written: ") + sf_strerror(File);
                return false;
            }
        }
    }
    return true;
}

bool TSoundFile::Write(const int16_t* Samples, int64_t Frames)
{
    if (!File) {
        return false;
    }
    if (!WriteWide) {
        return sf_writef_short(File, Samples, Frames) == Frames;
    }
    // The same values in the high half of 32 bits: the library takes them back to 16 exactly.
    Wide.resize(static_cast<size_t>(Frames) * 2);
    for (size_t i = 0; i < Wide.size(); ++i) {
        Wide[i] = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(Samples[i])) << 16);
    }
    return sf_writef_int(File, Wide.data(), Frames) == Frames;
}

bool TSoundFile::Finish(std::string& Error)
{
    if (!File) {
        Error = "nothing was written";
        return false;
    }
    const int result = sf_close(File);
    File = nullptr;
    if (result != 0) {
        Error = sf_error_number(result);
        return false;
    }
    return true;
}
