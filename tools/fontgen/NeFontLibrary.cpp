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
constexpr size_t Alignment = size_t(1) << AlignmentShift;
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
    const auto U16 = [&](size_t At) { return uint32_t(Fnt[At] | Fnt[At + 1] << 8); };
    const auto U32 = [&](size_t At) { return U16(At) | U16(At + 2) << 16; };
    if (Fnt.size() < FntHeaderSize || (U16(0) != 0x0200 && U16(0) != 0x0300) || U32(2) != Fnt.size())
        throw TFontError("not an FNT font resource");
    const uint32_t FaceAt = U32(105);
    const auto FaceEnd = FaceAt < Fnt.size() ? std::find(Fnt.begin() + FaceAt, Fnt.end(), 0) : Fnt.end();
    if (FaceEnd == Fnt.end())
        throw TFontError("FNT face name outside the resource");
    return {U16(68), U16(70), U16(72), std::string(Fnt.begin() + FaceAt, FaceEnd)};
}

std::vector<uint8_t> FontDirectory(std::span<const uint8_t> Fnt, const std::string& Face)
{
    TLittleEndianWriter W;
    W.U16(1);  // fonts
    W.U16(FontId);
    W.Append(Fnt.first(FontDirEntryHeaderSize));
    W.U8(0);  // device name: none
    W.Text(Face);
    W.U8(0);
    return W.Data();
}

void PascalString(TLittleEndianWriter& W, std::string_view Text)
{
    W.U8(uint32_t(Text.size()));
    W.Text(Text);
}

}  // namespace

std::vector<uint8_t> BuildFontLibrary(std::span<const uint8_t> Fnt, const std::string& ModuleName)
{
    if (ModuleName.empty() || ModuleName.size() > 8)
        throw TFontError("module name must have 1 to 8 characters");
    const TFntFacts Facts = ReadFntFacts(Fnt);
    const std::vector<uint8_t> Directory = FontDirectory(Fnt, Facts.Face);
    // Font installers read the logical resolution and the face from this description.
    const std::string Description = "FONTRES 100," + std::to_string(Facts.HorizRes) + "," +
                                    std::to_string(Facts.VertRes) + " : " + Facts.Face + " " +
                                    std::to_string(Facts.Points);
    if (Description.size() > 255)
        throw TFontError("module description too long");

    TLittleEndianWriter W;
    // MS-DOS header: 4 paragraphs, the stub right after it.
    W.Text("MZ");
    const size_t DosLastPageAt = W.Size();
    W.U16(0);
    W.U16(0);       // e_cp, patched
    W.U16(0);       // relocations
    W.U16(4);       // header paragraphs
    W.U16(0);       // e_minalloc
    W.U16(0xFFFF);  // e_maxalloc
    W.U16(0);       // e_ss
    W.U16(0xB8);    // e_sp
    W.U16(0);       // e_csum
    W.U16(0);       // e_ip
    W.U16(0);       // e_cs
    W.U16(0x40);    // e_lfarlc
    W.U16(0);       // e_ovno
    W.Zeros(32);    // reserved, OEM fields
    const size_t NewHeaderOffsetAt = W.Size();
    W.U32(0);  // e_lfanew, patched
    W.Append(DosStubCode);
    W.Text(DosStubMessage);
    W.PadTo(Alignment);
    const size_t DosImageSize = W.Size();
    W.PatchU16(DosLastPageAt, DosImageSize % 512);
    W.PatchU16(DosLastPageAt + 2, (DosImageSize + 511) / 512);

    const size_t Ne = W.Size();
    W.PatchU32(NewHeaderOffsetAt, uint32_t(Ne));

    // The tables after the NE header, their offsets relative to it.
    TLittleEndianWriter Resources;
    Resources.U16(AlignmentShift);
    Resources.U16(FontDirType);
    Resources.U16(1);
    Resources.U32(0);
    const size_t DirectoryEntryAt = Resources.Size();
    Resources.Zeros(12);
    Resources.U16(FontType);
    Resources.U16(1);
    Resources.U32(0);
    const size_t FontEntryAt = Resources.Size();
    Resources.Zeros(12);
    Resources.U16(0);  // end of types
    const size_t DirectoryNameAt = Resources.Size();
    PascalString(Resources, "FONTDIR");
    Resources.U8(0);  // end of names

    TLittleEndianWriter ResidentNames;
    PascalString(ResidentNames, ModuleName);
    ResidentNames.U16(0);  // ordinal
    ResidentNames.U8(0);

    TLittleEndianWriter NonResidentNames;
    PascalString(NonResidentNames, Description);
    NonResidentNames.U16(0);
    NonResidentNames.U8(0);

    const size_t SegmentTable = NeHeaderSize;  // no segments
    const size_t ResourceTable = SegmentTable;
    const size_t ResidentNameTable = ResourceTable + Resources.Size();
    const size_t ModuleReferenceTable = ResidentNameTable + ResidentNames.Size();  // no references
    const size_t ImportedNameTable = ModuleReferenceTable;
    const size_t EntryTable = ImportedNameTable + 1;  // the imported names' empty first byte
    const size_t EntryTableSize = 2;                  // no entry points
    const size_t NonResidentNameTable = Ne + EntryTable + EntryTableSize;

    W.Text("NE");
    W.U8(5);  // linker version
    W.U8(0);
    W.U16(uint32_t(EntryTable));
    W.U16(uint32_t(EntryTableSize));
    W.U32(0);  // CRC
    W.U16(LibraryModuleFlags);
    W.U16(0);  // automatic data segment: none
    W.U16(0);  // heap
    W.U16(0);  // stack
    W.U32(0);  // CS:IP
    W.U32(0);  // SS:SP
    W.U16(0);  // segments
    W.U16(0);  // module references
    W.U16(uint32_t(NonResidentNames.Size()));
    W.U16(uint32_t(SegmentTable));
    W.U16(uint32_t(ResourceTable));
    W.U16(uint32_t(ResidentNameTable));
    W.U16(uint32_t(ModuleReferenceTable));
    W.U16(uint32_t(ImportedNameTable));
    W.U32(uint32_t(NonResidentNameTable));
    W.U16(0);  // movable entry points
    W.U16(AlignmentShift);
    W.U16(0);  // resource segments
    W.U8(WindowsTarget);
    W.U8(0);   // other flags
    W.U16(0);  // fast-load area
    W.U16(0);
    W.U16(0);  // minimum code swap area
    W.U16(ExpectedWindowsVersion);

    const size_t ResourcesAt = W.Size();
    W.Append(Resources.Data());
    W.Append(ResidentNames.Data());
    W.U8(0);  // imported names
    W.Zeros(EntryTableSize);
    W.Append(NonResidentNames.Data());

    // The resources, each padded to the alignment; offsets and lengths in alignment units.
    const auto PlaceResource = [&](std::span<const uint8_t> Data, size_t EntryAt, uint32_t Flags, uint32_t Id) {
        W.PadTo(Alignment);
        const size_t At = W.Size();
        W.Append(Data);
        W.PadTo(Alignment);
        const size_t Entry = ResourcesAt + EntryAt;
        W.PatchU16(Entry, uint32_t(At >> AlignmentShift));
        W.PatchU16(Entry + 2, uint32_t((W.Size() - At) >> AlignmentShift));
        W.PatchU16(Entry + 4, Flags);
        W.PatchU16(Entry + 6, Id);
    };
    PlaceResource(Directory, DirectoryEntryAt, FontDirFlags, uint32_t(DirectoryNameAt));
    PlaceResource(Fnt, FontEntryAt, FontFlags, IntegerId | FontId);
    return W.Data();
}
