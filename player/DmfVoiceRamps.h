#pragma once
// Click removal: a voice's gains never jump. Where the sequencer changes a
// voice's gains (volume, panning, volume slides, the master volume) they glide
// from where they stand to the new values; where it cuts a note (note off, a
// new note or play position on a sounding voice, the song's end) the old note
// goes on playing on a copy of the voice, fading out, while the new one fades
// in; where a one-shot sample ends, its last value is held, fading out. Every
// glide lasts RampMicroseconds, its frames from the rate in force.
//
// Why 2 ms: a straight glide over T seconds instead of a jump is the jump
// smoothed by a T-long window, whose spectrum falls 6 dB an octave faster
// above 1 / (pi T); at 2 ms that leaves a jump 22 dB weaker at 2 kHz and
// 30 dB at 5 kHz, where the ear hears clicks best, below what a song's own
// sound covers. Longer glides would blunt a drum's attack, which the ear
// hears as one edge within a few milliseconds; at 2 ms a note's new gains have
// settled in about half of the shortest tick (256 a second, 3.9 ms).
//
// The ramps are state the song carries from tick to tick, mixed or skipped
// alike: a skipped tick moves the fading notes' play heads and counts the
// glides' frames exactly as mixing it does, so a seek lands on the same
// sound. TDmf::Stop ends them all.

#include <array>
#include <cstdint>

#include "player/DmfLimits.h"
#include "player/DmfSoundSettings.h"
#include "player/DmfVoice.h"
#include "player/DmfVoiceValues.h"

inline constexpr int32_t RampMicroseconds = 2000;

constexpr int32_t RampFramesAt(int32_t Rate)
{
    return static_cast<int32_t>((int64_t{Rate} * RampMicroseconds + 500000) / 1000000);
}

inline constexpr int32_t MaxRampFrames = RampFramesAt(MaxOutputRate);

// How many old notes of one voice may fade out at once: a note cut while an
// earlier one still fades (a one-shot ending within a glide of its start).
inline constexpr int FadingNotesPerVoice = 2;

// A voice's gains as reals, as the mixer applies them: mono {left, right,
// 0, 0}, stereo {left to left, left to right, right to left, right to right}.
using TVoiceGains = std::array<float, 4>;
TVoiceGains VoiceGains(const TVoice& Voice);

// A voice's four gains gliding in a straight line from From to To over
// Length frames, Done of which have been played; steady at To once done.
struct TGainRamp {
    TVoiceGains From{};
    TVoiceGains To{};
    int32_t Done = 0;
    int32_t Length = 0;

    // Steady at Gains: no frame of its own.
    static TGainRamp Steady(const TVoiceGains& Gains) { return {Gains, Gains, 0, 0}; }
    bool IsSteady() const { return Done >= Length; }
    int32_t FramesLeft() const { return Length - Done; }
    // The gains of the last frame played (From before the first).
    TVoiceGains Current() const;
    // The gains of the next Frames frames, four to a frame, into Gains.
    void NextGains(int32_t Frames, float* Gains) const;
};

// An old note of a voice fading out on a copy of the voice, play head
// included; once its sample has ended (the copy inactive), its last values
// held. Free once its gains have reached silence.
struct TFadingNote {
    TVoice Voice;
    TGainRamp Gains;
    TFrameValues Held{};
    int32_t Delay = 0;  // frames of the tick under way before it begins

    bool Sounding() const { return !Gains.IsSteady(); }
};

struct TVoiceRamp {
    TGainRamp Gains;  // the voice's own
    std::array<TFadingNote, FadingNotesPerVoice> Fading;
};

class TVoiceRamps {
public:
    // Before the sequencer's tick: what each voice plays and at what gains.
    void Remember(const std::array<TVoice, VoiceCount>& Voices);
    // After the tick and its gain update: a voice whose note was cut leaves
    // it fading out and fades its new one in; changed gains glide to the new
    // values from where they stood.
    void Follow(const std::array<TVoice, VoiceCount>& Voices, int32_t Rate);
    // Voice V's note fades out from Gains, Delay frames into the tick under
    // way: playing on, or (Voice inactive: its sample has ended) holding
    // Held. A silent note needs no fading.
    void Fade(int V, const TVoice& Voice, const TVoiceGains& Gains, const TFrameValues& Held, int32_t Delay,
              int32_t Rate);
    // Every glide and fading note ends at once (the song stops).
    void Clear();
    // Fading notes that read Data (a sample's PCM about to go) stop.
    void Forget(const uint8_t* Data);

    std::array<TVoiceRamp, MixedVoices> Voices;
    // Room for one glide's gains, four to a frame, while a tick is mixed.
    std::array<float, 4 * MaxRampFrames> FrameGains{};

private:
    std::array<TVoice, MixedVoices> Before;
    std::array<TVoiceGains, MixedVoices> BeforeGains{};
};
