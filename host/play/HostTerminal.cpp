#include "host/play/HostTerminal.h"

namespace {

constexpr char Escape = '\x1b';

// The key typed as this character, if it is one.
bool KeyOf(char Character, THostKey& Key)
{
    switch (Character) {
    case ' ':
    case 'c':
    case 'C':
        Key = THostKey::PauseResume;
        return true;
    case ',':
        Key = THostKey::BackSecond;
        return true;
    case '.':
        Key = THostKey::ForwardSecond;
        return true;
    case 'n':
    case 'N':
    case 'b':
    case 'B':
        Key = THostKey::Next;
        return true;
    case 'p':
    case 'P':
    case 'z':
    case 'Z':
        Key = THostKey::Previous;
        return true;
    case 'h':
    case 'H':
    case '?':
        Key = THostKey::Help;
        return true;
    case 'q':
    case 'Q':
        Key = THostKey::Quit;
        return true;
    default:
        return false;
    }
}

}  // namespace

std::vector<THostKey> TKeyDecoder::Decode(const char* Bytes, size_t Count)
{
    std::vector<THostKey> keys;
    Pending.append(Bytes, Count);
    size_t at = 0;
    while (at < Pending.size()) {
        const char c = Pending[at];
        if (c != Escape) {
            THostKey key;
            if (KeyOf(c, key)) {
                keys.push_back(key);
            }
            ++at;
            continue;
        }
        if (at + 1 >= Pending.size()) {
            break;  // Esc, or the rest of a sequence still to come
        }
        const char kind = Pending[at + 1];
        if (kind != '[' && kind != 'O') {
            // Something else follows at once: the Esc key itself.
            keys.push_back(THostKey::Quit);
            ++at;
            continue;
        }
        // Parameters and intermediates up to the final byte (0x40..0x7E).
        size_t end = at + 2;
        while (end < Pending.size() && (Pending[end] < 0x40 || Pending[end] > 0x7E)) {
            ++end;
        }
        if (end >= Pending.size()) {
            break;
        }
        if (end == at + 2 && Pending[end] == 'C') {
            keys.push_back(THostKey::Forward);
        } else if (end == at + 2 && Pending[end] == 'D') {
            keys.push_back(THostKey::Back);
        }
        at = end + 1;
    }
    Pending.erase(0, at);
    return keys;
}

std::vector<THostKey> TKeyDecoder::Flush()
{
    const bool escapeAlone = Pending.size() == 1;
    Pending.clear();
    return escapeAlone ? std::vector<THostKey>{THostKey::Quit} : std::vector<THostKey>{};
}
