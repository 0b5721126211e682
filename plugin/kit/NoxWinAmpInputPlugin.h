#pragma once
// The input-plug-in component: the host's In_Module as properties and events.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/kit/NoxWinAmpControl.h"
#include "plugin/kit/NoxWinAmpOutputPlugin.h"

using TNoxWinAmpInputPluginEQData = std::array<uint8_t, 10>;  // one byte per equaliser band

using TNoxWinAmpInputPluginGetFileInfoEvent = TMethod<void(TSender, const char* FileName, char* Title, int* LengthMS)>;
using TNoxWinAmpInputPluginInfoBoxEvent = TMethod<int(TSender, const char* FileName, HWND ParentWindow)>;
using TNoxWinAmpInputPluginFileNameCheckEvent = TMethod<bool(TSender, const char* FileName)>;
using TNoxWinAmpInputPluginPlayEvent = TMethod<int(TSender, const char* FileName)>;
using TNoxWinAmpInputPluginEQSetEvent = TMethod<void(TSender, int IsOn, TNoxWinAmpInputPluginEQData& Data, int PreAmp)>;

class TNoxWinAmpInputPlugin : public TNoxWinAmpCustomPlugin {
public:
    using TNoxWinAmpCustomPlugin::TNoxWinAmpCustomPlugin;

    // The extension text whole: "ext", NUL, "description" (NULs kept).
    const std::string& FileExtensions() const { return FFileExtensions; }
    void SetFileExtensions(const std::string& Value);
    bool Seekable() const { return FSeekable; }
    void SetSeekable(bool Value);
    bool UsesOutput() const { return FUsesOutput; }
    void SetUsesOutput(bool Value);

    HWND GetMainWindow() override;
    int GetPluginKind() override { return 3; }
    // Points the record at this component's texts and flags, and keeps it.
    virtual void AttachModule(In_Module* Module);
    // One entry per extension of the extension text.
    virtual void GetFileExtensionList(std::vector<std::string>& List) const;

    TNoxWinAmpOutputPluginWindowEvent OnConfig;
    TNoxWinAmpOutputPluginWindowEvent OnAbout;
    TNotifyEvent OnInit;
    TNotifyEvent OnQuit;
    TNoxWinAmpInputPluginGetFileInfoEvent OnGetFileInfo;
    TNoxWinAmpInputPluginInfoBoxEvent OnInfoBox;
    TNoxWinAmpInputPluginFileNameCheckEvent OnIsOurFile;
    TNoxWinAmpInputPluginPlayEvent OnPlay;
    TNotifyEvent OnPause;
    TNotifyEvent OnUnPause;
    TNoxWinAmpOutputPluginBooleanEvent OnIsPaused;
    TNotifyEvent OnStop;
    TNoxWinAmpOutputPluginGetValueEvent OnGetLength;
    TNoxWinAmpOutputPluginGetValueEvent OnGetOutputTime;
    TNoxWinAmpOutputPluginSetValueEvent OnSetOutputTime;
    TNoxWinAmpOutputPluginSetValueEvent OnSetVolume;
    TNoxWinAmpOutputPluginSetValueEvent OnSetPan;
    TNoxWinAmpInputPluginEQSetEvent OnEQSet;

    In_Module* FModule = nullptr;      // the host's record, once attached
    std::atomic<bool> FPaused{false};  // set and cleared by the entry points (any host thread)

protected:
    void SetDescription(const std::string& Text) override;

private:
    std::string FFileExtensions;
    bool FSeekable = false;
    bool FUsesOutput = false;
};
