#pragma once
// Winamp's own output plug-ins as an input plug-in meets them. Each keeps the
// Out_Module contract in its own way:
//   waveOut      takes at most what CanWrite allows and drops the rest, drops
//                everything written while paused; its buffer is the user's
//                setting (2 s by default, far less at will);
//   DirectSound  takes any length into its buffer, after which CanWrite is
//                negative; at Close it keeps its played time and starts its
//                written time again from 0 (what was written, without the
//                time of the last Flush);
//   disk writer  CanWrite 666666666 (0 while paused), IsPlaying 0, and both
//                times are the time written.
// The sound cards play in paced time: the model's clock is the real clock
// times Speed (a test shortens the player's sleeps by as much). What comes
// in while the buffer is empty is not waited for: the card plays silence.
// Not thread-safe: the recording host calls it under its own lock.

#include <chrono>
#include <cstdint>
#include <string>

enum class TOutputModel { WaveOut, DirectSound, DiskWriter };

class TModelOutput {
public:
    // BufferBytes: the buffer of waveOut and DirectSound (the disk writer has none).
    TModelOutput(TOutputModel Model, int BufferBytes, double Speed);

    int Open();
    void Close();
    // The bytes kept, out of Length; the rest is dropped and counted.
    int Write(int Length);
    int CanWrite();
    int IsPlaying();
    void Pause(bool Paused);
    void Flush(int Ms);
    int OutputTimeMs();
    int WrittenTimeMs();

    TOutputModel Model() const { return Kind; }
    int64_t Dropped() const { return DroppedBytes; }
    int LargestWrite() const { return Largest; }
    static std::string Name(TOutputModel Model);

private:
    // Plays what the clock says has sounded since the last call.
    void Advance();
    int64_t Held() const { return WrittenBytes - PlayedBytes; }

    TOutputModel Kind;
    int Buffer;
    double Speed;
    bool Opened = false;
    bool Paused = false;
    double BaseMs = 0;         // time of the last Flush
    double WrittenBaseMs = 0;  // where the written time counts from: BaseMs, or 0 once closed (DirectSound)
    int64_t WrittenBytes = 0;  // since Open or Flush
    int64_t PlayedBytes = 0;
    double PlayedFraction = 0;  // of a byte, carried between calls
    std::chrono::steady_clock::time_point LastTick;
    int64_t DroppedBytes = 0;
    int Largest = 0;
};
