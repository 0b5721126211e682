#pragma once
// The keys of morvel play, as its help texts list them. The key decoder
// (HostTerminal) reads these keys; this list is what users are told.

struct TPlayKey {
    const char* Keys;    // as typed, e.g. "left, right"
    const char* Action;  // what they do
};

inline constexpr TPlayKey PlayKeys[] = {
    {"space, c", "pause or resume"},
    {"left, right", "seek 10 s back or forward"},
    {", .", "seek 1 s back or forward"},
    {"n, b", "next file"},
    {"p, z", "previous file"},
    {"h, ?", "show the keys"},
    {"q, Esc", "quit"},
};
