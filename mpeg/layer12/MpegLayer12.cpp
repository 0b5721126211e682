#include "mpeg/layer12/MpegLayer12.h"

#include <algorithm>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer12/MpegSubbandLayer1.h"
#include "mpeg/layer12/MpegSubbandLayer2.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

namespace {

enum class TSubbandKind { Plain, Stereo, Intensity };

std::unique_ptr<TSubband> MakeSubband(int Layer, TSubbandKind Kind, int Number)
{
    if (Layer == 1) {
        if (Kind == TSubbandKind::Stereo) {
            return std::make_unique<TSubbandLayer1Stereo>(Number);
        }
        if (Kind == TSubbandKind::Intensity) {
            return std::make_unique<TSubbandLayer1IntensityStereo>(Number);
        }
        return std::make_unique<TSubbandLayer1>(Number);
    }
    if (Kind == TSubbandKind::Stereo) {
        return std::make_unique<TSubbandLayer2Stereo>(Number);
    }
    if (Kind == TSubbandKind::Intensity) {
        return std::make_unique<TSubbandLayer2IntensityStereo>(Number);
    }
    return std::make_unique<TSubbandLayer2>(Number);
}

// Makes objects for Pool positions From..To-1; answers the new count.
int32_t GrowPool(std::array<std::unique_ptr<TSubband>, TLayer12Decoder::MaxSubbands>& Pool, int32_t Count, int32_t To,
                 int Layer, TSubbandKind Kind)
{
    To = std::clamp(To, 0, TLayer12Decoder::MaxSubbands);
    for (int32_t i = Count; i < To; ++i) {
        Pool[static_cast<size_t>(i)] = MakeSubband(Layer, Kind, i);
    }
    return std::max(Count, To);
}

// Granules read before their blocks go to the filters: a whole run of blocks.
int RunGranules(int Layer)
{
    return Layer == 1 ? TSubbandRun::Blocks : TSubbandRun::Blocks / TSubbandLayer2::SamplesPerGranule;
}

}  // namespace

TLayer12Decoder::TLayer12Decoder(const TLayerLinks& Links, int Layer, TCrc16* Crc)
    : Layer(Layer == 1 ? 1 : 2), Links(Links), Crc(Crc)
{
}

TLayer12Decoder::~TLayer12Decoder() = default;

void TLayer12Decoder::FreeSubbands()
{
    Subbands.fill(nullptr);
    for (auto& subband : StereoSubbands) {
        subband.reset();
    }
    for (auto& subband : IntensitySubbands) {
        subband.reset();
    }
    SubbandCount = 0;
    StereoSubbandCount = 0;
    IntensitySubbandCount = 0;
}

void TLayer12Decoder::PrepareSubbands()
{
    const THeader& header = *Links.Header;
    if (header.Mode != SubbandMode) {
        FreeSubbands();
        SubbandMode = header.Mode;
    }
    const int32_t n = std::clamp(header.NumberOfSubbands, 0, MaxSubbands);
    if (header.Mode == THeader::ModeJointStereo) {
        const int32_t bound = std::clamp(header.IntensityStereoBound, 0, n);
        StereoSubbandCount = GrowPool(StereoSubbands, StereoSubbandCount, bound, Layer, TSubbandKind::Stereo);
        IntensitySubbandCount =
            GrowPool(IntensitySubbands, IntensitySubbandCount, n - bound, Layer, TSubbandKind::Intensity);
        for (int32_t i = 0; i < bound; ++i) {
            Subbands[static_cast<size_t>(i)] = StereoSubbands[static_cast<size_t>(i)].get();
        }
        for (int32_t i = bound; i < n; ++i) {
            Subbands[static_cast<size_t>(i)] = IntensitySubbands[static_cast<size_t>(i - bound)].get();
        }
    } else {
        const TSubbandKind kind = header.SingleChannel() ? TSubbandKind::Plain : TSubbandKind::Stereo;
        StereoSubbandCount = GrowPool(StereoSubbands, StereoSubbandCount, n, Layer, kind);
        for (int32_t i = 0; i < n; ++i) {
            Subbands[static_cast<size_t>(i)] = StereoSubbands[static_cast<size_t>(i)].get();
        }
    }
    SubbandCount = n;
}

void TLayer12Decoder::DecodeFrame()
{
    PrepareSubbands();
    TBitStream& stream = *Links.Stream;
    const THeader& header = *Links.Header;
    const int32_t n = SubbandCount;
    if (n <= 0) {
        return;
    }
    TSubband* const* subbands = Subbands.data();
    for (int32_t i = 0; i < n; ++i) {
        subbands[i]->Reset(i);
    }
    for (int32_t i = 0; i < n; ++i) {
        subbands[i]->ReadAllocation(stream, header, Crc);
    }
    if (Layer == 2) {
        for (int32_t i = 0; i < n; ++i) {
            subbands[i]->ReadScaleFactorSelection(stream, Crc);
        }
    }
    for (int32_t i = 0; i < n; ++i) {
        subbands[i]->ReadScaleFactor(stream, header);
    }

    const bool twoChannels = Links.Channels == ChannelsBoth && !header.SingleChannel() && Links.FilterRight;
    const uint8_t channels = twoChannels ? ChannelsBoth : ChannelsLeft;
    // Subbands above the frame's last are silent in every block.
    const int uncoded = TSubbandRun::Index(n, 0);
    std::fill(Run.Left + uncoded, std::end(Run.Left), 0.0f);
    std::fill(Run.Right + uncoded, std::end(Run.Right), 0.0f);
    const int granuleBlocks = Layer == 1 ? 1 : TSubbandLayer2::SamplesPerGranule;
    const int runGranules = RunGranules(Layer);
    bool frameDone = false;
    while (!frameDone) {
        // A run of granules, subband after subband in each, then their blocks at once.
        int blocks = 0;
        for (int granule = 0; granule < runGranules && !frameDone; ++granule, blocks += granuleBlocks) {
            for (int32_t i = 0; i < n; ++i) {
                frameDone = subbands[i]->ReadGranule(stream, channels, Run, blocks);
            }
        }
        Links.FilterLeft->SynthesizeBlocks(Run.Left, TSubbandRun::Stride, blocks, *Links.Output);
        if (twoChannels) {
            Links.FilterRight->SynthesizeBlocks(Run.Right, TSubbandRun::Stride, blocks, *Links.Output);
        }
    }
}
