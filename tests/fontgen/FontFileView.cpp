#include "tests/fontgen/FontFileView.h"

#include <algorithm>
#include <stdexcept>

#include "tests/support/TestFiles.h"

namespace {

class TLeBytes {
public:
    explicit TLeBytes(std::span<const uint8_t> Bytes) : Bytes(Bytes) { }
    std::span<const uint8_t> Range(uint64_t At, uint64_t Count) const
    {
        if (At > Bytes.size() || Count > Bytes.size() - At)
            throw std::out_of_range("structure outside the file");
        return Bytes.subspan(size_t(At), size_t(Count));
    }
    uint32_t U8(uint64_t At) const { return Range(At, 1)[0]; }
    uint32_t U16(uint64_t At) const { return U8(At) | U8(At + 1) << 8; }
    uint32_t U32(uint64_t At) const { return U16(At) | U16(At + 2) << 16; }
    std::string CString(uint64_t At) const
    {
        const auto Rest = Range(At, Bytes.size() - std::min<uint64_t>(At, Bytes.size()));
        const auto End = std::find(Rest.begin(), Rest.end(), 0);
        if (End == Rest.end())
            throw std::out_of_range("string without terminator");
        return std::string(Rest.begin(), End);
    }
    std::string Pascal(uint64_t At) const
    {
        const auto Chars = Range(At + 1, U8(At));
        return std::string(Chars.begin(), Chars.end());
    }

private:
    std::span<const uint8_t> Bytes;
};

}  // namespace

TFntView ReadFnt(std::span<const uint8_t> Bytes)
{
    const TLeBytes B(Bytes);
    TFntView V;
    TFntHeader& H = V.Header;
    H.Version = B.U16(0);
    H.Size = B.U32(2);
    H.Copyright = std::string(reinterpret_cast<const char*>(B.Range(6, 60).data()), 60);
    H.Copyright.resize(std::min(H.Copyright.find('\0'), H.Copyright.size()));
    H.Type = B.U16(66);
    H.Points = B.U16(68);
    H.VertRes = B.U16(70);
    H.HorizRes = B.U16(72);
    H.Ascent = B.U16(74);
    H.InternalLeading = B.U16(76);
    H.ExternalLeading = B.U16(78);
    H.Italic = B.U8(80);
    H.Underline = B.U8(81);
    H.StrikeOut = B.U8(82);
    H.Weight = B.U16(83);
    H.CharSet = B.U8(85);
    H.PixWidth = B.U16(86);
    H.PixHeight = B.U16(88);
    H.PitchAndFamily = B.U8(90);
    H.AvgWidth = B.U16(91);
    H.MaxWidth = B.U16(93);
    H.FirstChar = B.U8(95);
    H.LastChar = B.U8(96);
    H.DefaultChar = B.U8(97);
    H.BreakChar = B.U8(98);
    H.WidthBytes = B.U16(99);
    H.Device = B.U32(101);
    H.Face = B.U32(105);
    H.BitsPointer = B.U32(109);
    H.BitsOffset = B.U32(113);
    if (H.Version != 0x200)
        throw std::out_of_range("not an FNT 2.0 resource");
    const size_t TableAt = 118;
    for (uint32_t I = 0; I + H.FirstChar <= H.LastChar + 1; ++I)
        V.Table.push_back({B.U16(TableAt + 4 * I), B.U16(TableAt + 4 * I + 2)});
    V.Face = B.CString(H.Face);
    V.Bytes.assign(Bytes.begin(), Bytes.end());
    return V;
}

std::vector<std::string> TFntView::Cell(size_t Slot) const
{
    const TLeBytes B(Bytes);
    const TFntCharEntry& Entry = Table.at(Slot);
    const uint32_t Height = Header.PixHeight;
    const uint32_t ByteColumns = (Entry.Width + 7) / 8;
    const auto Bits = B.Range(Entry.Offset, uint64_t(ByteColumns) * Height);
    std::vector<std::string> Rows(Height, std::string(Entry.Width, '.'));
    for (uint32_t Y = 0; Y < Height; ++Y)
        for (uint32_t X = 0; X < Entry.Width; ++X)
            if (Bits[(X / 8) * Height + Y] & (0x80 >> (X % 8)))
                Rows[Y][X] = '#';
    return Rows;
}

TNeFontLibraryView ReadFontLibrary(std::span<const uint8_t> Bytes)
{
    const TLeBytes B(Bytes);
    if (B.U8(0) != 'M' || B.U8(1) != 'Z')
        throw std::out_of_range("no MS-DOS header");
    TNeFontLibraryView V;
    V.NeOffset = B.U32(0x3C);
    const uint64_t Ne = V.NeOffset;
    if (B.U8(Ne) != 'N' || B.U8(Ne + 1) != 'E')
        throw std::out_of_range("no NE header");
    B.Range(Ne, 0x40);
    V.Flags = B.U16(Ne + 0x0C);
    V.TargetOs = B.U8(Ne + 0x36);
    const uint64_t ResourceTable = Ne + B.U16(Ne + 0x24);
    const uint64_t ResidentNames = Ne + B.U16(Ne + 0x26);
    const uint64_t NonResidentNames = B.U32(Ne + 0x2C);
    B.Range(NonResidentNames, B.U16(Ne + 0x20));
    V.ModuleName = B.Pascal(ResidentNames);
    V.Description = B.Pascal(NonResidentNames);

    V.AlignmentShift = B.U16(ResourceTable);
    uint64_t At = ResourceTable + 2;
    while (const uint32_t Type = B.U16(At)) {
        const uint32_t Count = B.U16(At + 2);
        At += 8;
        for (uint32_t I = 0; I < Count; ++I, At += 12) {
            TNeResource R;
            R.Type = Type;
            R.Offset = uint64_t(B.U16(At)) << V.AlignmentShift;
            R.Length = uint64_t(B.U16(At + 2)) << V.AlignmentShift;
            R.Flags = B.U16(At + 4);
            R.Id = B.U16(At + 6);
            if (!(R.Id & 0x8000))
                R.Name = B.Pascal(ResourceTable + R.Id);
            const auto Data = B.Range(R.Offset, R.Length);
            R.Data.assign(Data.begin(), Data.end());
            V.Resources.push_back(R);
        }
    }
    return V;
}

std::vector<uint8_t> ReadWholeFile(const std::string& Path)
{
    std::vector<uint8_t> Bytes = ReadFileBytes(Path);
    if (Bytes.empty())
        throw std::runtime_error("cannot read " + Path);
    return Bytes;
}
