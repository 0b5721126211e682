// Aliasing, measured: a sine sample played at steps from 0.5 to 8 source
// frames per output frame under each interpolation, and the energy of all
// the mix holds that is not the tone, relative to the tone.
//
// Two tones for each step, read from the mixer's accumulators (no rounding to
// 16 bits in the way) over 4096 output frames:
// - in the band: the tone at 0.2 of the output rate (the sample's sine at
//   0.2 / step of its rate). A least-squares fit of the tone (a sine and a
//   cosine at its frequency, and a constant) is taken away; what is left is
//   the images the interpolation lets through, against the tone's energy.
//   (At a whole step every frame is read at the same fraction, and there are
//   no images: all four leave only the sample's own rounding.)
// - above the band: the tone at 0.8 of the output rate, past its Nyquist
//   frequency (the sine at 0.8 / step of the sample's rate, for steps of 2 and
//   more, where the sample can hold it): all the mix holds is alias, against
//   the energy the tone would have.
// The sinc must stay 40 dB below linear wherever the step is above 1; the
// test prints the whole table.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <vector>

#include "tests/player/MixerFixture.h"

namespace {

constexpr int32_t Frames = 4096;
constexpr double Amplitude = 30000.0;
constexpr double Steps[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0, 6.0, 8.0};
constexpr TInterpolation Interpolations4[] = {TInterpolation::None, TInterpolation::Linear, TInterpolation::Cubic,
                                              TInterpolation::Sinc};

// The left accumulators of Frames frames of a 16-bit sine at Cycles per
// source frame, played at Step from frame 512 on at unit gain.
std::vector<double> MixedSine(TInterpolation Interpolation, double Step, double Cycles)
{
    const auto length = static_cast<size_t>(Step * Frames) + 1024;
    std::vector<int16_t> values(length);
    for (size_t i = 0; i < length; ++i) {
        values[i] = static_cast<int16_t>(std::lround(Amplitude * std::sin(2.0 * std::numbers::pi * Cycles * i + 0.3)));
    }
    const TTestPcm pcm = Pcm16(values);
    auto song = SongWithTick(Frames);
    song->Sound.Interpolation = Interpolation;
    TVoice& voice = song->Voices[0];
    PlayPcm(voice, pcm, VoiceFlag16Bit);
    voice.Frequency = static_cast<int32_t>(Step * OutputRate);  // exact: the steps are whole quarters
    voice.Position = 2 * 512;
    voice.LeftGain = 255;
    song->MixTick();
    const std::vector<float> sums = TDmfMixerProbe::MixBuffer(*song);
    std::vector<double> left(Frames);
    for (int32_t k = 0; k < Frames; ++k) {
        left[static_cast<size_t>(k)] = sums[2 * static_cast<size_t>(k)] / (255 * MixerGainScale);
    }
    return left;
}

double Decibels(double Ratio)
{
    return 10.0 * std::log10(std::max(Ratio, 1e-30));
}

// What is not a tone at Cycles per output frame, against the tone, in dB.
double InBandAlias(const std::vector<double>& Mix, double Cycles)
{
    // The normal equations of the fit of sine, cosine and constant.
    std::array<std::array<double, 4>, 3> system{};
    for (size_t k = 0; k < Mix.size(); ++k) {
        const double angle = 2.0 * std::numbers::pi * Cycles * static_cast<double>(k);
        const std::array<double, 3> basis = {std::sin(angle), std::cos(angle), 1.0};
        for (size_t r = 0; r < 3; ++r) {
            for (size_t c = 0; c < 3; ++c) {
                system[r][c] += basis[r] * basis[c];
            }
            system[r][3] += basis[r] * Mix[k];
        }
    }
    for (size_t p = 0; p < 3; ++p) {
        for (size_t r = p + 1; r < 3; ++r) {
            const double factor = system[r][p] / system[p][p];
            for (size_t c = p; c < 4; ++c) {
                system[r][c] -= factor * system[p][c];
            }
        }
    }
    std::array<double, 3> fit{};
    for (size_t p = 3; p-- > 0;) {
        double sum = system[p][3];
        for (size_t c = p + 1; c < 3; ++c) {
            sum -= system[p][c] * fit[c];
        }
        fit[p] = sum / system[p][p];
    }
    double rest = 0.0;
    for (size_t k = 0; k < Mix.size(); ++k) {
        const double angle = 2.0 * std::numbers::pi * Cycles * static_cast<double>(k);
        const double tone = fit[0] * std::sin(angle) + fit[1] * std::cos(angle) + fit[2];
        rest += (Mix[k] - tone) * (Mix[k] - tone);
    }
    const double toneEnergy = (fit[0] * fit[0] + fit[1] * fit[1]) / 2.0 * static_cast<double>(Mix.size());
    return Decibels(rest / toneEnergy);
}

// All the mix holds against the energy of the tone it came from, in dB.
double AboveBandAlias(const std::vector<double>& Mix)
{
    double energy = 0.0;
    for (const double value : Mix) {
        energy += value * value;
    }
    return Decibels(energy / (Amplitude * Amplitude / 2.0 * static_cast<double>(Mix.size())));
}

std::optional<double> AliasOf(TInterpolation Interpolation, double Step, bool InBand)
{
    if (InBand) {
        return InBandAlias(MixedSine(Interpolation, Step, 0.2 / Step), 0.2);
    }
    if (0.8 / Step >= 0.5) {
        return std::nullopt;  // the sample cannot hold the tone
    }
    return AboveBandAlias(MixedSine(Interpolation, Step, 0.8 / Step));
}

TEST(MixerAliasing, TheSincStaysFortyDecibelsBelowLinearAboveAStepOfOne)
{
    for (const bool inBand : {true, false}) {
        std::printf("%s: dB against the tone, by step\n%-8s",
                    inBand ? "tone at 0.2 of the output rate" : "tone at 0.8 of the output rate", "");
        for (const double step : Steps) {
            std::printf("%8.2f", step);
        }
        std::printf("\n");
        std::array<std::array<std::optional<double>, std::size(Steps)>, std::size(Interpolations4)> table;
        for (size_t i = 0; i < std::size(Interpolations4); ++i) {
            std::printf("%-8s", InterpolationName(Interpolations4[i]));
            for (size_t s = 0; s < std::size(Steps); ++s) {
                table[i][s] = AliasOf(Interpolations4[i], Steps[s], inBand);
                if (table[i][s]) {
                    std::printf("%8.1f", *table[i][s]);
                } else {
                    std::printf("%8s", "-");
                }
            }
            std::printf("\n");
        }
        for (size_t s = 0; s < std::size(Steps); ++s) {
            const std::optional<double> linear = table[1][s];
            const std::optional<double> sinc = table[3][s];
            // Above a step of 1, where linear aliases at all: at whole steps
            // an in-band tone has no images under any interpolation.
            if (Steps[s] > 1.0 && linear && (!inBand || Steps[s] != std::floor(Steps[s]))) {
                EXPECT_LE(*sinc, *linear - 40.0) << "step " << Steps[s] << (inBand ? " in" : " above") << " the band";
            }
        }
    }
}

}  // namespace
