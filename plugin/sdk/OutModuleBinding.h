#pragma once
// An Out_Module whose plain functions reach a host's output object. The
// record's functions take no context, so the object is found through a slot
// of its own: one static pointer per TOutput (and TSlot, where one program
// needs two outputs of one type bound at once). While nothing is bound the
// functions answer as an idle output: Open fails, nothing is playing, there is
// no room and no time.
//
// TOutput has the record's operations as methods of the same names: Open,
// Close, Write, CanWrite, IsPlaying, Pause, SetVolume, SetPan, Flush,
// GetOutputTime and GetWrittenTime. Config, About, Init and Quit are called
// when it has them and do nothing otherwise.

#include <atomic>

#include "plugin/sdk/WinampPluginRecords.h"

template <class TOutput, class TSlot = TOutput> class TOutModuleBinding {
public:
    // The record's version and description, its functions bound to the slot;
    // the window and library handles are left to the host.
    static constexpr Out_Module Record(const char* Description)
    {
        Out_Module record{};
        record.version = 0x10;
        record.description = const_cast<char*>(Description);
        record.Config = &Config;
        record.About = &About;
        record.Init = &Init;
        record.Quit = &Quit;
        record.Open = &Open;
        record.Close = &Close;
        record.Write = &Write;
        record.CanWrite = &CanWrite;
        record.IsPlaying = &IsPlaying;
        record.Pause = &Pause;
        record.SetVolume = &SetVolume;
        record.SetPan = &SetPan;
        record.Flush = &Flush;
        record.GetOutputTime = &GetOutputTime;
        record.GetWrittenTime = &GetWrittenTime;
        return record;
    }

    // Binds Output, replacing whatever was bound.
    static void Bind(TOutput& Output) { Bound.store(&Output); }
    // Binds Output only when the slot is free; false when another is bound.
    static bool BindIfFree(TOutput& Output)
    {
        TOutput* none = nullptr;
        return Bound.compare_exchange_strong(none, &Output);
    }
    // Frees the slot: the functions answer as an idle output.
    static void Unbind() { Bound.store(nullptr); }
    // Frees the slot if Output is what it holds.
    static void Unbind(TOutput& Output)
    {
        TOutput* expected = &Output;
        Bound.compare_exchange_strong(expected, nullptr);
    }
    // The bound output, or null.
    static TOutput* Output() { return Bound.load(); }

private:
    static inline std::atomic<TOutput*> Bound{nullptr};

    static void Config([[maybe_unused]] HWND Parent)
    {
        if constexpr (requires(TOutput & output, HWND window) { output.Config(window); })
            if (TOutput* output = Bound.load())
                output->Config(Parent);
    }
    static void About([[maybe_unused]] HWND Parent)
    {
        if constexpr (requires(TOutput & output, HWND window) { output.About(window); })
            if (TOutput* output = Bound.load())
                output->About(Parent);
    }
    static void Init()
    {
        if constexpr (requires(TOutput & output) { output.Init(); })
            if (TOutput* output = Bound.load())
                output->Init();
    }
    static void Quit()
    {
        if constexpr (requires(TOutput & output) { output.Quit(); })
            if (TOutput* output = Bound.load())
                output->Quit();
    }
    static int Open(int Rate, int Channels, int Bits, int BufferMs, int PrebufferMs)
    {
        TOutput* output = Bound.load();
        return output ? output->Open(Rate, Channels, Bits, BufferMs, PrebufferMs) : -1;
    }
    static void Close()
    {
        if (TOutput* output = Bound.load())
            output->Close();
    }
    static int Write(char* Bytes, int Count)
    {
        TOutput* output = Bound.load();
        return output ? output->Write(Bytes, Count) : 0;
    }
    static int CanWrite()
    {
        TOutput* output = Bound.load();
        return output ? output->CanWrite() : 0;
    }
    static int IsPlaying()
    {
        TOutput* output = Bound.load();
        return output ? output->IsPlaying() : 0;
    }
    static int Pause(int Paused)
    {
        TOutput* output = Bound.load();
        return output ? output->Pause(Paused) : 0;
    }
    static void SetVolume(int Volume)
    {
        if (TOutput* output = Bound.load())
            output->SetVolume(Volume);
    }
    static void SetPan(int Pan)
    {
        if (TOutput* output = Bound.load())
            output->SetPan(Pan);
    }
    static void Flush(int TimeMs)
    {
        if (TOutput* output = Bound.load())
            output->Flush(TimeMs);
    }
    static int GetOutputTime()
    {
        TOutput* output = Bound.load();
        return output ? output->GetOutputTime() : 0;
    }
    static int GetWrittenTime()
    {
        TOutput* output = Bound.load();
        return output ? output->GetWrittenTime() : 0;
    }
};
