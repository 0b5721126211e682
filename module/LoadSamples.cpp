// The sample information and sample data blocks: records, then raw, packed or
// MPEG-compressed PCM per sample.

#include <algorithm>
#include <cstring>
#include <string>

#include "module/LoadCompressed.h"
#include "module/LoadLog.h"
#include "module/LoadReader.h"
#include "module/LoadSampleRecord.h"
#include "module/LoadUnpacker.h"
#include "player/DmfSong.h"

namespace {

// Room behind packed PCM, as the format's own player allocates it.
constexpr int32_t PackedExtraBytes = 256;
// Each unpacked byte costs at least one bit, so the input the unpacker may
// take can grow at most eightfold (plus what its buffer may still hold): a
// longer record length is a lie that must not decide the allocation.
constexpr int64_t PackedGrowth = 8;
constexpr int64_t PackedSlackBytes = 2 * TSampleUnpacker::InputBytes;

// The packed flag wins: the MPEG flag counts only without it.
TSampleStorage StorageOf(uint8_t Flags)
{
    if (Flags & SampleFlagPacked) {
        return TSampleStorage::Packed;
    }
    return Flags & SampleFlagMpeg ? TSampleStorage::Mpeg : TSampleStorage::Raw;
}

}  // namespace

void TDmf::ReadSampleInfo()
{
    TFieldReader in(*Stream);
    in.I32();  // block length, not used
    const uint8_t count = in.U8();
    SampleInfoRead = true;
    std::vector<TSampleRecord> records(count);
    SetSampleCount(count);
    DebugLog("Converting Sample-Information");
    DebugLog(" Samples: " + HexVar(count));

    for (int s = 1; s <= count; ++s) {
        TSampleRecord& record = records[static_cast<size_t>(s - 1)];
        record.Name.fill(' ');
        record.NameLength = in.U8();
        // A long name is read whole; only its first 30 characters are kept.
        uint8_t name[255];
        in.Bytes(name, record.NameLength);
        std::memcpy(record.Name.data(), name, std::min<size_t>(record.NameLength, MaxSampleName));
        record.Length = in.I32();
        record.LoopStart = in.I32();
        record.LoopEnd = in.I32();
        record.Rate = in.U16();
        record.Volume = in.U8();
        record.Flags = in.U8();
        // Known to both loads: the information load reads no sample data.
        if (TSample* sample = GetSample(s)) {
            sample->Storage = StorageOf(record.Flags);
            sample->Declared = {record.KeptName(),
                                record.Length,
                                record.LoopStart,
                                record.LoopEnd,
                                record.Rate,
                                (record.Flags & SampleFlagLooped) != 0,
                                (record.Flags & SampleFlag16Bit) != 0,
                                (record.Flags & SampleFlagStereo) != 0};
        }
        DebugLog(" Sample: " + HexVar(s) + " " + HexVar(record.NameLength) + " " +
                 std::string(record.Name.data(), record.Name.size()) + " " + std::to_string(record.Length) + " " +
                 std::to_string(record.Flags));
        if (Version > 7) {
            in.Skip(8);
        }
        in.Skip(2);
        in.Skip(4);
    }
    if (SampleRecords) {
        *SampleRecords = std::move(records);
    }
}

