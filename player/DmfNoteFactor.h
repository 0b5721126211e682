#pragma once
// Pitch of each note relative to note 25: NoteFactor[n] = 2^((n - 25) / 12),
// each entry the double nearest to the exact power (so every build computes
// bit-identical frequencies). Entry 0 is unused; notes are held to 1..107.

#include <array>

// clang-format off
inline constexpr std::array<double, 109> NoteFactor = {
    0.0, 0x1.0000000000000p-2, 0x1.0f38f92d97963p-2, 0x1.1f59ac3c7d6c0p-2,
    0x1.306fe0a31b715p-2, 0x1.428a2f98d728bp-2, 0x1.55b8108f0ec5ep-2, 0x1.6a09e667f3bcdp-2,
    0x1.7f910d768cfb0p-2, 0x1.965fea53d6e3dp-2, 0x1.ae89f995ad3adp-2, 0x1.c823e074ec129p-2,
    0x1.e3437e7101344p-2, 0x1.0000000000000p-1, 0x1.0f38f92d97963p-1, 0x1.1f59ac3c7d6c0p-1,
    0x1.306fe0a31b715p-1, 0x1.428a2f98d728bp-1, 0x1.55b8108f0ec5ep-1, 0x1.6a09e667f3bcdp-1,
    0x1.7f910d768cfb0p-1, 0x1.965fea53d6e3dp-1, 0x1.ae89f995ad3adp-1, 0x1.c823e074ec129p-1,
    0x1.e3437e7101344p-1, 0x1.0000000000000p+0, 0x1.0f38f92d97963p+0, 0x1.1f59ac3c7d6c0p+0,
    0x1.306fe0a31b715p+0, 0x1.428a2f98d728bp+0, 0x1.55b8108f0ec5ep+0, 0x1.6a09e667f3bcdp+0,
    0x1.7f910d768cfb0p+0, 0x1.965fea53d6e3dp+0, 0x1.ae89f995ad3adp+0, 0x1.c823e074ec129p+0,
    0x1.e3437e7101344p+0, 0x1.0000000000000p+1, 0x1.0f38f92d97963p+1, 0x1.1f59ac3c7d6c0p+1,
    0x1.306fe0a31b715p+1, 0x1.428a2f98d728bp+1, 0x1.55b8108f0ec5ep+1, 0x1.6a09e667f3bcdp+1,
    0x1.7f910d768cfb0p+1, 0x1.965fea53d6e3dp+1, 0x1.ae89f995ad3adp+1, 0x1.c823e074ec129p+1,
    0x1.e3437e7101344p+1, 0x1.0000000000000p+2, 0x1.0f38f92d97963p+2, 0x1.1f59ac3c7d6c0p+2,
    0x1.306fe0a31b715p+2, 0x1.428a2f98d728bp+2, 0x1.55b8108f0ec5ep+2, 0x1.6a09e667f3bcdp+2,
    0x1.7f910d768cfb0p+2, 0x1.965fea53d6e3dp+2, 0x1.ae89f995ad3adp+2, 0x1.c823e074ec129p+2,
    0x1.e3437e7101344p+2, 0x1.0000000000000p+3, 0x1.0f38f92d97963p+3, 0x1.1f59ac3c7d6c0p+3,
    0x1.306fe0a31b715p+3, 0x1.428a2f98d728bp+3, 0x1.55b8108f0ec5ep+3, 0x1.6a09e667f3bcdp+3,
    0x1.7f910d768cfb0p+3, 0x1.965fea53d6e3dp+3, 0x1.ae89f995ad3adp+3, 0x1.c823e074ec129p+3,
    0x1.e3437e7101344p+3, 0x1.0000000000000p+4, 0x1.0f38f92d97963p+4, 0x1.1f59ac3c7d6c0p+4,
    0x1.306fe0a31b715p+4, 0x1.428a2f98d728bp+4, 0x1.55b8108f0ec5ep+4, 0x1.6a09e667f3bcdp+4,
    0x1.7f910d768cfb0p+4, 0x1.965fea53d6e3dp+4, 0x1.ae89f995ad3adp+4, 0x1.c823e074ec129p+4,
    0x1.e3437e7101344p+4, 0x1.0000000000000p+5, 0x1.0f38f92d97963p+5, 0x1.1f59ac3c7d6c0p+5,
    0x1.306fe0a31b715p+5, 0x1.428a2f98d728bp+5, 0x1.55b8108f0ec5ep+5, 0x1.6a09e667f3bcdp+5,
    0x1.7f910d768cfb0p+5, 0x1.965fea53d6e3dp+5, 0x1.ae89f995ad3adp+5, 0x1.c823e074ec129p+5,
    0x1.e3437e7101344p+5, 0x1.0000000000000p+6, 0x1.0f38f92d97963p+6, 0x1.1f59ac3c7d6c0p+6,
    0x1.306fe0a31b715p+6, 0x1.428a2f98d728bp+6, 0x1.55b8108f0ec5ep+6, 0x1.6a09e667f3bcdp+6,
    0x1.7f910d768cfb0p+6, 0x1.965fea53d6e3dp+6, 0x1.ae89f995ad3adp+6, 0x1.c823e074ec129p+6,
    0x1.e3437e7101344p+6,
};
// clang-format on
