#include "mpeg/MpegFrontEnd.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "mpeg/MpegAllocator.h"
#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/frame/MpegTables.h"
#include "mpeg/layer12/MpegLayer12.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

namespace {

constexpr int32_t StallFrames = 30;  // frames from the start that may give no PCM in one read
constexpr int32_t TagBytes = 128;
constexpr int32_t TagSearchBack = 131;
constexpr int32_t TagSearchBytes = 257;
constexpr int32_t TagStarts = 128;

// Upper case for the tag search: ASCII letters and the Latin-1 umlauts.
uint8_t TagUpper(uint8_t C)
{
    if (C >= 'a' && C <= 'z') {
        return static_cast<uint8_t>(C - 'a' + 'A');
    }
    if (C == 0xE4 || C == 0xF6 || C == 0xFC) {
        return static_cast<uint8_t>(C - 0x20);
    }
    return C;
}

bool SameNameIgnoringCase(const char* A, const char* B)
{
    for (; *A && *B; ++A, ++B) {
        if (TagUpper(static_cast<uint8_t>(*A)) != TagUpper(static_cast<uint8_t>(*B))) {
            return false;
        }
    }
    return *A == *B;
}

// A play time truncated toward zero; a block near 2 GB of the slowest streams
// would pass the 32-bit range, which saturates instead.
int32_t WholeMilliseconds(float Ms)
{
    if (!(Ms > 0.0f)) {
        return 0;
    }
    if (Ms >= 2147483648.0f) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(Ms);
}

// What the layer decoders work with, all the handle's.
TLayerLinks LinksOf(TMpegHandle& H)
{
    return {H.Stream.get(), H.Header.get(), H.FilterLeft.get(), H.FilterRight.get(), H.Output.get(), H.Channels};
}

void MakeLayer3(TMpegHandle& H)
{
    H.Layer3 = std::make_unique<TLayer3Decoder>(LinksOf(H));
}

void MakeLayer12(TMpegHandle& H, int32_t Layer)
{
    H.Layer12 = std::make_unique<TLayer12Decoder>(LinksOf(H), Layer, H.Crc);
}

// Runs Operation on Handle's record: no handle answers MpegNoHandle, and an
// exception the operation's Failure code (none escapes).
template <class TOperation> int32_t Guarded(TMpegHandle* Handle, int32_t Failure, TOperation Operation)
{
    if (!IsMpegHandle(Handle)) {
        return MpegNoHandle;
    }
    try {
        return Operation(*Handle);
    } catch (...) {
        return Failure;
    }
}

// The same with the handle's lock held throughout.
template <class TOperation> int32_t Locked(TMpegHandle* Handle, int32_t Failure, TOperation Operation)
{
    return Guarded(Handle, Failure, [&](TMpegHandle& H) {
        TLockGuard guard(H.Lock);
        return Operation(H);
    });
}

}  // namespace

TMpegHandle::TMpegHandle(TMMAllocator* Allocator) : Allocator(Allocator)
{
}

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
    void* block = nullptr;
    try {
        block = Allocator.Alloc(TMMAllocator::FlagMoveable | TMMAllocator::FlagZeroInit, sizeof(TMpegHandle));
        if (!block) {
            return MpegCreateFailure();
        }
        TMpegHandle* handle = new (block) TMpegHandle(&Allocator);
        handle->Notify = Notify;
        handle->NotifyData = NotifyData;
        return handle;
    } catch (...) {
        try {
            Allocator.Release(block);
        } catch (...) {
        }
        return MpegCreateFailure();
    }
}

int32_t MpegOpen(TMpegHandle* Handle, const char* Name, const void* Memory, int32_t Size)
{
    return Locked(Handle, MpegNoHeader, [&](TMpegHandle& h) -> int32_t {
        if (!Name) {
            Name = "";
        }
        if (SameNameIgnoringCase(Name, h.SourceName)) {
            return MpegOk;
        }
        if (!*Name) {
            MpegClose(Handle);
            if (h.Notify) {
                h.Notify(Handle, h.NotifyData);
            }
            return MpegOk;
        }
        auto stream = std::make_unique<TBitStream>(static_cast<const uint8_t*>(Memory), Size);
        auto header = std::make_unique<THeader>();
        if (!header->ReadHeader(*stream, nullptr)) {
            return MpegNoHeader;
        }
        const bool vbrHeader = header->VbrHeader;
        if (!header->SeekToFrame(*stream, 0)) {
            return MpegNoHeader;
        }

        MpegClose(Handle);
        h.FromMemory = true;
        h.Stream = std::move(stream);
        h.Header = std::move(header);
        std::strncpy(h.SourceName, Name, SourceNameSize - 1);
        h.SourceName[SourceNameSize - 1] = 0;
        // The estimate runs one short for short streams (a single frame gives 0), yet
        // the first frame has just been read: there is at least that one.
        h.TotalFrames =
            std::max((h.Header->MaxNumberOfFrames(*h.Stream) + h.Header->MinNumberOfFrames(*h.Stream)) / 2, 1);
        h.VbrHeader = vbrHeader;
        h.Channels = h.Header->SingleChannel() ? ChannelsLeft : h.PreferredChannels;
        if (h.Notify) {
            h.Notify(Handle, h.NotifyData);
        }
        return MpegOk;
    });
}

