#include "platform/PlatformIniFile.h"

namespace {

bool OneLine(std::string_view Text)
{
    return Text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool IsBlank(char C)
{
    return C == ' ' || C == '\t' || C == '\v' || C == '\f';
}

// A section's or a key's name, read back as it was written.
bool CarriedName(std::string_view Name)
{
    return !Name.empty() && OneLine(Name) && Name.find_first_of("=]") == std::string_view::npos &&
           Name.front() != '[' && Name.front() != ';' && !IsBlank(Name.front()) && !IsBlank(Name.back());
}

}  // namespace

bool PlatformIniCarries(const std::string& Section, const std::vector<TIniEntry>& Entries)
{
    if (!CarriedName(Section)) {
        return false;
    }
    for (const TIniEntry& entry : Entries) {
        if (!CarriedName(entry.Key) || !OneLine(entry.Value)) {
            return false;
        }
    }
    return true;
}
