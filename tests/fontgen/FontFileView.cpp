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
        if (At > Bytes.size() || Count > Bytes.size() - At) {
            throw std::out_of_range("structure outside the file");
        }
        return Bytes.subspan(static_cast<size_t>(At), static_cast<size_t>(Count));
    }
    uint32_t U8(uint64_t At) const { return Range(At, 1)[0]; }
    uint32_t U16(uint64_t At) const { return U8(At) | U8(At + 1) << 8; }
    uint32_t U32(uint64_t At) const { return U16(At) | U16(At + 2) << 16; }
    std::string CString(uint64_t At) const
    {
        const auto rest = Range(At, Bytes.size() - std::min<uint64_t>(At, Bytes.size()));
        const auto end = std::find(rest.begin(), rest.end(), 0);
        if (end == rest.end()) {
            throw std::out_of_range("string without terminator");
        }
        return std::string(rest.begin(), end);
    }
    std::string Pascal(uint64_t At) const
    {
        const auto chars = Range(At + 1, U8(At));
        return std::string(chars.begin(), chars.end());
    }

private:
    std::span<const uint8_t> Bytes;
};

}  // namespace

TFntView ReadFnt(std::span<const uint8_t> Bytes)
{
    const TLeBytes b(Bytes);
    TFntView v;
    TFntHeader& h = v.Header;
    h.Version = b.U16(0);
    h.Size = b.U32(2);
    h.Copyright = std::string(reinterpret_cast<const char*>(b.Range(6, 60).data()), 60);
    h.Copyright.resize(std::min(h.Copyright.find('\0'), h.Copyright.size()));
    h.Type = b.U16(66);
    h.Points = b.U16(68);
    h.VertRes = b.U16(70);
    h.HorizRes = b.U16(72);
    h.Ascent = b.U16(74);
    h.InternalLeading = b.U16(76);
    h.ExternalLeading = b.U16(78);
    h.Italic = b.U8(80);
    h.Underline = b.U8(81);
    h.StrikeOut = b.U8(82);
    h.Weight = b.U16(83);
    h.CharSet = b.U8(85);
    h.PixWidth = b.U16(86);
    h.PixHeight = b.U16(88);
    h.PitchAndFamily = b.U8(90);
    h.AvgWidth = b.U16(91);
    h.MaxWidth = b.U16(93);
    h.FirstChar = b.U8(95);
    h.LastChar = b.U8(96);
    h.DefaultChar = b.U8(97);
    h.BreakChar = b.U8(98);
    h.WidthBytes = b.U16(99);
    h.Device = b.U32(101);
    h.Face = b.U32(105);
    h.BitsPointer = b.U32(109);
    h.BitsOffset = b.U32(113);
    if (h.Version != 0x200) {
        throw std::out_of_range("not an FNT 2.0 resource");
    }
    const size_t tableAt = 118;
    for (uint32_t i = 0; i + h.FirstChar <= h.LastChar + 1; ++i) {
        v.Table.push_back({b.U16(tableAt + 4 * i), b.U16(tableAt + 4 * i + 2)});
    }
    v.Face = b.CString(h.Face);
    v.Bytes.assign(Bytes.begin(), Bytes.end());
    return v;
}

std::vector<std::string> TFntView::Cell(size_t Slot) const
{
    const TLeBytes b(Bytes);
    const TFntCharEntry& entry = Table.at(Slot);
    const uint32_t height = Header.PixHeight;
    const uint32_t byteColumns = (entry.Width + 7) / 8;
    const auto bits = b.Range(entry.Offset, static_cast<uint64_t>(byteColumns) * height);
    std::vector<std::string> rows(height, std::string(entry.Width, '.'));
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < entry.Width; ++x) {
            if (bits[(x / 8) * height + y] & (0x80 >> (x % 8))) {
                rows[y][x] = '#';
            }
        }
    }
    return rows;
}

TNeFontLibraryView ReadFontLibrary(std::span<const uint8_t> Bytes)
{
    const TLeBytes b(Bytes);
    if (b.U8(0) != 'M' || b.U8(1) != 'Z') {
        throw std::out_of_range("no MS-DOS header");
    }
    TNeFontLibraryView v;
    v.NeOffset = b.U32(0x3C);
    const uint64_t ne = v.NeOffset;
    if (b.U8(ne) != 'N' || b.U8(ne + 1) != 'E') {
        throw std::out_of_range("no NE header");
    }
    b.Range(ne, 0x40);
    v.Flags = b.U16(ne + 0x0C);
    v.TargetOs = b.U8(ne + 0x36);
    const uint64_t resourceTable = ne + b.U16(ne + 0x24);
    const uint64_t residentNames = ne + b.U16(ne + 0x26);
    const uint64_t nonResidentNames = b.U32(ne + 0x2C);
    b.Range(nonResidentNames, b.U16(ne + 0x20));
    v.ModuleName = b.Pascal(residentNames);
    v.Description = b.Pascal(nonResidentNames);

    v.AlignmentShift = b.U16(resourceTable);
    uint64_t at = resourceTable + 2;
    while (const uint32_t type = b.U16(at)) {
        const uint32_t count = b.U16(at + 2);
        at += 8;
        for (uint32_t i = 0; i < count; ++i, at += 12) {
            TNeResource r;
            r.Type = type;
            r.Offset = static_cast<uint64_t>(b.U16(at)) << v.AlignmentShift;
            r.Length = static_cast<uint64_t>(b.U16(at + 2)) << v.AlignmentShift;
            r.Flags = b.U16(at + 4);
            r.Id = b.U16(at + 6);
            if (!(r.Id & 0x8000)) {
                r.Name = b.Pascal(resourceTable + r.Id);
            }
            const auto data = b.Range(r.Offset, r.Length);
            r.Data.assign(data.begin(), data.end());
            v.Resources.push_back(r);
        }
    }
    return v;
}

std::vector<uint8_t> ReadWholeFile(const std::string& Path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(Path);
    if (bytes.empty()) {
        throw std::runtime_error("cannot read " + Path);
    }
    return bytes;
}
