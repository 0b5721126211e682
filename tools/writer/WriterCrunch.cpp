#include "tools/writer/WriterCrunch.h"

#include <algorithm>

#include "module/LoadPatternFormat.h"

namespace {

// Repeat count for Empty following empty rows: the track is silent for as
// many rows as the count says (the 8-bit counter makes 255 work out as well).
uint8_t RepeatFor(int Empty)
{
    return static_cast<uint8_t>(std::min(Empty, 255));
}

}  // namespace

std::vector<uint8_t> CrunchPattern(const TWriterPattern& Pattern)
{
    std::vector<uint8_t> out;
    std::vector<int> silent(static_cast<size_t>(Pattern.Tracks) + 1, 0);  // [0] global, [k] track k

    auto emptyAfter = [&](auto isEmpty, int row) {
        int n = 0;
        for (int r = row + 1; r < Pattern.Rows && n < 255 && isEmpty(r); ++r) {
            ++n;
        }
        return n;
    };

    for (int row = 0; row < Pattern.Rows; ++row) {
        if (silent[0] > 0) {
            --silent[0];
        } else {
            const TWriterGlobalCell& cell = Pattern.Global[static_cast<size_t>(row)];
            const uint8_t repeat =
                RepeatFor(emptyAfter([&](int r) { return Pattern.Global[static_cast<size_t>(r)].Effect == 0; }, row));
            out.push_back(static_cast<uint8_t>((cell.Effect & GlobalEffectMask) | (repeat ? InfoRepeat : 0)));
            if (repeat) {
                out.push_back(repeat);
            }
            if (cell.Effect & GlobalEffectMask) {
                out.push_back(cell.Param);
            }
            silent[0] = repeat;
        }

        for (int k = 1; k <= Pattern.Tracks; ++k) {
            int& left = silent[static_cast<size_t>(k)];
            if (left > 0) {
                --left;
                continue;
            }
            const std::vector<TWriterCell>& track = Pattern.Cells[static_cast<size_t>(k - 1)];
            const TWriterCell& cell = track[static_cast<size_t>(row)];
            const uint8_t repeat =
                RepeatFor(emptyAfter([&](int r) { return track[static_cast<size_t>(r)].IsEmpty(); }, row));
            uint8_t info = repeat ? InfoRepeat : 0;
            if (cell.Instrument) {
                info |= InfoInstrument;
            }
            if (cell.Note) {
                info |= InfoNote;
            }
            if (cell.Volume) {
                info |= InfoVolume;
            }
            if (cell.InstrumentEffect || cell.InstrumentParam) {
                info |= InfoInstrumentEffect;
            }
            if (cell.NoteEffect || cell.NoteParam) {
                info |= InfoNoteEffect;
            }
            if (cell.VolumeEffect || cell.VolumeParam) {
                info |= InfoVolumeEffect;
            }
            out.push_back(info);
            if (repeat) {
                out.push_back(repeat);
            }
            if (info & InfoInstrument) {
                out.push_back(cell.Instrument);
            }
            if (info & InfoNote) {
                out.push_back(cell.Note);
            }
            if (info & InfoVolume) {
                out.push_back(cell.Volume);
            }
            if (info & InfoInstrumentEffect) {
                out.push_back(cell.InstrumentEffect);
                out.push_back(cell.InstrumentParam);
            }
            if (info & InfoNoteEffect) {
                out.push_back(cell.NoteEffect);
                out.push_back(cell.NoteParam);
            }
            if (info & InfoVolumeEffect) {
                out.push_back(cell.VolumeEffect);
                out.push_back(cell.VolumeParam);
            }
            left = repeat;
        }
    }
    return out;
}
