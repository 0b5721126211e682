#include "tests/support/ModelOutput.h"

#include <algorithm>
#include <cmath>

#include "player/DmfOutputFormat.h"

namespace {
constexpr int DiskWriterRoom = 666666666;
}  // namespace

TModelOutput::TModelOutput(TOutputModel Model, int BufferBytes, double ClockSpeed)
    : Kind(Model), Buffer(BufferBytes), Speed(ClockSpeed), LastTick(std::chrono::steady_clock::now())
{
}

std::string TModelOutput::Name(TOutputModel Model)
{
    switch (Model) {
    case TOutputModel::WaveOut:
        return "waveOut";
    case TOutputModel::DirectSound:
        return "DirectSound";
    case TOutputModel::DiskWriter:
        return "disk writer";
    }
    return "?";
}

void TModelOutput::Advance()
{
    const auto now = std::chrono::steady_clock::now();
    const double elapsedMs = std::chrono::duration<double, std::milli>(now - LastTick).count() * Speed;
    LastTick = now;
    // A disk writer has "played" what it wrote; a card plays while open and not paused.
    if (Kind == TOutputModel::DiskWriter) {
        PlayedBytes = WrittenBytes;
        return;
    }
    if (!Opened || Paused) {
        return;
    }
    PlayedFraction += elapsedMs * OutputBytesPerMs;
    const auto whole = static_cast<int64_t>(PlayedFraction);
    PlayedFraction -= static_cast<double>(whole);
    PlayedBytes = std::min(WrittenBytes, PlayedBytes + whole);
    if (PlayedBytes == WrittenBytes) {
        PlayedFraction = 0;  // an empty buffer plays silence, not what comes next
    }
}

int TModelOutput::Open()
{
    Advance();
    Opened = true;
    Paused = false;
    BaseMs = WrittenBaseMs = 0;
    WrittenBytes = PlayedBytes = 0;
    PlayedFraction = 0;
    return Kind == TOutputModel::DiskWriter ? 0 : static_cast<int>(Buffer / OutputBytesPerMs);
}

void TModelOutput::Close()
{
    Advance();
    Opened = false;
    if (Kind == TOutputModel::DirectSound) {
        WrittenBaseMs = 0;
    }
}

int TModelOutput::CanWrite()
{
    Advance();
    if (Kind == TOutputModel::DiskWriter) {
        return Paused ? 0 : DiskWriterRoom;
    }
    // waveOut reports its room also while paused; DirectSound's may be negative.
    const int64_t room = Buffer - Held();
    return static_cast<int>(Kind == TOutputModel::WaveOut ? std::max<int64_t>(0, room) : room);
}

int TModelOutput::Write(int Length)
{
    Advance();
    Largest = std::max(Largest, Length);
    if (Length <= 0) {
        return 0;
    }
    int kept = Length;
    if (Kind == TOutputModel::WaveOut) {
        kept = Paused ? 0 : static_cast<int>(std::clamp<int64_t>(Buffer - Held(), 0, Length));
    }
    DroppedBytes += Length - kept;
    WrittenBytes += kept;
    if (Kind == TOutputModel::DiskWriter) {
        PlayedBytes = WrittenBytes;
    }
    return kept;
}

int TModelOutput::IsPlaying()
{
    Advance();
    return Kind != TOutputModel::DiskWriter && Held() > 0 ? 1 : 0;
}

void TModelOutput::Pause(bool Value)
{
    Advance();
    Paused = Value;
}

void TModelOutput::Flush(int Ms)
{
    Advance();
    BaseMs = WrittenBaseMs = Ms;
    WrittenBytes = PlayedBytes = 0;
    PlayedFraction = 0;
}

int TModelOutput::OutputTimeMs()
{
    Advance();
    return static_cast<int>(std::floor(BaseMs + static_cast<double>(PlayedBytes) / OutputBytesPerMs));
}

int TModelOutput::WrittenTimeMs()
{
    Advance();
    return static_cast<int>(std::floor(WrittenBaseMs + static_cast<double>(WrittenBytes) / OutputBytesPerMs));
}
