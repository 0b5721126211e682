#include "mpeg/MpegFrontEnd.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "mpeg/MpegAllocator.h"
#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "mpeg/layer12/MpegSubbandLayer1.h"
#include "mpeg/layer12/MpegSubbandLayer2.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"
#include "mpeg/frame/MpegTables.h"

namespace {

constexpr int32_t StallFrames = 30;  // frames from the start that may give no PCM in one read
constexpr int32_t TagBytes = 128;
constexpr int32_t TagSearchBack = 131;
constexpr int32_t TagSearchBytes = 257;
constexpr int32_t TagStarts = 128;

// Upper case for the tag search: ASCII letters and the Latin-1 umlauts.
uint8_t TagUpper(uint8_t C)
{
    if (C >= 'a' && C <= 'z') return uint8_t(C - 'a' + 'A');
    if (C == 0xE4 || C == 0xF6 || C == 0xFC) return uint8_t(C - 0x20);
    return C;
}

bool SameNameIgnoringCase(const char* A, const char* B)
{
    for (; *A && *B; ++A, ++B)
        if (TagUpper(uint8_t(*A)) != TagUpper(uint8_t(*B))) return false;
    return *A == *B;
}

enum class TSubbandKind { Plain, Stereo, Intensity };

std::unique_ptr<TSubband> MakeSubband(int Layer, TSubbandKind Kind, int Number)
{
    if (Layer == 1) {
        if (Kind == TSubbandKind::Stereo) return std::make_unique<TSubbandLayer1Stereo>(Number);
        if (Kind == TSubbandKind::Intensity) return std::make_unique<TSubbandLayer1IntensityStereo>(Number);
        return std::make_unique<TSubbandLayer1>(Number);
    }
    if (Kind == TSubbandKind::Stereo) return std::make_unique<TSubbandLayer2Stereo>(Number);
    if (Kind == TSubbandKind::Intensity) return std::make_unique<TSubbandLayer2IntensityStereo>(Number);
    return std::make_unique<TSubbandLayer2>(Number);
}

// Makes objects for Pool positions From..To-1; answers the new count.
int32_t GrowPool(std::array<std::unique_ptr<TSubband>, MaxSubbands>& Pool, int32_t Count, int32_t To, int Layer,
                 TSubbandKind Kind)
{
    To = std::clamp(To, 0, MaxSubbands);
    for (int32_t I = Count; I < To; ++I) Pool[size_t(I)] = MakeSubband(Layer, Kind, I);
    return std::max(Count, To);
}

// A play time truncated toward zero; a block near 2 GB of the slowest streams
// would pass the 32-bit range, which saturates instead.
int32_t WholeMilliseconds(float Ms)
{
    if (!(Ms > 0.0f)) return 0;
    if (Ms >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    return int32_t(Ms);
}

void FreeSubbands(TMpegHandle& H)
{
    H.Subbands.fill(nullptr);
    for (auto& Subband : H.StereoSubbands) Subband.reset();
    for (auto& Subband : H.IntensitySubbands) Subband.reset();
    H.SubbandCount = 0;
    H.StereoSubbandCount = 0;
    H.IntensitySubbandCount = 0;
}

void MakeLayer3(TMpegHandle& H)
{
    H.Layer3 = std::make_unique<TLayer3Decoder>(H.Stream.get(), H.Header.get(), H.FilterLeft.get(),
                                                H.FilterRight.get(), H.Output.get(), H.Channels);
}

// Brings the subband objects in line with the current frame and lists them in Subbands.
void PrepareSubbands(TMpegHandle& H)
{
    const THeader& Header = *H.Header;
    if (Header.Mode != H.SubbandMode) {
        FreeSubbands(H);
        H.SubbandMode = Header.Mode;
    }
    const int32_t N = std::clamp(Header.NumberOfSubbands, 0, MaxSubbands);
    const int Layer = H.CurrentLayer;
    if (Header.Mode == THeader::ModeJointStereo) {
        const int32_t Bound = std::clamp(Header.IntensityStereoBound, 0, N);
        H.StereoSubbandCount = GrowPool(H.StereoSubbands, H.StereoSubbandCount, Bound, Layer, TSubbandKind::Stereo);
        H.IntensitySubbandCount =
            GrowPool(H.IntensitySubbands, H.IntensitySubbandCount, N - Bound, Layer, TSubbandKind::Intensity);
        for (int32_t I = 0; I < Bound; ++I) H.Subbands[size_t(I)] = H.StereoSubbands[size_t(I)].get();
        for (int32_t I = Bound; I < N; ++I) H.Subbands[size_t(I)] = H.IntensitySubbands[size_t(I - Bound)].get();
    } else {
        const TSubbandKind Kind = Header.SingleChannel() ? TSubbandKind::Plain : TSubbandKind::Stereo;
        H.StereoSubbandCount = GrowPool(H.StereoSubbands, H.StereoSubbandCount, N, Layer, Kind);
        for (int32_t I = 0; I < N; ++I) H.Subbands[size_t(I)] = H.StereoSubbands[size_t(I)].get();
    }
    H.SubbandCount = N;
}

void DecodeSubbandFrame(TMpegHandle& H)
{
    PrepareSubbands(H);
    TBitStream& Stream = *H.Stream;
    const THeader& Header = *H.Header;
    const int32_t N = H.SubbandCount;
    if (N <= 0) return;
    TSubband* const* Subbands = H.Subbands.data();
    for (int32_t I = 0; I < N; ++I) Subbands[I]->Reset(I);
    for (int32_t I = 0; I < N; ++I) Subbands[I]->ReadAllocation(Stream, Header, H.Crc);
    if (H.CurrentLayer == 2)
        for (int32_t I = 0; I < N; ++I) Subbands[I]->ReadScaleFactorSelection(Stream, H.Crc);
    for (int32_t I = 0; I < N; ++I) Subbands[I]->ReadScaleFactor(Stream, Header);

    const bool TwoChannels = H.Channels == ChannelsBoth && !Header.SingleChannel() && H.FilterRight;
    TSynthesisFilter* Left = H.FilterLeft.get();
    TSynthesisFilter* Right = TwoChannels ? H.FilterRight.get() : nullptr;
    const uint8_t Channels = TwoChannels ? ChannelsBoth : ChannelsLeft;
    bool FrameDone = false;
    while (!FrameDone) {
        for (int32_t I = 0; I < N; ++I) FrameDone = Subbands[I]->ReadSampleData(Stream);
        bool GroupDone = false;
        while (!GroupDone) {
            for (int32_t I = 0; I < N; ++I) GroupDone = Subbands[I]->PutNextSample(Channels, Left, Right);
            Left->CalculatePcmSamples(*H.Output);
            if (Right) Right->CalculatePcmSamples(*H.Output);
        }
    }
}

}  // namespace

TMpegHandle::TMpegHandle(TMMAllocator* Allocator) : Allocator(Allocator) {}

TMpegHandle::~TMpegHandle() = default;

TMpegHandle* MpegCreateFailure()
{
    return reinterpret_cast<TMpegHandle*>(intptr_t(MpegCreateFailed));
}

bool IsMpegHandle(const TMpegHandle* Handle)
{
    return Handle && Handle != MpegCreateFailure();
}

TMpegHandle* MpegCreate(TMpegNotify Notify, int32_t NotifyData)
{
    return MpegCreate(MMAllocator(), Notify, NotifyData);
}

TMpegHandle* MpegCreate(TMMAllocator& Allocator, TMpegNotify Notify, int32_t NotifyData)
{
    void* Block = nullptr;
    try {
        Block = Allocator.Alloc(TMMAllocator::FlagMoveable | TMMAllocator::FlagZeroInit, sizeof(TMpegHandle));
        if (!Block) return MpegCreateFailure();
        TMpegHandle* Handle = new (Block) TMpegHandle(&Allocator);
        Handle->Notify = Notify;
        Handle->NotifyData = NotifyData;
        return Handle;
    } catch (...) {
        try {
            Allocator.Release(Block);
        } catch (...) {
        }
        return MpegCreateFailure();
    }
}

int32_t MpegOpen(TMpegHandle* Handle, const char* Name, const void* Memory, int32_t Size)
{
    if (!IsMpegHandle(Handle)) return MpegNoHandle;
    TMpegHandle& H = *Handle;
    try {
        TLockGuard Guard(H.Lock);
        if (!Name) Name = "";
        if (SameNameIgnoringCase(Name, H.SourceName)) return MpegOk;
        if (!*Name) {
            MpegClose(Handle);
            if (H.Notify) H.Notify(Handle, H.NotifyData);
            return MpegOk;
        }
        auto Stream = std::make_unique<TBitStream>(static_cast<const uint8_t*>(Memory), Size);
        auto Header = std::make_unique<THeader>();
        if (!Header->ReadHeader(*Stream, nullptr)) return MpegNoHeader;
        const bool VbrHeader = Header->VbrHeader;
        if (!Header->SeekToFrame(*Stream, 0)) return MpegNoHeader;

        MpegClose(Handle);
        H.FromMemory = true;
        H.Stream = std::move(Stream);
        H.Header = std::move(Header);
        std::strncpy(H.SourceName, Name, SourceNameSize - 1);
        H.SourceName[SourceNameSize - 1] = 0;
        // The estimate runs one short for short streams (a single frame gives 0), yet
        // the first frame has just been read: there is at least that one.
        H.TotalFrames =
            std::max((H.Header->MaxNumberOfFrames(*H.Stream) + H.Header->MinNumberOfFrames(*H.Stream)) / 2, 1);
        H.VbrHeader = VbrHeader;
        H.Channels = H.Header->SingleChannel() ? ChannelsLeft : H.PreferredChannels;
        if (H.Notify) H.Notify(Handle, H.NotifyData);
        return MpegOk;
    } catch (...) {
        return MpegNoHeader;
    }
}

int32_t MpegStart(TMpegHandle* Handle)
{
    if (!IsMpegHandle(Handle)) return MpegNoHandle;
    TMpegHandle& H = *Handle;
    if (H.TotalFrames <= 0 || H.Started || !H.Header || !H.Stream) return MpegCannotStart;
    try {
        H.FilterLeft = std::make_unique<TSynthesisFilter>(0, H.ScaleFactor);
        if (!H.Header->SingleChannel() && H.Channels == ChannelsBoth) {
            H.FilterRight = std::make_unique<TSynthesisFilter>(1, H.ScaleFactor);
            H.Output = std::make_unique<TBuffer>(2);
        } else {
            H.FilterRight.reset();
            H.Output = std::make_unique<TBuffer>(1);
        }
        if (H.Header->Layer == 3) MakeLayer3(H);
        H.CurrentLayer = H.Header->Layer;
        FreeSubbands(H);
        H.SubbandMode = -1;
        H.EndOfStream = false;
        H.Started = true;
        if (MpegSeek(Handle, H.SeekFrame) == MpegOk) return MpegOk;
    } catch (...) {
    }
    MpegStop(Handle);
    return MpegBuildFailed;
}

int32_t MpegSeek(TMpegHandle* Handle, int32_t Frame)
{
    if (!IsMpegHandle(Handle)) return MpegNoHandle;
    TMpegHandle& H = *Handle;
    try {
        TLockGuard Guard(H.Lock);
        H.SeekFrame = std::clamp(Frame, 0, std::max(H.TotalFrames - 1, 0));
        if (!H.Started) return MpegOk;
        H.Output->Clear();
        if (!H.Header->SeekToFrame(*H.Stream, H.SeekFrame)) return MpegSeekFailed;
        if (H.Layer3) {
            H.Layer3->Reset();
        } else {
            H.FilterLeft->Reset();
            if (H.FilterRight) H.FilterRight->Reset();
        }
        // The target frame's header has just been read, so there is a frame to
        // decode, whatever the frame-count estimate says.
        H.EndOfStream = false;
        return MpegOk;
    } catch (...) {
        return MpegSeekFailed;
    }
}

int32_t MpegDecodeFrame(TMpegHandle* Handle)
{
    if (!IsMpegHandle(Handle)) return MpegNoHandle;
    TMpegHandle& H = *Handle;
    try {
        if (!H.Started) return MpegDecodeFailed;
        const int32_t Layer = H.Header->Layer;
        if (Layer != H.CurrentLayer) {
            if (Layer == 3) MakeLayer3(H);
            else H.Layer3.reset();
            H.CurrentLayer = Layer;
            FreeSubbands(H);
        }
        if (Layer == 3) {
            if (!H.Layer3) return MpegDecodeFailed;
            H.Layer3->DecodeFrame();
        } else {
            DecodeSubbandFrame(H);
        }
        return MpegOk;
    } catch (...) {
        return MpegDecodeFailed;
    }
}

int32_t MpegRead(TMpegHandle* Handle, void* Dest, int32_t Size)
{
    if (!IsMpegHandle(Handle)) return MpegNoHandle;
    TMpegHandle& H = *Handle;
    try {
        TLockGuard Guard(H.Lock);
        H.AbortRequested = false;
        int32_t Copied = 0;
        int32_t Decoded = 0;
        if (!H.Started || !Dest) return 0;
        uint8_t* Target = static_cast<uint8_t*>(Dest);
        while (Size > 0 && H.Started && !H.AbortRequested) {
            const int32_t Got = H.Output->Read(Target + Copied, Size);
            Copied += Got;
            Size -= Got;
            if (H.EndOfStream) {
                // A read at the very end answers a short block of silence, never nothing.
                if (Copied == 0) {
                    Copied = std::min(Size, 4);
                    std::memset(Target, 0, size_t(Copied));
                }
                return Copied;
            }
            if (Size <= 0) break;
            do {
                if (++Decoded > StallFrames && H.SeekFrame == 0 && Copied == 0 && H.Output->BytesHeld() == 0)
                    return MpegDecodeFailed;
                if (MpegDecodeFrame(Handle) != MpegOk) return MpegDecodeFailed;
                H.EndOfStream = !H.Header->ReadHeader(*H.Stream, nullptr);
            } while (H.Output->BytesHeld() < Size && H.Output->BytesHeld() < TBuffer::Capacity && !H.EndOfStream &&
                     !H.AbortRequested);
        }
        return Copied;
    } catch (...) {
        return MpegDecodeFailed;
    }
}

int32_t MpegStop(TMpegHandle* Handle)
{
    if (!IsMpegHandle(Handle)) return MpegNoHandle;
    TMpegHandle& H = *Handle;
    if (!H.Started) return MpegOk;
    try {
        TLockGuard Guard(H.Lock);
        H.Layer3.reset();
        H.FilterLeft.reset();
        H.FilterRight.reset();
        H.Output.reset();
        FreeSubbands(H);
        H.SeekFrame = 0;
        H.Started = false;
        return MpegOk;
    } catch (...) {
        return MpegStopFailed;
    }
}

int32_t MpegClose(TMpegHandle* Handle)
{
    if (!IsMpegHandle(Handle)) return MpegNoHandle;
    TMpegHandle& H = *Handle;
    try {
        TLockGuard Guard(H.Lock);
        MpegStop(Handle);
        H.SourceName[0] = 0;
        H.FromMemory = false;
        H.VbrHeader = false;
        H.TotalFrames = 0;
        H.SeekFrame = 0;
        H.TotalMs = 0;
        H.Stream.reset();
        H.Header.reset();
        return MpegOk;
    } catch (...) {
        return MpegStopFailed;
    }
}

int32_t MpegFree(TMpegHandle*& Handle)
{
    if (!IsMpegHandle(Handle)) return MpegNoHandle;
    Handle->Notify = nullptr;
    MpegStop(Handle);
    MpegClose(Handle);
    TMMAllocator* Allocator = Handle->Allocator;
    Handle->~TMpegHandle();
    void* Block = Handle;
    Handle = nullptr;
    try {
        Allocator->Release(Block);
    } catch (...) {
        // The block stays in use; the handle itself is gone either way.
    }
    return MpegOk;
}

int32_t MpegGetInfo(TMpegHandle* Handle, TMpegInfo& Info)
{
    if (!IsMpegHandle(Handle)) return MpegNoHandle;
    TMpegHandle& H = *Handle;
    if (H.TotalFrames <= 0 || !H.Header || !H.Stream) return MpegNoFrames;
    try {
        // Filled aside so that a failure leaves the caller's record untouched.
        TMpegInfo Filled{};
        const THeader& Header = *H.Header;
        Filled.Version = Header.Version;
        Filled.Layer = Header.Layer;
        Filled.NominalRate = FrequencyTable[1][Header.SampleFrequency & 3];
        Filled.Frequency = Header.Frequency();
        Filled.Bitrate = H.VbrHeader ? 0 : Header.BitrateKbps();
        Filled.Mode = Header.Mode;
        Filled.Frames = H.TotalFrames;
        Filled.TotalMs = H.TotalMs > 0 ? H.TotalMs : WholeMilliseconds(Header.TotalMs(*H.Stream));
        Filled.MsPerFrame = Header.MsPerFrame();
        MpegReadTag(Handle, Filled.Tag);
        Info = Filled;
        return MpegOk;
    } catch (...) {
        return MpegNoFrames;
    }
}

bool MpegReadTag(TMpegHandle* Handle, void* Dest)
{
    if (!IsMpegHandle(Handle) || !Dest) return false;
    TMpegHandle& H = *Handle;
    if (H.TotalFrames <= 0 || !H.Stream) return false;
    TBitStream& Stream = *H.Stream;
    const int32_t Remembered = Stream.Position;
    bool Found = false;
    // A block shorter than the search distance is searched from its start.
    const int32_t From = std::max((Stream.Size - TagSearchBack) / 4 * 4, 0);
    // Bytes past the end of the block read as zero: a record cut short by the end
    // still counts, with zeros where the block ended, and never carries stale bytes.
    uint8_t Window[TagSearchBytes] = {};
    int32_t Got = 0;
    if (Stream.Seek(From, 0) >= 0 && Stream.ReadRaw(Window, TagSearchBytes, Got)) {
        for (int32_t I = 0; I < TagStarts && !Found; ++I)
            if (TagUpper(Window[I]) == 'T' && TagUpper(Window[I + 1]) == 'A' && TagUpper(Window[I + 2]) == 'G') {
                std::memcpy(Dest, Window + I, TagBytes);
                Found = true;
            }
    }
    Stream.Seek(Remembered, 0);
    return Found;
}
