#pragma once
// Reads back a Windows font library (.fon) and its FNT resource for the tests,
// by the formats' documented offsets, independently of the generator's code.
// Throws std::out_of_range when any structure points outside the file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct TFntHeader {
    uint32_t Version, Size;
    std::string Copyright;
    uint32_t Type, Points, VertRes, HorizRes, Ascent, InternalLeading, ExternalLeading;
    uint32_t Italic, Underline, StrikeOut, Weight, CharSet, PixWidth, PixHeight, PitchAndFamily;
    uint32_t AvgWidth, MaxWidth, FirstChar, LastChar, DefaultChar, BreakChar, WidthBytes;
    uint32_t Device, Face, BitsPointer, BitsOffset;
};

struct TFntCharEntry {
    uint32_t Width, Offset;
};

struct TFntView {
    TFntHeader Header;
    std::vector<TFntCharEntry> Table;  // LastChar - FirstChar + 2 entries
    std::string Face;
    // One character's cell, row by row, '#' = ink; Slot counts from FirstChar.
    std::vector<std::string> Cell(size_t Slot) const;
    std::vector<uint8_t> Bytes;
};

TFntView ReadFnt(std::span<const uint8_t> Bytes);

struct TNeResource {
    uint32_t Type, Id;
    std::string Name;  // for a named resource
    uint32_t Flags;
    uint64_t Offset, Length;  // in bytes
    std::vector<uint8_t> Data;
};

struct TNeFontLibraryView {
    uint32_t NeOffset;
    uint32_t AlignmentShift;
    std::vector<TNeResource> Resources;
    std::string ModuleName;   // first resident name
    std::string Description;  // first non-resident name
    uint32_t TargetOs;
    uint32_t Flags;
};

TNeFontLibraryView ReadFontLibrary(std::span<const uint8_t> Bytes);

std::vector<uint8_t> ReadWholeFile(const std::string& Path);
