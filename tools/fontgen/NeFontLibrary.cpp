#include "tools/fontgen/NeFontLibrary.h"

#include <algorithm>

#include "tools/fontgen/BitmapFont.h"
#include "tools/fontgen/LittleEndianWriter.h"

namespace {

constexpr size_t FntHeaderSize = 118;
// A font directory entry repeats the FNT header up to dfFace, then a reserved
// double word where the header has dfBitsPointer.
constexpr size_t FontDirEntryHeaderSize = 113;
constexpr uint32_t AlignmentShift = 4;  // resources start on 16-byte boundaries
constexpr size_t Alignment = static_cast<size_t>(1) << AlignmentShift;
constexpr size_t NeHeaderSize = 0x40;

constexpr uint32_t FontDirType = 0x8007;  // RT_FONTDIR
constexpr uint32_t FontType = 0x8008;     // RT_FONT
constexpr uint32_t FontId = 1;
constexpr uint32_t IntegerId = 0x8000;
// Resource flags as Windows' own font libraries have them: movable, pure,
// preloaded (the directory) or discardable (the font).
constexpr uint32_t FontDirFlags = 0x0C50;
constexpr uint32_t FontFlags = 0x1C30;
constexpr uint32_t LibraryModuleFlags = 0x8300;  // a library using the Windows API
constexpr uint32_t WindowsTarget = 2;
constexpr uint32_t ExpectedWindowsVersion = 0x0300;

// Prints the message and exits when run under MS-DOS.
constexpr uint8_t DosStubCode[] = {
    0x0E,              // push cs
    0x1F,              // pop ds
    0xBA, 0x0E, 0x00,  // mov dx, message
    0xB4, 0x09,        // mov ah, 9 (print string)
    0xCD, 0x21,        // int 21h
    0xB8, 0x01, 0x4C,  // mov ax, 4C01h (exit with status 1)
    0xCD, 0x21,        // int 21h
};
constexpr std::string_view DosStubMessage = "This is a Windows font library, not a program.\r\n$";

struct TFntFacts {
    uint32_t Points, VertRes, HorizRes;
    std::string Face;
};

TFntFacts ReadFntFacts(std::span<const uint8_t> Fnt)
{
    const auto u16 = [&](size_t At) { return static_cast<uint32_t>(Fnt[At] | Fnt[At + 1] << 8); };
    const auto u32 = [&](size_t At) { return u16(At) | u16(At + 2) << 16; };
    if (Fnt.size() < FntHeaderSize || (u16(0) != 0x0200 && u16(0) != 0x0300) || u32(2) != Fnt.size()) {
        throw TFontError("not an FNT font resource");
    }
    const uint32_t faceAt = u32(105);
    const auto faceEnd = faceAt < Fnt.size() ? std::find(Fnt.begin() + faceAt, Fnt.end(), 0) : Fnt.end();
    if (faceEnd == Fnt.end()) {
        throw TFontError("FNT face name outside the resource");
    }
    return {u16(68), u16(70), u16(72), std::string(Fnt.begin() + faceAt, faceEnd)};
}

std::vector<uint8_t> FontDirectory(std::span<const uint8_t> Fnt, const std::string& Face)
{
    TLittleEndianWriter w;
    w.U16(1);  // fonts
    w.U16(FontId);
    w.Append(Fnt.first(FontDirEntryHeaderSize));
    w.U8(0);  // device name: none
    w.Text(Face);
    w.U8(0);
    return w.Data();
}

void PascalString(TLittleEndianWriter& W, std::string_view Text)
{
    W.U8(static_cast<uint32_t>(Text.size()));
    W.Text(Text);
}

}  // namespace

