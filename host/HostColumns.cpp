#include "host/HostColumns.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/PlatformTerminal.h"

namespace {

constexpr char Ellipsis[] = "...";
constexpr int EllipsisColumns = 3;

struct TCharacter {
    size_t Start;
    size_t Length;
    int Columns;
};

// Code points drawn over the character before them.
bool IsCombining(uint32_t Code)
{
    return (Code >= 0x0300 && Code <= 0x036F) || (Code >= 0x1AB0 && Code <= 0x1AFF) ||
           (Code >= 0x1DC0 && Code <= 0x1DFF) || (Code >= 0x20D0 && Code <= 0x20FF) ||
           (Code >= 0xFE20 && Code <= 0xFE2F) || Code == 0x200B || Code == 0x200D;
}

// Code points a terminal draws two columns wide (East Asian wide and full-width, emoji).
bool IsWide(uint32_t Code)
{
    return (Code >= 0x1100 && Code <= 0x115F) || (Code >= 0x2E80 && Code <= 0x303E) ||
           (Code >= 0x3041 && Code <= 0x33FF) || (Code >= 0x3400 && Code <= 0x4DBF) ||
           (Code >= 0x4E00 && Code <= 0x9FFF) || (Code >= 0xA000 && Code <= 0xA4CF) ||
           (Code >= 0xAC00 && Code <= 0xD7A3) || (Code >= 0xF900 && Code <= 0xFAFF) ||
           (Code >= 0xFE30 && Code <= 0xFE4F) || (Code >= 0xFF00 && Code <= 0xFF60) ||
           (Code >= 0xFFE0 && Code <= 0xFFE6) || (Code >= 0x1F300 && Code <= 0x1F64F) ||
           (Code >= 0x1F900 && Code <= 0x1F9FF) || (Code >= 0x20000 && Code <= 0x3FFFD);
}

// The text cut into characters; a byte that starts no valid sequence is one
// of its own (a terminal shows it as one replacement character).
std::vector<TCharacter> Characters(const std::string& Utf8)
{
    std::vector<TCharacter> characters;
    size_t at = 0;
    while (at < Utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(Utf8[at]);
        size_t length = lead < 0x80                    ? 1
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
        uint32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (size_t k = 1; k < length; ++k) {
            const unsigned char next = at + k < Utf8.size() ? static_cast<unsigned char>(Utf8[at + k]) : 0;
            if ((next & 0xC0) != 0x80) {
                length = 0;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (length == 0) {
            characters.push_back({at, 1, 1});
            ++at;
            continue;
        }
        characters.push_back({at, length, IsCombining(code) ? 0 : IsWide(code) ? 2 : 1});
        at += length;
    }
    return characters;
}

}  // namespace

int TextColumns(const std::string& Utf8)
{
    int columns = 0;
    for (const TCharacter& character : Characters(Utf8)) {
        columns += character.Columns;
    }
    return columns;
}

std::string FirstColumns(const std::string& Utf8, int Columns)
{
    size_t end = 0;
    int used = 0;
    for (const TCharacter& character : Characters(Utf8)) {
        if (used + character.Columns > Columns) {
            break;
        }
        used += character.Columns;
        end = character.Start + character.Length;
    }
    return Utf8.substr(0, end);
}

std::string LastColumns(const std::string& Utf8, int Columns)
{
    const std::vector<TCharacter> characters = Characters(Utf8);
    size_t start = Utf8.size();
    int used = 0;
    for (auto character = characters.rbegin(); character != characters.rend(); ++character) {
        if (used + character->Columns > Columns) {
            break;
        }
        used += character->Columns;
        start = character->Start;
    }
    // A combining mark kept without the character it belongs to is dropped too.
    while (start < Utf8.size()) {
        const auto first = std::find_if(characters.begin(), characters.end(),
                                        [&](const TCharacter& character) { return character.Start == start; });
        if (first == characters.end() || first->Columns != 0) {
            break;
        }
        start += first->Length;
    }
    return Utf8.substr(start);
}

std::string ShortenToColumns(const std::string& Utf8, int Columns, bool KeepEnd)
{
    if (TextColumns(Utf8) <= Columns) {
        return Utf8;
    }
    if (Columns <= EllipsisColumns) {
        return KeepEnd ? LastColumns(Utf8, Columns) : FirstColumns(Utf8, Columns);
    }
    const int kept = Columns - EllipsisColumns;
    return KeepEnd ? Ellipsis + LastColumns(Utf8, kept) : FirstColumns(Utf8, kept) + Ellipsis;
}

int TerminalWidth(std::FILE* Stream)
{
    const int columns = PlatformTerminalColumns(Stream);
    return columns > 0 ? columns : 80;
}
