#include "player/DmfSoundSettings.h"

#include <algorithm>
#include <cctype>

const char* InterpolationName(TInterpolation Interpolation)
{
    switch (Interpolation) {
    case TInterpolation::None:
        return "none";
    case TInterpolation::Linear:
        return "linear";
    case TInterpolation::Cubic:
        return "cubic";
    case TInterpolation::Sinc:
        return "sinc";
    }
    return "";
}

bool InterpolationNamed(std::string_view Name, TInterpolation& Interpolation)
{
    for (const TInterpolation each : Interpolations) {
        const std::string_view name = InterpolationName(each);
        if (name.size() == Name.size() && std::equal(name.begin(), name.end(), Name.begin(), [](char A, char B) {
                return A == std::tolower(static_cast<unsigned char>(B));
            })) {
            Interpolation = each;
            return true;
        }
    }
    return false;
}

TSoundSettings SoundSettingsHeld(TSoundSettings Settings)
{
    if (std::find(std::begin(Interpolations), std::end(Interpolations), Settings.Interpolation) ==
        std::end(Interpolations)) {
        Settings.Interpolation = TInterpolation::Linear;
    }
    Settings.Rate = std::clamp(Settings.Rate, MinOutputRate, MaxOutputRate);
    Settings.Separation = std::clamp(Settings.Separation, MinSeparation, MaxSeparation);
    return Settings;
}