int32_t MpegStart(TMpegHandle* Handle)
{
    if (!IsMpegHandle(Handle)) {
        return MpegNoHandle;
    }
    TMpegHandle& h = *Handle;
    if (h.TotalFrames <= 0 || h.Started || !h.Header || !h.Stream) {
        return MpegCannotStart;
    }
    try {
        h.FilterLeft = std::make_unique<TSynthesisFilter>(0, h.ScaleFactor);
        if (!h.Header->SingleChannel() && h.Channels == ChannelsBoth) {
            h.FilterRight = std::make_unique<TSynthesisFilter>(1, h.ScaleFactor);
            h.Output = std::make_unique<TBuffer>(2);
        } else {
            h.FilterRight.reset();
            h.Output = std::make_unique<TBuffer>(1);
        }
        if (h.Header->Layer == 3) {
            MakeLayer3(h);
        } else {
            MakeLayer12(h, h.Header->Layer);
        }
        h.CurrentLayer = h.Header->Layer;
        h.EndOfStream = false;
        h.Started = true;
        if (MpegSeek(Handle, h.SeekFrame) == MpegOk) {
            return MpegOk;
        }
    } catch (...) {
    }
    MpegStop(Handle);
    return MpegBuildFailed;
}

int32_t MpegSeek(TMpegHandle* Handle, int32_t Frame)
{
    return Locked(Handle, MpegSeekFailed, [&](TMpegHandle& h) -> int32_t {
        h.SeekFrame = std::clamp(Frame, 0, std::max(h.TotalFrames - 1, 0));
        if (!h.Started) {
            return MpegOk;
        }
        h.Output->Clear();
        if (!h.Header->SeekToFrame(*h.Stream, h.SeekFrame)) {
            return MpegSeekFailed;
        }
        if (h.Layer3) {
            h.Layer3->Reset();
        } else {
            h.FilterLeft->Reset();
            if (h.FilterRight) {
                h.FilterRight->Reset();
            }
        }
        // The target frame's header has just been read, so there is a frame to
        // decode, whatever the frame-count estimate says.
        h.EndOfStream = false;
        return MpegOk;
    });
}

int32_t MpegDecodeFrame(TMpegHandle* Handle)
{
    return Guarded(Handle, MpegDecodeFailed, [&](TMpegHandle& h) -> int32_t {
        if (!h.Started) {
            return MpegDecodeFailed;
        }
        const int32_t layer = h.Header->Layer;
        if (layer != h.CurrentLayer) {
            // The decoders of the new layer start afresh (the subband decoders of
            // Layer I and II are of one family each).
            if (layer == 3) {
                MakeLayer3(h);
                h.Layer12.reset();
            } else {
                h.Layer3.reset();
                MakeLayer12(h, layer);
            }
            h.CurrentLayer = layer;
        }
        if (layer == 3) {
            if (!h.Layer3) {
                return MpegDecodeFailed;
            }
            h.Layer3->DecodeFrame();
        } else {
            if (!h.Layer12) {
                return MpegDecodeFailed;
            }
            h.Layer12->DecodeFrame();
        }
        return MpegOk;
    });
}

int32_t MpegRead(TMpegHandle* Handle, void* Dest, int32_t Size)
{
    return Locked(Handle, MpegDecodeFailed, [&](TMpegHandle& h) -> int32_t {
        h.AbortRequested = false;
        int32_t copied = 0;
        int32_t decoded = 0;
        if (!h.Started || !Dest) {
            return 0;
        }
        uint8_t* target = static_cast<uint8_t*>(Dest);
        while (Size > 0 && h.Started && !h.AbortRequested) {
            const int32_t got = h.Output->Read(target + copied, Size);
            copied += got;
            Size -= got;
            if (h.EndOfStream) {
                // A read at the very end answers a short block of silence, never nothing.
                if (copied == 0) {
                    copied = std::min(Size, 4);
                    std::memset(target, 0, static_cast<size_t>(copied));
                }
                return copied;
            }
            if (Size <= 0) {
                break;
            }
            do {
                if (++decoded > StallFrames && h.SeekFrame == 0 && copied == 0 && h.Output->BytesHeld() == 0) {
                    return MpegDecodeFailed;
                }
                if (MpegDecodeFrame(Handle) != MpegOk) {
                    return MpegDecodeFailed;
                }
                h.EndOfStream = !h.Header->ReadHeader(*h.Stream, nullptr);
            } while (h.Output->BytesHeld() < Size && h.Output->BytesHeld() < TBuffer::Capacity && !h.EndOfStream &&
                     !h.AbortRequested);
        }
        return copied;
    });
}

