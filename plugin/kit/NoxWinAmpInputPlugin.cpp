#include "plugin/kit/NoxWinAmpInputPlugin.h"

namespace {
// The record holds char*; the texts stay this component's.
char* RecordText(const std::string& Text)
{
    return const_cast<char*>(Text.c_str());
}
}  // namespace

void TNoxWinAmpInputPlugin::SetFileExtensions(const std::string& Value)
{
    if (Value == FFileExtensions) {
        return;
    }
    FFileExtensions = Value;
    if (FModule) {
        FModule->FileExtensions = RecordText(FFileExtensions);
    }
}

void TNoxWinAmpInputPlugin::SetSeekable(bool Value)
{
    FSeekable = Value;
    if (FModule) {
        FModule->is_seekable = Value ? 1 : 0;
    }
}

void TNoxWinAmpInputPlugin::SetUsesOutput(bool Value)
{
    FUsesOutput = Value;
    if (FModule) {
        FModule->UsesOutputPlug = Value ? 1 : 0;
    }
}

void TNoxWinAmpInputPlugin::SetDescription(const std::string& Text)
{
    FDescription = Text;
    if (FModule) {
        FModule->description = RecordText(FDescription);
    }
}

HWND TNoxWinAmpInputPlugin::GetMainWindow()
{
    return FModule ? FModule->hMainWindow : nullptr;
}

void TNoxWinAmpInputPlugin::AttachModule(In_Module* Module)
{
    FModule = Module;
    if (!FModule) {
        return;
    }
    FModule->is_seekable = FSeekable ? 1 : 0;
    FModule->UsesOutputPlug = FUsesOutput ? 1 : 0;
    FModule->description = RecordText(FDescription);
    FModule->FileExtensions = RecordText(FFileExtensions);
}

void TNoxWinAmpInputPlugin::GetFileExtensionList(std::vector<std::string>& List) const
{
    // The text holds pairs "extensions", NUL, "description"; an entry may name
    // several extensions separated by semicolons.
    List.clear();
    size_t start = 0;
    bool isExtension = true;
    while (start < FFileExtensions.size()) {
        size_t end = FFileExtensions.find('\0', start);
        if (end == std::string::npos) {
            end = FFileExtensions.size();
        }
        if (isExtension) {
            const std::string entry = FFileExtensions.substr(start, end - start);
            size_t from = 0;
            while (from <= entry.size()) {
                size_t semicolon = entry.find(';', from);
                if (semicolon == std::string::npos) {
                    semicolon = entry.size();
                }
                if (semicolon > from) {
                    List.push_back(entry.substr(from, semicolon - from));
                }
                from = semicolon + 1;
            }
        }
        isExtension = !isExtension;
        start = end + 1;
    }
}
