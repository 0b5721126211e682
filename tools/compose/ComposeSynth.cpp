#include "tools/compose/ComposeSynth.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Fixed-seed noise in -1..1.
class TNoise {
public:
    double Next()
    {
        State = State * 1664525u + 1013904223u;
        return static_cast<double>(State >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    uint32_t State = 0x2468ACE1u;  // generator state
};

uint8_t To8(double v)
{
    return static_cast<uint8_t>(static_cast<int8_t>(std::lround(std::clamp(v, -1.0, 1.0) * 127.0)));
}

void Push16(std::vector<uint8_t>& Out, double v)
{
    const int16_t s = static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
    Out.push_back(static_cast<uint8_t>(s & 0xFF));
    Out.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
}

TWriterSample Named(const std::string& Name, uint16_t Rate, uint8_t Volume)
{
    TWriterSample sample;
    sample.Name = Name;
    sample.Rate = Rate;
    sample.Volume = Volume;
    return sample;
}

// Saw of one cycle per Period frames, band-limited to its first Harmonics partials.
double Saw(double Phase, int Harmonics)
{
    double v = 0;
    for (int h = 1; h <= Harmonics; ++h) {
        v += std::sin(2 * Pi * h * Phase) / h;
    }
    return v * 0.55;
}

}  // namespace

TWriterSample MakeKick()
{
    TWriterSample kick = Named("Kick - falling sine", 22050, 230);
    double phase = 0;
    for (int i = 0; i < 5000; ++i) {
        const double t = i / 22050.0;
        phase += (45.0 + 110.0 * std::exp(-t * 28.0)) / 22050.0;
        kick.Pcm.push_back(To8(std::sin(2 * Pi * phase) * std::exp(-t * 9.0) * 1.1));
    }
    return kick;
}

TWriterSample MakeSnare()
{
    TWriterSample snare = Named("Snare - noise and tone", 22050, 200);
    snare.Encoding = TWriterEncoding::Packed;
    TNoise noise;
    double low = 0;
    for (int i = 0; i < 6000; ++i) {
        const double t = i / 22050.0;
        low += (noise.Next() - low) * 0.45;
        const double tone = std::sin(2 * Pi * 185.0 * t) * std::exp(-t * 30.0);
        snare.Pcm.push_back(To8((low * 1.3 * std::exp(-t * 14.0) + tone * 0.6)));
    }
    return snare;
}

TWriterSample MakeHihat()
{
    TWriterSample hihat = Named("Hihat - bright noise", 44100, 150);
    TNoise noise;
    double previous = 0;
    for (int i = 0; i < 2200; ++i) {
        const double t = i / 44100.0;
        const double n = noise.Next();
        hihat.Pcm.push_back(To8((n - previous) * 0.6 * std::exp(-t * 60.0)));
        previous = n;
    }
    return hihat;
}

TWriterSample MakeBass()
{
    TWriterSample bass = Named("Bass - soft saw, looped", MiddleCRate, 210);
    bass.Encoding = TWriterEncoding::Packed;
    bass.Is16Bit = true;
    bass.Looped = true;
    const int cycles = 40;
    for (int i = 0; i < cycles * CycleFrames; ++i) {
        const double phase = static_cast<double>(i % CycleFrames) / CycleFrames;
        Push16(bass.Pcm, Saw(phase, 8) * 0.9);
    }
    bass.LoopStart = 10 * CycleFrames * 2;
    bass.LoopEnd = static_cast<int32_t>(bass.Pcm.size());
    return bass;
}

TWriterSample MakeLead()
{
    TWriterSample lead = Named("Lead - pulse, looped", MiddleCRate, 140);
    lead.Looped = true;
    for (int i = 0; i < 20 * CycleFrames; ++i) {
        const double phase = static_cast<double>(i % CycleFrames) / CycleFrames;
        double v = 0;
        for (int h = 1; h <= 9; ++h) {  // a 30% pulse from its partials
            v += std::sin(Pi * h * 0.3) * std::cos(2 * Pi * h * phase) / h;
        }
        lead.Pcm.push_back(To8(v * 0.7));
    }
    lead.LoopStart = 0;
    lead.LoopEnd = static_cast<int32_t>(lead.Pcm.size());
    return lead;
}

TWriterSample MakePad()
{
    TWriterSample pad = Named("Pad - stereo detuned saws", MiddleCRate, 120);
    pad.Encoding = TWriterEncoding::Packed;
    pad.Is16Bit = true;
    pad.Stereo = true;
    pad.Looped = true;
    // 50 cycles on the left, 51 on the right over the same loop: a slow beat that loops seamlessly.
    const int frames = 50 * CycleFrames;
    for (int i = 0; i < frames; ++i) {
        const double left = Saw(50.0 * i / frames, 6);
        const double right = Saw(51.0 * i / frames, 6);
        Push16(pad.Pcm, left * 0.8);
        Push16(pad.Pcm, right * 0.8);
    }
    pad.LoopStart = 0;
    pad.LoopEnd = static_cast<int32_t>(pad.Pcm.size());
    return pad;
}

TWriterSample MakePluck()
{
    TWriterSample pluck = Named("Pluck - string", MiddleCRate, 190);
    pluck.Encoding = TWriterEncoding::Packed;
    // A delay line of one cycle, averaged on every pass.
    TNoise noise;
    std::vector<double> line(CycleFrames);
    for (double& v : line) {
        v = noise.Next();
    }
    for (int i = 0; i < 12000; ++i) {
        const size_t at = static_cast<size_t>(i % CycleFrames);
        const double next = line[(at + 1) % line.size()];
        const double out = line[at];
        line[at] = 0.5 * (out + next) * 0.996;
        pluck.Pcm.push_back(To8(out * 0.9));
    }
    return pluck;
}

TWriterSample MakeChop()
{
    TWriterSample chop = Named("Chop - four vowels", MiddleCRate, 170);
    // Two formants per vowel over a buzz at the sample's base pitch.
    const double formants[4][2] = {{730, 1090}, {270, 2290}, {570, 840}, {300, 870}};
    const int segment = 3000;
    for (int v = 0; v < 4; ++v) {
        chop.CuePoints.push_back(static_cast<int32_t>(chop.Pcm.size()));
        for (int i = 0; i < segment; ++i) {
            const double t = static_cast<double>(i) / MiddleCRate;
            double s = 0;
            for (int h = 1; h <= 30; ++h) {
                const double f = 261.63 * h;
                const double gain = std::exp(-std::pow((f - formants[v][0]) / 150.0, 2)) +
                                    0.6 * std::exp(-std::pow((f - formants[v][1]) / 200.0, 2));
                s += gain * std::sin(2 * Pi * f * t);
            }
            const double envelope = std::min(1.0, i / 200.0) * std::min(1.0, (segment - i) / 300.0);
            chop.Pcm.push_back(To8(s * 0.45 * envelope));
        }
    }
    return chop;
}
