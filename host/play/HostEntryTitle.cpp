#include "host/play/HostEntryTitle.h"

#include "host/HostText.h"
#include "platform/PlatformPath.h"

namespace {

constexpr char Separator[] = " - ";

bool IsBlank(const std::string& Text)
{
    return Text.find_first_not_of(' ') == std::string::npos;
}

}  // namespace

std::string EntryTitle(const std::string& PluginTitle, const std::string& Path)
{
    const std::string title = TerminalText(PluginTitle);

    // The name is what comes before the first separator; a composer may hold one too.
    const size_t separator = title.find(Separator);
    std::string name = separator == std::string::npos ? title : title.substr(0, separator);
    std::string composer = separator == std::string::npos ? "" : title.substr(separator + 3);
    if (IsBlank(composer)) {
        composer.clear();
    }
    if (IsBlank(name)) {
        name = TerminalPath(PlatformFileName(Path));
    }
    return composer.empty() ? name : name + Separator + composer;
}