std::vector<uint8_t> BuildFontLibrary(std::span<const uint8_t> Fnt, const std::string& ModuleName)
{
    if (ModuleName.empty() || ModuleName.size() > 8) {
        throw TFontError("module name must have 1 to 8 characters");
    }
    const TFntFacts facts = ReadFntFacts(Fnt);
    const std::vector<uint8_t> directory = FontDirectory(Fnt, facts.Face);
    // Font installers read the logical resolution and the face from this description.
    const std::string description = "FONTRES 100," + std::to_string(facts.HorizRes) + "," +
                                    std::to_string(facts.VertRes) + " : " + facts.Face + " " +
                                    std::to_string(facts.Points);
    if (description.size() > 255) {
        throw TFontError("module description too long");
    }

    TLittleEndianWriter w;
    // MS-DOS header: 4 paragraphs, the stub right after it.
    w.Text("MZ");
    const size_t dosLastPageAt = w.Size();
    w.U16(0);
    w.U16(0);       // e_cp, patched
    w.U16(0);       // relocations
    w.U16(4);       // header paragraphs
    w.U16(0);       // e_minalloc
    w.U16(0xFFFF);  // e_maxalloc
    w.U16(0);       // e_ss
    w.U16(0xB8);    // e_sp
    w.U16(0);       // e_csum
    w.U16(0);       // e_ip
    w.U16(0);       // e_cs
    w.U16(0x40);    // e_lfarlc
    w.U16(0);       // e_ovno
    w.Zeros(32);    // reserved, OEM fields
    const size_t newHeaderOffsetAt = w.Size();
    w.U32(0);  // e_lfanew, patched
    w.Append(DosStubCode);
    w.Text(DosStubMessage);
    w.PadTo(Alignment);
    const size_t dosImageSize = w.Size();
    w.PatchU16(dosLastPageAt, dosImageSize % 512);
    w.PatchU16(dosLastPageAt + 2, (dosImageSize + 511) / 512);

    const size_t ne = w.Size();
    w.PatchU32(newHeaderOffsetAt, static_cast<uint32_t>(ne));

    // The tables after the NE header, their offsets relative to it.
    TLittleEndianWriter resources;
    resources.U16(AlignmentShift);
    resources.U16(FontDirType);
    resources.U16(1);
    resources.U32(0);
    const size_t directoryEntryAt = resources.Size();
    resources.Zeros(12);
    resources.U16(FontType);
    resources.U16(1);
    resources.U32(0);
    const size_t fontEntryAt = resources.Size();
    resources.Zeros(12);
    resources.U16(0);  // end of types
    const size_t directoryNameAt = resources.Size();
    PascalString(resources, "FONTDIR");
    resources.U8(0);  // end of names

    TLittleEndianWriter residentNames;
    PascalString(residentNames, ModuleName);
    residentNames.U16(0);  // ordinal
    residentNames.U8(0);

    TLittleEndianWriter nonResidentNames;
    PascalString(nonResidentNames, description);
    nonResidentNames.U16(0);
    nonResidentNames.U8(0);

    const size_t segmentTable = NeHeaderSize;  // no segments
    const size_t resourceTable = segmentTable;
    const size_t residentNameTable = resourceTable + resources.Size();
    const size_t moduleReferenceTable = residentNameTable + residentNames.Size();  // no references
    const size_t importedNameTable = moduleReferenceTable;
    const size_t entryTable = importedNameTable + 1;  // the imported names' empty first byte
    const size_t entryTableSize = 2;                  // no entry points
    const size_t nonResidentNameTable = ne + entryTable + entryTableSize;

    w.Text("NE");
    w.U8(5);  // linker version
    w.U8(0);
    w.U16(static_cast<uint32_t>(entryTable));
    w.U16(static_cast<uint32_t>(entryTableSize));
    w.U32(0);  // CRC
    w.U16(LibraryModuleFlags);
    w.U16(0);  // automatic data segment: none
    w.U16(0);  // heap
    w.U16(0);  // stack
    w.U32(0);  // CS:IP
    w.U32(0);  // SS:SP
    w.U16(0);  // segments
    w.U16(0);  // module references
    w.U16(static_cast<uint32_t>(nonResidentNames.Size()));
    w.U16(static_cast<uint32_t>(segmentTable));
    w.U16(static_cast<uint32_t>(resourceTable));
    w.U16(static_cast<uint32_t>(residentNameTable));
    w.U16(static_cast<uint32_t>(moduleReferenceTable));
    w.U16(static_cast<uint32_t>(importedNameTable));
    w.U32(static_cast<uint32_t>(nonResidentNameTable));
    w.U16(0);  // movable entry points
    w.U16(AlignmentShift);
    w.U16(0);  // resource segments
    w.U8(WindowsTarget);
    w.U8(0);   // other flags
    w.U16(0);  // fast-load area
    w.U16(0);
    w.U16(0);  // minimum code swap area
    w.U16(ExpectedWindowsVersion);

    const size_t resourcesAt = w.Size();
    w.Append(resources.Data());
    w.Append(residentNames.Data());
    w.U8(0);  // imported names
    w.Zeros(entryTableSize);
    w.Append(nonResidentNames.Data());

    // The resources, each padded to the alignment; offsets and lengths in alignment units.
    const auto placeResource = [&](std::span<const uint8_t> Data, size_t EntryAt, uint32_t Flags, uint32_t Id) {
        w.PadTo(Alignment);
        const size_t at = w.Size();
        w.Append(Data);
        w.PadTo(Alignment);
        const size_t entry = resourcesAt + EntryAt;
        w.PatchU16(entry, static_cast<uint32_t>(at >> AlignmentShift));
        w.PatchU16(entry + 2, static_cast<uint32_t>((w.Size() - at) >> AlignmentShift));
        w.PatchU16(entry + 4, Flags);
        w.PatchU16(entry + 6, Id);
    };
    placeResource(directory, directoryEntryAt, FontDirFlags, static_cast<uint32_t>(directoryNameAt));
    placeResource(Fnt, fontEntryAt, FontFlags, IntegerId | FontId);
    return w.Data();
}