bool TDmf::ReadSampleData()
{
    // Without records (no sample information yet, or they were used by an
    // earlier sample data block) there is nothing to read the data by. A
    // sample information block of no samples leaves no records either, yet
    // its sample data block is read as one of no samples.
    const bool noSamplesDeclared = SampleInfoRead && SampleCount == 0;
    if (!SampleRecords || (SampleRecords->empty() && !noSamplesDeclared)) {
        return SkipUnknownBlock();
    }

    TFieldReader in(*Stream);
    DebugLog(" Filepos BEFORE SMPD:" + HexVar(static_cast<int32_t>(in.Position())) + " Bytes.");
    const int32_t blockLength = in.I32();
    DebugLog(" SMPD Blocklength:" + HexVar(blockLength) + " Bytes.");
    uint32_t bytesRead = 4;
    uint32_t bytesProcessed = 0;
    DebugLog("Converting Sample-Data");

    const int count = static_cast<int>(SampleRecords->size());
    for (int s = 1; s <= count; ++s) {
        const TSampleRecord& record = (*SampleRecords)[static_cast<size_t>(s - 1)];
        TSample* sample = GetSample(s);
        const int32_t stored = in.I32();
        bytesRead += 4;
        DebugLog(" Sample: " + HexVar(s) + " " + std::to_string(stored));
        if (!sample) {
            continue;  // cannot happen: the records and the samples were made together
        }
        int32_t length = record.Length;
        if (length < 1) {
            sample->SetEmpty(true);
        }

        if (record.Flags & SampleFlagPacked) {
            const int64_t start = in.Position();
            if (length >= 1) {
                const int64_t inputLimit = TSampleUnpacker::InputLimitFor(stored);
                const int64_t decodable = PackedGrowth * (std::min(in.Remaining(), inputLimit) + PackedSlackBytes);
                length = static_cast<int32_t>(std::min<int64_t>(length, decodable));
                sample->Allocate(length, PackedExtraBytes);
                TSampleUnpacker unpacker(*Stream, inputLimit);
                if (unpacker.InitUnpacker()) {
                    unpacker.UnpackBytes(sample->Data, length);
                }
            }
            // The unpacker reads ahead; the next sample starts after the stored bytes.
            Stream->SetPosition(start + std::max(stored, 0));
        } else if (record.Flags & SampleFlagMpeg) {
            const std::vector<uint8_t> compressed = in.Available(stored);
            DecodeCompressedSample(compressed.data(), static_cast<int32_t>(compressed.size()), *sample, length);
            // Playback must stay inside the PCM the decoder produced.
            int32_t decoded = 0;
            if (sample->Data) {
                const int32_t capacity = static_cast<int32_t>(sample->Buffer.size()) - 2 * SampleGuardBytes;
                decoded = sample->Length > 0 ? std::min(sample->Length, capacity) : capacity;
            }
            length = std::min(length, decoded);
        } else if (length >= 1) {
            // Raw data cut short by the end of the file keeps what is there;
            // it is read straight into the sample's allocation.
            length = static_cast<int32_t>(std::min<int64_t>(length, in.Remaining()));
            bytesRead += static_cast<uint32_t>(std::max(length, 0));
            if (length >= 1) {
                in.Bytes(sample->Allocate(length), length);
            }
        }

        sample->Length = length;
        sample->Is16Bit = (record.Flags & SampleFlag16Bit) != 0;
        sample->Stereo = (record.Flags & SampleFlagStereo) != 0;
        sample->Rate = record.Rate;
        sample->Looped = (record.Flags & SampleFlagLooped) != 0;
        sample->LoopStart = record.LoopStart;
        sample->LoopEnd = std::min(record.LoopEnd, length);
        sample->Volume = record.Volume;
        sample->Enabled = true;
        sample->SetEmpty(length < 1);
        sample->SetName(record.KeptName());
        bytesProcessed += static_cast<uint32_t>(stored);
    }

    // (std::string first: GCC 12 misreports a prepended literal as an overlapping copy.)
    DebugLog(std::string(" ") + HexVar(static_cast<int32_t>(bytesProcessed)) + " Bytes processed.");
    DebugLog(std::string(" ") + HexVar(static_cast<int32_t>(bytesRead)) + " Bytes gelesen.");
    DebugLog(" Filepos NACH SMPD:" + HexVar(static_cast<int32_t>(in.Position())) + " Bytes.");
    SampleRecords->clear();
    return true;
}

bool TDmf::SkipSampleData()
{
    const bool walking = SkipUnknownBlock();
    for (int s = 1; s <= SampleCount; ++s) {
        TSample* sample = GetSample(s);
        sample->SetEmpty(true);
        sample->Length = 0;
        sample->Enabled = false;
    }
    return walking;
}

bool TDmf::ReadCuePoints()
{
    if (!SampleInfoRead) {
        return SkipUnknownBlock();
    }
    TFieldReader in(*Stream);
    const int32_t length = in.I32();
    for (int s = 1; s <= SampleCount; ++s) {
        TSample* sample = GetSample(s);
        const uint8_t count = in.U8();
        for (int j = 0; j < count; ++j) {
            sample->SetCuePoint(j, in.I32());
        }
    }
    DebugLog("dmfReadSMPJ: " + Hex4(static_cast<uint32_t>(length)) + " bytes read");
    return true;
}
