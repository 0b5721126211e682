#include "player/DmfSoundSettingsFile.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "module/LoadLog.h"
#include "platform/PlatformIniFile.h"

namespace {

constexpr char InterpolationKey[] = "Interpolation";
constexpr char RateKey[] = "OutputRate";
constexpr char SeparationKey[] = "StereoSeparation";
constexpr char ClickRemovalKey[] = "ClickRemoval";

struct TSwitchWord {
    const char* Word;
    bool On;
};
// How a switch may be written; 1 and 0 are what the plug-in writes.
constexpr TSwitchWord SwitchWords[] = {{"1", true},    {"0", false},     {"on", true},  {"off", false},
                                       {"true", true}, {"false", false}, {"yes", true}, {"no", false}};

void Log(const std::string& Text)
{
    DebugLog("Sound settings: " + Text);
}

bool SameWord(std::string_view A, std::string_view B)
{
    return std::equal(A.begin(), A.end(), B.begin(), B.end(), [](char X, char Y) {
        const auto lower = [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; };
        return lower(X) == lower(Y);
    });
}

// The whole number Text spells (a sign, then digits, nothing else), held
// within the 32-bit range; false when it spells none.
bool WholeNumber(std::string_view Text, int64_t& Value)
{
    const bool negative = !Text.empty() && Text.front() == '-';
    if (!Text.empty() && (Text.front() == '-' || Text.front() == '+')) {
        Text.remove_prefix(1);
    }
    if (Text.empty()) {
        return false;
    }
    int64_t value = 0;
    for (const char c : Text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = std::min<int64_t>(value * 10 + (c - '0'), INT32_MAX + int64_t{1});
    }
    Value = negative ? -value : value;
    return true;
}

// Reads the values of one file, naming each fault in the log.
class TSettingsReader {
public:
    TSettingsReader(const std::string& Path, std::vector<TIniEntry> Entries) : Path(Path), Entries(std::move(Entries))
    {
    }

    // The whole number of Key within Min..Max: Default when the file has
    // none, the nearest valid one when it is out of range.
    int32_t Number(const char* Key, int32_t Default, int32_t Min, int32_t Max) const
    {
        const TIniEntry* entry = Find(Key);
        if (!entry) {
            return Default;
        }
        const std::string range = std::to_string(Min) + " to " + std::to_string(Max);
        int64_t value = 0;
        if (!WholeNumber(entry->Value, value)) {
            Fault(*entry, "is no setting (a whole number from " + range + ")", std::to_string(Default));
            return Default;
        }
        const int32_t held = static_cast<int32_t>(std::clamp<int64_t>(value, Min, Max));
        if (held != value) {
            Fault(*entry, "is out of range (" + range + ")", std::to_string(held));
        }
        return held;
    }

    TInterpolation Interpolation(TInterpolation Default) const
    {
        const TIniEntry* entry = Find(InterpolationKey);
        TInterpolation interpolation = Default;
        if (entry && !InterpolationNamed(entry->Value, interpolation)) {
            Fault(*entry, "is no setting (none, linear, cubic or sinc)", InterpolationName(Default));
        }
        return interpolation;
    }

    bool Switch(const char* Key, bool Default) const
    {
        const TIniEntry* entry = Find(Key);
        if (!entry) {
            return Default;
        }
        for (const TSwitchWord& word : SwitchWords) {
            if (SameWord(entry->Value, word.Word)) {
                return word.On;
            }
        }
        Fault(*entry, "is no setting (1 or 0)", Default ? "1" : "0");
        return Default;
    }

private:
    const TIniEntry* Find(const char* Key) const
    {
        const auto found =
            std::find_if(Entries.begin(), Entries.end(), [&](const TIniEntry& Entry) { return Entry.Key == Key; });
        return found == Entries.end() ? nullptr : &*found;
    }

    void Fault(const TIniEntry& Entry, const std::string& What, const std::string& Used) const
    {
        Log(Entry.Key + "=" + Printable(Entry.Value) + " in [" + SoundSettingsSection + "] of " + Path + " " + What +
            ": " + Used + " is used");
    }

    // A value as the log shows it: a garbage file's bytes are neither
    // control characters on the console nor a line without end.
    static std::string Printable(const std::string& Value)
    {
        constexpr size_t longest = 40;
        std::string text;
        for (const char c : Value.substr(0, longest)) {
            text += c >= ' ' && c < 0x7F ? c : '?';
        }
        return Value.size() > longest ? text + "..." : text;
    }

    const std::string& Path;
    std::vector<TIniEntry> Entries;
};

}  // namespace

TSoundSettings ReadSoundSettings(const std::string& Path)
{
    const TSoundSettings defaults;
    if (Path.empty()) {
        Log("the host names no settings file, nor its program's folder: the defaults are used");
        return defaults;
    }
    std::vector<TIniEntry> entries;
    if (!PlatformReadIniEntries(Path, SoundSettingsSection, {InterpolationKey, RateKey, SeparationKey, ClickRemovalKey},
                                entries)) {
        Log(Path + " cannot be read: the defaults are used");
        return defaults;
    }
    const TSettingsReader file(Path, std::move(entries));
    TSoundSettings settings;
    settings.Interpolation = file.Interpolation(defaults.Interpolation);
    settings.Rate = file.Number(RateKey, defaults.Rate, MinOutputRate, MaxOutputRate);
    settings.Separation = file.Number(SeparationKey, defaults.Separation, MinSeparation, MaxSeparation);
    settings.ClickRemoval = file.Switch(ClickRemovalKey, defaults.ClickRemoval);
    return settings;
}

bool WriteSoundSettings(const std::string& Path, const TSoundSettings& Settings)
{
    const std::vector<TIniEntry> entries = {{InterpolationKey, InterpolationName(Settings.Interpolation)},
                                            {RateKey, std::to_string(Settings.Rate)},
                                            {SeparationKey, std::to_string(Settings.Separation)},
                                            {ClickRemovalKey, Settings.ClickRemoval ? "1" : "0"}};
    if (Path.empty() || !PlatformWriteIniEntries(Path, SoundSettingsSection, entries)) {
        Log((Path.empty() ? std::string("the host names no settings file") : Path + " cannot be written") +
            ": the new settings hold until the plug-in is unloaded");
        return false;
    }
    return true;
}
