#pragma once
// Builds ".dmf" module files block by block, in any order, so that tests and
// tools can make well-formed songs as well as damaged ones (unknown blocks,
// wrong lengths, blocks cut short).

#include <cstdint>
#include <string>
#include <vector>

#include "tools/writer/WriterSong.h"

class TModuleWriter {
public:
    // Header block: version, 8-character tracker name, title (30) and composer (20), zero-padded.
    TModuleWriter& Header(uint8_t Version, const std::string& Title, const std::string& Composer,
                          const std::string& Tracker = "MORVEL");
    // Message block holding Text as is (the reader cuts it into 40-column lines).
    TModuleWriter& Message(const std::string& Text);
    TModuleWriter& Sequence(uint16_t LoopStart, uint16_t LoopEnd, const std::vector<uint16_t>& Entries);
    TModuleWriter& Patterns(uint8_t SongTracks, const std::vector<TWriterPattern>& List);
    // Sample records: Version decides whether each carries 8 more bytes (above 7).
    TModuleWriter& SampleInfo(const std::vector<TWriterSample>& List, uint8_t Version);
    TModuleWriter& SampleData(const std::vector<TWriterSample>& List);
    TModuleWriter& CuePoints(const std::vector<TWriterSample>& List);
    // Any tag with a length field and Payload after it.
    TModuleWriter& Block(const std::string& Tag, const std::vector<uint8_t>& Payload);
    // Like Block, with a length field that need not match the payload.
    TModuleWriter& BlockWithLength(const std::string& Tag, int32_t Length, const std::vector<uint8_t>& Payload);
    TModuleWriter& End();
    // Bytes appended as they are.
    TModuleWriter& Raw(const std::vector<uint8_t>& Bytes);

    const std::vector<uint8_t>& Bytes() const { return Out; }
    // Offset of every block's tag, in writing order.
    const std::vector<size_t>& BlockStarts() const { return Starts; }

private:
    void Tag(const std::string& Text);
    void U8(uint8_t V) { Out.push_back(V); }
    void U16(uint16_t V);
    void I32(int32_t V);
    // Patches the length field of the block started at Start to cover what follows it.
    void CloseBlock(size_t Start);

    std::vector<uint8_t> Out;    // the file so far
    std::vector<size_t> Starts;  // tag offsets
};

// A whole song: header, message, sequence, patterns, sample blocks, cue
// points (when any sample has some) and the end block.
std::vector<uint8_t> WriteSong(const TWriterSong& Song);
