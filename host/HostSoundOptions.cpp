#include "host/HostSoundOptions.h"

#include <cerrno>
#include <cstdlib>

namespace {

// Value as a whole number from Low to High; false when it is no such number.
bool WholeNumberIn(const std::string& Value, int32_t Low, int32_t High, int32_t& Number)
{
    if (Value.empty() || Value.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    errno = 0;
    const long long number = std::strtoll(Value.c_str(), nullptr, 10);
    if (errno != 0 || number < Low || number > High) {
        return false;
    }
    Number = static_cast<int32_t>(number);
    return true;
}

}  // namespace

bool ReadSoundOptions(const THostArgs& Args, TSoundSettings& Settings, std::string& Error)
{
    Settings = TSoundSettings{};
    if (Args.Has(InterpolationOption.Long)) {
        const std::string name = Args.Value(InterpolationOption.Long);
        if (!InterpolationNamed(name, Settings.Interpolation)) {
            Error = "--interpolation takes none, linear, cubic or sinc, not " + name;
            return false;
        }
    }
    if (Args.Has(RateOption.Long) &&
        !WholeNumberIn(Args.Value(RateOption.Long), MinOutputRate, MaxOutputRate, Settings.Rate)) {
        Error = "--rate takes a whole number of Hz from " + std::to_string(MinOutputRate) + " to " +
                std::to_string(MaxOutputRate) + ", not " + Args.Value(RateOption.Long);
        return false;
    }
    if (Args.Has(SeparationOption.Long) &&
        !WholeNumberIn(Args.Value(SeparationOption.Long), MinSeparation, MaxSeparation, Settings.Separation)) {
        Error = "--separation takes a whole percentage from " + std::to_string(MinSeparation) + " to " +
                std::to_string(MaxSeparation) + ", not " + Args.Value(SeparationOption.Long);
        return false;
    }
    Settings.ClickRemoval = Args.Has(ClickRemovalOption.Long);
    return true;
}
