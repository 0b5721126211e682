#pragma once
// A looped sample for test songs: bytes that are never silence and never
// one steady level, so that a song playing it shows where it is in its PCM.

#include <cstdint>

#include "tools/writer/WriterSong.h"

inline TWriterSample LoopedTone(int Bytes)
{
    TWriterSample tone;
    tone.Name = "tone";
    for (int i = 0; i < Bytes; ++i) {
        tone.Pcm.push_back(static_cast<uint8_t>((i * 37) ^ (i >> 2)));
    }
    tone.Looped = true;
    tone.LoopStart = 0;
    tone.LoopEnd = Bytes;
    return tone;
}
