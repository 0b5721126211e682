#include "host/play/HostOutModule.h"

#include <atomic>

#include "host/play/HostAlsaOutput.h"

namespace {

std::atomic<TAlsaOutput*> Bound{nullptr};
char Description[] = "morvel ALSA output";

void Nothing()
{
}
void NothingFor(HWND)
{
}

int Open(int Rate, int Channels, int Bits, int BufferMs, int PrebufferMs)
{
    TAlsaOutput* output = Bound.load();
    return output ? output->Open(Rate, Channels, Bits, BufferMs, PrebufferMs) : -1;
}

void Close()
{
    if (TAlsaOutput* output = Bound.load())
        output->Close();
}

int Write(char* Bytes, int Count)
{
    TAlsaOutput* output = Bound.load();
    return output ? output->Write(Bytes, Count) : 0;
}

int CanWrite()
{
    TAlsaOutput* output = Bound.load();
    return output ? output->CanWrite() : 0;
}

int IsPlaying()
{
    TAlsaOutput* output = Bound.load();
    return output ? output->IsPlaying() : 0;
}

int Pause(int Paused)
{
    TAlsaOutput* output = Bound.load();
    return output ? output->Pause(Paused) : 0;
}

void SetVolume(int Volume)
{
    if (TAlsaOutput* output = Bound.load())
        output->SetVolume(Volume);
}

void SetPan(int Pan)
{
    if (TAlsaOutput* output = Bound.load())
        output->SetPan(Pan);
}

void Flush(int TimeMs)
{
    if (TAlsaOutput* output = Bound.load())
        output->Flush(TimeMs);
}

int GetOutputTime()
{
    TAlsaOutput* output = Bound.load();
    return output ? output->GetOutputTime() : 0;
}

int GetWrittenTime()
{
    TAlsaOutput* output = Bound.load();
    return output ? output->GetWrittenTime() : 0;
}

Out_Module Record = {
    0x10,     Description, 0,       nullptr, nullptr,        &NothingFor,     &NothingFor,
    &Nothing, &Nothing,    &Open,   &Close,  &Write,         &CanWrite,       &IsPlaying,
    &Pause,   &SetVolume,  &SetPan, &Flush,  &GetOutputTime, &GetWrittenTime,
};

}  // namespace

Out_Module* BindOutModule(TAlsaOutput& Output, HWND MainWindow, HINSTANCE Instance)
{
    Record.hMainWindow = MainWindow;
    Record.hDllInstance = Instance;
    Bound.store(&Output);
    return &Record;
}

void UnbindOutModule()
{
    Bound.store(nullptr);
}
