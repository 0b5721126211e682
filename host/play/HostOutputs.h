#pragma once
// The outputs morvel play can play on, by the name --output gives: one row
// each (a new output is one class of THostOutput's methods and one row here).

#include <memory>
#include <span>
#include <string>

#include "host/play/HostOutput.h"

struct THostOutputKind {
    const char* Name;    // --output NAME
    const char* Device;  // what its --device names, for the help
    // The output on Device; an empty Device is the output's default.
    std::unique_ptr<THostOutput> (*Make)(const std::string& Device);
};

std::span<const THostOutputKind> HostOutputs();
// The output of that name; null when there is none.
const THostOutputKind* OutputNamed(const std::string& Name);
// "pulse, alsa, null": for help texts and errors.
std::string OutputNameList();

// The output and device to play on when --output is not given. --device
// alone names an ALSA device as it always did ("null": the silent output).
// Neither: "pulse" when a PulseAudio server (PulseAudio itself, or PipeWire's)
// answers at once, else ALSA's "default".
struct THostOutputChoice {
    const THostOutputKind* Kind;
    std::string Device;
};
THostOutputChoice DefaultOutput(const std::string& Device, bool DeviceGiven);