int32_t MpegStop(TMpegHandle* Handle)
{
    return Locked(Handle, MpegStopFailed, [](TMpegHandle& h) -> int32_t {
        if (!h.Started) {
            return MpegOk;
        }
        h.Layer3.reset();
        h.Layer12.reset();
        h.FilterLeft.reset();
        h.FilterRight.reset();
        h.Output.reset();
        h.SeekFrame = 0;
        h.Started = false;
        return MpegOk;
    });
}

int32_t MpegClose(TMpegHandle* Handle)
{
    return Locked(Handle, MpegStopFailed, [&](TMpegHandle& h) -> int32_t {
        MpegStop(Handle);
        h.SourceName[0] = 0;
        h.FromMemory = false;
        h.VbrHeader = false;
        h.TotalFrames = 0;
        h.SeekFrame = 0;
        h.TotalMs = 0;
        h.Stream.reset();
        h.Header.reset();
        return MpegOk;
    });
}

int32_t MpegFree(TMpegHandle*& Handle)
{
    if (!IsMpegHandle(Handle)) {
        return MpegNoHandle;
    }
    Handle->Notify = nullptr;
    MpegStop(Handle);
    MpegClose(Handle);
    TMMAllocator* allocator = Handle->Allocator;
    Handle->~TMpegHandle();
    void* block = Handle;
    Handle = nullptr;
    try {
        allocator->Release(block);
    } catch (...) {
        // The block stays in use; the handle itself is gone either way.
    }
    return MpegOk;
}

int32_t MpegGetInfo(TMpegHandle* Handle, TMpegInfo& Info)
{
    return Guarded(Handle, MpegNoFrames, [&](TMpegHandle& h) -> int32_t {
        if (h.TotalFrames <= 0 || !h.Header || !h.Stream) {
            return MpegNoFrames;
        }
        // Filled aside so that a failure leaves the caller's record untouched.
        TMpegInfo filled{};
        const THeader& header = *h.Header;
        filled.Version = header.Version;
        filled.Layer = header.Layer;
        filled.NominalRate = FrequencyTable[1][header.SampleFrequency & 3];
        filled.Frequency = header.Frequency();
        filled.Bitrate = h.VbrHeader ? 0 : header.BitrateKbps();
        filled.Mode = header.Mode;
        filled.Frames = h.TotalFrames;
        filled.TotalMs = h.TotalMs > 0 ? h.TotalMs : WholeMilliseconds(header.TotalMs(*h.Stream));
        filled.MsPerFrame = header.MsPerFrame();
        MpegReadTag(Handle, filled.Tag);
        Info = filled;
        return MpegOk;
    });
}

bool MpegReadTag(TMpegHandle* Handle, void* Dest)
{
    if (!IsMpegHandle(Handle) || !Dest) {
        return false;
    }
    TMpegHandle& h = *Handle;
    if (h.TotalFrames <= 0 || !h.Stream) {
        return false;
    }
    TBitStream& stream = *h.Stream;
    const int32_t remembered = stream.Position;
    bool found = false;
    // A block shorter than the search distance is searched from its start.
    const int32_t from = std::max((stream.Size - TagSearchBack) / 4 * 4, 0);
    // Bytes past the end of the block read as zero: a record cut short by the end
    // still counts, with zeros where the block ended, and never carries stale bytes.
    uint8_t window[TagSearchBytes] = {};
    int32_t got = 0;
    if (stream.Seek(from, 0) >= 0 && stream.ReadRaw(window, TagSearchBytes, got)) {
        for (int32_t i = 0; i < TagStarts && !found; ++i) {
            if (TagUpper(window[i]) == 'T' && TagUpper(window[i + 1]) == 'A' && TagUpper(window[i + 2]) == 'G') {
                std::memcpy(Dest, window + i, TagBytes);
                found = true;
            }
        }
    }
    stream.Seek(remembered, 0);
    return found;
}
