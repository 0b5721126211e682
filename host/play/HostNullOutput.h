#pragma once
// The silent output: what is written is heard at once, as fast as the
// plug-in renders (morvel play --output null, or --device null).

#include "host/play/HostOutput.h"
#include <mutex>

#include "host/play/HostOutputClocks.h"

class TNullOutput : public THostOutput {
public:
    int Open(int Rate, int Channels, int BitsPerSample, int BufferMs, int PrebufferMs) override;
    void Close() override { }
    int Write(const char* Bytes, int Count) override;
    int CanWrite() override;
    int IsPlaying() override { return 0; }
    int Pause(int Paused) override;
    void SetVolume(int) override { }
    void SetPan(int) override { }
    void Flush(int TimeMs) override;
    int GetOutputTime() override;
    int GetWrittenTime() override;
    std::string LastError() override { return {}; }
    TFlushMark LastFlush() override;
    void DropUntilFlush() override { }

private:
    std::mutex Mutex;  // guards the rest
    bool Paused = false;
    TOutputClocks Clocks;
};
