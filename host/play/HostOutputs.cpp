#include "host/play/HostOutputs.h"

#include "host/HostText.h"
#include "host/play/HostAlsaOutput.h"
#include "host/play/HostNullOutput.h"
#include "host/play/HostPulseOutput.h"

namespace {

// How long a PulseAudio server has to answer before ALSA is taken instead.
constexpr int ServerAnswerMs = 500;
// ALSA's device when none is named.
constexpr char AlsaDefault[] = "default";

template <class TOutput> std::unique_ptr<THostOutput> Make(const std::string& Device)
{
    return std::make_unique<TOutput>(Device);
}

std::unique_ptr<THostOutput> MakeAlsa(const std::string& Device)
{
    return std::make_unique<TAlsaOutput>(Device.empty() ? AlsaDefault : Device);
}

std::unique_ptr<THostOutput> MakeNull(const std::string&)
{
    return std::make_unique<TNullOutput>();
}

constexpr THostOutputKind Outputs[] = {
    {"pulse", "a sink of the PulseAudio server (default: the server's default sink)", &Make<TPulseOutput>},
    {"alsa", "an ALSA device (default: default)", &MakeAlsa},
    {"null", "nothing: it plays silently, as fast as the plug-in renders", &MakeNull},
};

}  // namespace

std::span<const THostOutputKind> HostOutputs()
{
    return Outputs;
}

const THostOutputKind* OutputNamed(const std::string& Name)
{
    for (const THostOutputKind& kind : Outputs) {
        if (Name == kind.Name) {
            return &kind;
        }
    }
    return nullptr;
}

std::string OutputNameList()
{
    return NameList(Outputs);
}

THostOutputChoice DefaultOutput(const std::string& Device, bool DeviceGiven)
{
    if (DeviceGiven) {
        return {OutputNamed(Device == "null" ? "null" : "alsa"), Device};
    }
    if (TPulseOutput::ServerAnswers(ServerAnswerMs)) {
        return {OutputNamed("pulse"), ""};
    }
    return {OutputNamed("alsa"), AlsaDefault};
}
