#include "tools/writer/WriterSong.h"

#include "tools/writer/WriterPacker.h"

bool TWriterCell::IsEmpty() const
{
    return Instrument == 0 && Note == 0 && Volume == 0 && InstrumentEffect == 0 && InstrumentParam == 0 &&
           NoteEffect == 0 && NoteParam == 0 && VolumeEffect == 0 && VolumeParam == 0;
}

TWriterPattern::TWriterPattern(int Tracks, int Rows, uint8_t Beat)
    : Tracks(Tracks),
      Rows(Rows),
      Beat(Beat),
      Global(static_cast<size_t>(Rows)),
      Cells(static_cast<size_t>(Tracks), std::vector<TWriterCell>(static_cast<size_t>(Rows)))
{
}

uint8_t TWriterSample::Flags() const
{
    if (FlagsField) {
        return *FlagsField;
    }
    uint8_t flags = 0;
    if (Looped) {
        flags |= 0x01;
    }
    if (Is16Bit) {
        flags |= 0x02;
    }
    if (Encoding == TWriterEncoding::Packed) {
        flags |= 0x04;
    }
    if (Encoding == TWriterEncoding::Mpeg) {
        flags |= 0x08;
    }
    if (Stereo) {
        flags |= 0x10;
    }
    return flags;
}

int32_t TWriterSample::RecordLength() const
{
    return LengthField ? *LengthField : static_cast<int32_t>(Pcm.size());
}

std::vector<uint8_t> TWriterSample::StoredData() const
{
    switch (Encoding) {
    case TWriterEncoding::Packed:
        return PackSample(Pcm);
    case TWriterEncoding::Mpeg:
        return Compressed;
    case TWriterEncoding::Raw:
        break;
    }
    return Pcm;
}

std::string MessageText(const std::vector<std::string>& Lines)
{
    std::string text;
    for (const std::string& line : Lines) {
        std::string column = line.substr(0, 40);
        column.resize(40, ' ');
        text += column;
    }
    return text;
}
