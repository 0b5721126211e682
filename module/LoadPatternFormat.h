#pragma once
// Bits of the info byte that starts each crunched cell of a pattern block.

#include <cstdint>

inline constexpr uint8_t InfoRepeat = 0x80;            // a repeat count byte follows
inline constexpr uint8_t InfoInstrument = 0x40;        // note track: an instrument byte follows
inline constexpr uint8_t InfoNote = 0x20;              // a note byte follows
inline constexpr uint8_t InfoVolume = 0x10;            // a volume byte follows
inline constexpr uint8_t InfoInstrumentEffect = 0x08;  // an instrument effect and its parameter follow
inline constexpr uint8_t InfoNoteEffect = 0x04;        // a note effect and its parameter follow
inline constexpr uint8_t InfoVolumeEffect = 0x02;      // a volume effect and its parameter follow
inline constexpr uint8_t GlobalEffectMask = 0x7F;      // global track: the low 7 bits are the effect
