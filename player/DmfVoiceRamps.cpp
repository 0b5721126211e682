#include "player/DmfVoiceRamps.h"

#include <algorithm>

#include "player/DmfMixFrame.h"

TVoiceGains VoiceGains(const TVoice& Voice)
{
    const bool stereo = (Voice.Flags & VoiceFlagStereo) != 0;
    const std::array<int16_t, 4> gains =
        stereo ? std::array<int16_t, 4>{Voice.LeftToLeft, Voice.LeftToRight, Voice.RightToLeft, Voice.RightToRight}
               : std::array<int16_t, 4>{Voice.LeftGain, Voice.RightGain, 0, 0};
    TVoiceGains reals;
    for (size_t i = 0; i < gains.size(); ++i) {
        reals[i] = static_cast<float>(gains[i]) * MixGainScale;
    }
    return reals;
}

namespace {

// The gains K frames into a glide of Length frames: From at 0, To exactly at Length.
TVoiceGains GainsAt(const TGainRamp& Ramp, int32_t K)
{
    const float t = static_cast<float>(K) / static_cast<float>(Ramp.Length);
    TVoiceGains gains;
    for (size_t i = 0; i < gains.size(); ++i) {
        gains[i] = Ramp.From[i] * (1.0f - t) + Ramp.To[i] * t;
    }
    return gains;
}

}  // namespace

TVoiceGains TGainRamp::Current() const
{
    return IsSteady() ? To : GainsAt(*this, Done);
}

void TGainRamp::NextGains(int32_t Frames, float* Gains) const
{
    for (int32_t k = 0; k < Frames; ++k) {
        const TVoiceGains gains = GainsAt(*this, Done + 1 + k);
        std::copy(gains.begin(), gains.end(), Gains + 4 * k);
    }
}

void TVoiceRamps::Remember(const std::array<TVoice, VoiceCount>& Voices)
{
    for (size_t v = 0; v < MixedVoices; ++v) {
        Before[v] = Voices[v];
        BeforeGains[v] = Voices[v].Active ? this->Voices[v].Gains.Current() : TVoiceGains{};
    }
}

void TVoiceRamps::Follow(const std::array<TVoice, VoiceCount>& Voices, int32_t Rate)
{
    for (size_t v = 0; v < MixedVoices; ++v) {
        const TVoice& before = Before[v];
        const TVoice& now = Voices[v];
        TGainRamp& ramp = this->Voices[v].Gains;
        TVoiceGains from = BeforeGains[v];
        // Between ticks only the mix moves a play head: one the tick moved
        // (a new note, an instrument, an offset or cue) is a cut.
        const bool moved =
            now.Data != before.Data || now.Position != before.Position || now.Fraction != before.Fraction;
        const bool cut = before.Active && (!now.Active || moved);
        if (cut) {
            Fade(static_cast<int>(v), before, from, {}, 0, Rate);
            from = {};
        }
        if (!now.Active) {
            ramp = TGainRamp{};
            continue;
        }
        const TVoiceGains to = VoiceGains(now);
        if (cut || !before.Active || to != ramp.To) {
            ramp = from == to ? TGainRamp::Steady(to) : TGainRamp{from, to, 0, RampFramesAt(Rate)};
        }
    }
}

void TVoiceRamps::Fade(int V, const TVoice& Voice, const TVoiceGains& Gains, const TFrameValues& Held, int32_t Delay,
                       int32_t Rate)
{
    if (Gains == TVoiceGains{}) {
        return;
    }
    // A free place, or the note nearest to silence.
    auto& fading = Voices[static_cast<size_t>(V)].Fading;
    TFadingNote& note = *std::min_element(fading.begin(), fading.end(), [](const TFadingNote& A, const TFadingNote& B) {
        return A.Gains.FramesLeft() < B.Gains.FramesLeft();
    });
    note = TFadingNote{Voice, TGainRamp{Gains, {}, 0, RampFramesAt(Rate)}, Held, Delay};
}

void TVoiceRamps::Clear()
{
    Voices.fill(TVoiceRamp{});
}

void TVoiceRamps::Forget(const uint8_t* Data)
{
    for (TVoiceRamp& ramp : Voices) {
        for (TFadingNote& note : ramp.Fading) {
            if (note.Voice.Data == Data) {
                note = TFadingNote{};
            }
        }
    }
}
