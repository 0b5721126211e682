#pragma once
// The listener's choices of how a song sounds: how a voice's samples are
// interpolated, the output rate, the stereo separation and click removal.
// The defaults are the sound the player has always made, byte for byte:
// linear interpolation, 44100 Hz, full stereo, gains that change at once.
// A song renders with the settings its driver gave it before it started
// (TDmf::Sound) and keeps them while it plays.

#include <cstdint>
#include <string_view>

#include "player/DmfOutputFormat.h"

enum class TInterpolation : uint8_t {
    None,    // the nearest frame
    Linear,  // the two frames around the play head
    Cubic,   // four frames
    Sinc,    // a windowed sinc whose cut-off follows the increment
};

inline constexpr TInterpolation Interpolations[] = {TInterpolation::None, TInterpolation::Linear, TInterpolation::Cubic,
                                                    TInterpolation::Sinc};

inline constexpr int32_t MinOutputRate = 8000;
inline constexpr int32_t MaxOutputRate = 192000;
inline constexpr int32_t MinSeparation = 0;  // percent: both outputs the same
inline constexpr int32_t MaxSeparation = 200;

struct TSoundSettings {
    TInterpolation Interpolation = TInterpolation::Linear;
    int32_t Rate = OutputRate;  // output frames per second
    int32_t Separation = 100;   // percent of the stereo difference kept
    bool ClickRemoval = false;  // gains glide instead of jumping

    bool operator==(const TSoundSettings&) const = default;
};

// "none", "linear", "cubic" or "sinc".
const char* InterpolationName(TInterpolation Interpolation);
// The interpolation Name names (in any case); false when it names none.
bool InterpolationNamed(std::string_view Name, TInterpolation& Interpolation);
// Settings with the rate and the separation held to their ranges, an
// interpolation that is none of the four made linear.
TSoundSettings SoundSettingsHeld(TSoundSettings Settings);
