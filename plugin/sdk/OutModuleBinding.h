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
#include <functional>

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
        if constexpr (requires(TOutput& output, HWND window) { output.Config(window); }) {
            record.Config = &Tell<&TOutput::Config>;
        } else {
            record.Config = [](HWND) {};
        }
        if constexpr (requires(TOutput& output, HWND window) { output.About(window); }) {
            record.About = &Tell<&TOutput::About>;
        } else {
            record.About = [](HWND) {};
        }
        if constexpr (requires(TOutput& output) { output.Init(); }) {
            record.Init = &Tell<&TOutput::Init>;
        } else {
            record.Init = [] {};
        }
        if constexpr (requires(TOutput& output) { output.Quit(); }) {
            record.Quit = &Tell<&TOutput::Quit>;
        } else {
            record.Quit = [] {};
        }
        record.Open = &Ask<&TOutput::Open, -1>;
        record.Close = &Tell<&TOutput::Close>;
        record.Write = &Ask<&TOutput::Write, 0>;
        record.CanWrite = &Ask<&TOutput::CanWrite, 0>;
        record.IsPlaying = &Ask<&TOutput::IsPlaying, 0>;
        record.Pause = &Ask<&TOutput::Pause, 0>;
        record.SetVolume = &Tell<&TOutput::SetVolume>;
        record.SetPan = &Tell<&TOutput::SetPan>;
        record.Flush = &Tell<&TOutput::Flush>;
        record.GetOutputTime = &Ask<&TOutput::GetOutputTime, 0>;
        record.GetWrittenTime = &Ask<&TOutput::GetWrittenTime, 0>;
        return record;
    }

    // Binds Output, replacing whatever was bound.
    static void Bind(TOutput& Output) { Bound.store(&Output); }
    // Frees the slot: the functions answer as an idle output.
    static void Unbind() { Bound.store(nullptr); }

private:
    static inline std::atomic<TOutput*> Bound{nullptr};

    // A record's function with an answer: the bound output's, Idle when none is bound.
    template <auto Method, int Idle, class... TArgs> static int Ask(TArgs... Args)
    {
        TOutput* output = Bound.load();
        return output ? std::invoke(Method, *output, Args...) : Idle;
    }
    // A record's function without one: passed to the bound output, if any.
    template <auto Method, class... TArgs> static void Tell(TArgs... Args)
    {
        if (TOutput* output = Bound.load()) {
            std::invoke(Method, *output, Args...);
        }
    }
};
