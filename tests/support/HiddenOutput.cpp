#include "tests/support/HiddenOutput.h"

#include <algorithm>
#include <cstring>

THiddenOutput::THiddenOutput(In_Module& PluginModule) : Module(PluginModule)
{
    FOutput = TOutModuleBinding<THiddenOutput>::Record("Hidden output");
    FOutput.Pause = nullptr;
}

THiddenOutput::~THiddenOutput()
{
    GiveUp();
}

size_t THiddenOutput::Read(uint8_t* Dest, size_t Count)
{
    std::unique_lock<std::mutex> lock(Mutex);
    if (Count == 0 || GaveUp) {
        return 0;
    }
    Target = Dest;
    TargetBytes = Count;
    Filled = 0;
    // A Write waiting for room goes on.
    Changed.notify_all();
    Changed.wait(lock, [&] { return Filled == TargetBytes || Ended || GaveUp; });
    const size_t got = Filled;
    Target = nullptr;
    TargetBytes = Filled = 0;
    return got;
}

void THiddenOutput::EndOfFile()
{
    std::lock_guard<std::mutex> lock(Mutex);
    Ended = true;
    Changed.notify_all();
}

void THiddenOutput::GiveUp()
{
    std::lock_guard<std::mutex> lock(Mutex);
    GaveUp = true;
    Changed.notify_all();
}

std::optional<int> THiddenOutput::LengthAtOpen() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return OpenLength;
}

int THiddenOutput::Opens() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return OpenCount;
}

int THiddenOutput::Closes() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return CloseCount;
}

bool THiddenOutput::WaitUntilWriteBlocked(std::chrono::milliseconds Timeout) const
{
    std::unique_lock<std::mutex> lock(Mutex);
    return Changed.wait_for(lock, Timeout, [&] { return Blocked; });
}

int THiddenOutput::Open(int, int, int, int, int)
{
    {
        std::lock_guard<std::mutex> lock(Mutex);
        ++OpenCount;
        OpenLength.reset();
    }
    // From inside the plug-in's call to Open, on its thread, as Winamp 5 asks.
    int length = -1;
    Module.GetFileInfo(nullptr, nullptr, &length);
    std::lock_guard<std::mutex> lock(Mutex);
    OpenLength = length;
    return 0;
}

void THiddenOutput::Close()
{
    std::lock_guard<std::mutex> lock(Mutex);
    ++CloseCount;
}

int THiddenOutput::Write(const char* Buffer, int Length)
{
    std::unique_lock<std::mutex> lock(Mutex);
    size_t left = Length > 0 ? static_cast<size_t>(Length) : 0;
    while (left > 0 && !GaveUp) {
        if (!HasRoomLocked()) {
            // Full: the reader wakes, and this waits until it asks for more.
            Blocked = true;
            Changed.notify_all();
            Changed.wait(lock, [&] { return GaveUp || HasRoomLocked(); });
            Blocked = false;
            continue;
        }
        const size_t piece = std::min(left, TargetBytes - Filled);
        std::memcpy(Target + Filled, Buffer, piece);
        Filled += piece;
        Buffer += piece;
        left -= piece;
        if (Filled == TargetBytes) {
            Changed.notify_all();
        }
    }
    return 0;
}

int THiddenOutput::CanWrite()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return !GaveUp && HasRoomLocked() ? Room : 0;
}
