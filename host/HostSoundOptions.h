#pragma once
// The options of the listener's sound settings that morvel render and morvel
// play both take: how voices are interpolated, the output rate, the stereo
// separation and click removal. Each left out keeps its default, the sound
// the player has always made.

#include <string>

#include "host/HostOptions.h"
#include "player/DmfSoundSettings.h"

inline constexpr THostOption InterpolationOption = {
    "--interpolation", 0, "NAME",
    "how a voice's sample is read between its frames: linear (the default), none (the nearest frame, hard), cubic "
    "(four frames, rounder) or sinc (band-limited: no aliasing from samples played high)"};
inline constexpr THostOption RateOption = {"--rate", 0, "HZ",
                                           "output rate from 8000 to 192000 (default 44100); song time is the same "
                                           "at every rate"};
inline constexpr THostOption SeparationOption = {
    "--separation", 0, "PERCENT",
    "stereo separation from 0 (mono) to 200 (twice as wide); 100, the default, as composed"};
inline constexpr THostOption ClickRemovalOption = {
    "--click-removal", 0, nullptr,
    "a voice's gain glides over a few milliseconds where it would jump (note starts and cuts, the end of a sample, "
    "volume and panning changes)"};

// The settings the options in Args ask for, each left out at its default;
// false, with Error saying what is wrong and the range a value must keep to,
// when one is not a setting.
bool ReadSoundOptions(const THostArgs& Args, TSoundSettings& Settings, std::string& Error);
