#include "host/play/HostSoftwareGain.h"

#include <cmath>

void ApplySoftwareGain(int16_t* Samples, long Frames, int Channels, int Volume, int Pan)
{
    if (Volume == 255 && Pan == 0) {
        return;
    }
    const float volume = static_cast<float>(Volume) / 255.0f;
    const float left = Pan > 0 ? volume * static_cast<float>(128 - Pan) / 128.0f : volume;
    const float right = Pan < 0 ? volume * static_cast<float>(128 + Pan) / 128.0f : volume;
    for (long frame = 0; frame < Frames; ++frame) {
        int16_t* at = Samples + frame * Channels;
        for (int channel = 0; channel < Channels; ++channel) {
            const float gain = Channels < 2 ? volume : channel == 0 ? left : channel == 1 ? right : volume;
            at[channel] = static_cast<int16_t>(std::lrint(static_cast<float>(at[channel]) * gain));
        }
    }
}
