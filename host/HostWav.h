#pragma once
// Output of rendered songs: PCM in the output format (player/DmfOutputFormat.h),
// as a WAV file or as headerless bytes, to a file or to standard output.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

// Bytes of a canonical PCM WAV header.
inline constexpr int WavHeaderBytes = 44;
// Most PCM bytes a WAV file can describe (its sizes are 32-bit), whole frames.
inline constexpr uint64_t WavMaxDataBytes = (0xFFFFFFFFull - 36) & ~3ull;

// The header of a WAV file holding DataBytes of PCM in the output format.
std::array<uint8_t, WavHeaderBytes> WavHeader(uint32_t DataBytes);

// Writes the PCM to a stream it does not own (standard output, or a file the
// caller closes). Every operation answers false once writing failed.
class TPcmWriter {
public:
    // Raw: no WAV header. File may be null (nothing can be written).
    TPcmWriter(std::FILE* File, bool Raw);

    bool IsOpen() const { return File != nullptr; }
    // Headerless PCM: no WAV header is written.
    bool IsRaw() const { return Raw; }
    // Writes the header (unless raw) for DataBytes of PCM to come.
    bool Begin(uint32_t DataBytes);
    bool Write(const void* Bytes, size_t Count);
    // Flushes; false when anything was not written.
    bool Finish();

private:
    std::FILE* File = nullptr;  // the output
    bool Raw = false;           // headerless PCM
    bool Failed = false;        // a write fell short
};
