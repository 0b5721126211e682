// Start-up and shut-down, the sound settings, file names, file information
// and the song information window: the handlers that serve the host outside
// playback.

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/PlatformFile.h"
#include "platform/PlatformPath.h"
#include "platform/PlatformSystem.h"
#include "player/DmfOutputFormat.h"
#include "player/DmfSong.h"
#include "plugin/ConfigDialog.h"
#include "plugin/DataModule.h"
#include "plugin/HostFileName.h"
#include "plugin/PluginIdentity.h"

namespace {
// The longest title a module can give: a 30-character song name, " - " and a
// 20-character composer.
constexpr size_t MaxTitleLength = 53;
// The longest module path the system hands out.
constexpr size_t MaxModulePath = 260;

constexpr char AboutCaption[] = "About Morvel";
// Under the plug-in's name and version: what it plays.
const std::string AboutFormatLine = std::string("Plays ") + ModuleFamily + "s (." + ModuleExtension +
                                    "): tracker modules of up to 32 tracks with raw, packed and MPEG-compressed "
                                    "samples, as " DMF_OUTPUT_FORMAT_WORDS " or as the sound settings (Config) choose.";

std::string SongTitle(const TDmf& Song)
{
    return Song.SongName + " - " + Song.Composer;
}

void CopyTitle(const std::string& Title, char* Buffer)
{
    if (!Buffer) {
        return;
    }
    const size_t length = std::min(Title.size(), MaxTitleLength);
    std::memcpy(Buffer, Title.data(), length);
    Buffer[length] = '\0';
}

void StoreLength(int* Destination, int Value)
{
    if (Destination) {
        *Destination = Value;
    }
}
}  // namespace

std::string TDataModule1::FontPath() const
{
    std::string path = PlatformModuleFileName();
    if (path.size() > MaxModulePath) {
        path.resize(MaxModulePath);
    }
    return PlatformFolderPart(path) + "vuravi__.fon";
}

void TDataModule1::morvelpluginInit(TSender)
{
    SetCurrentSong(std::make_shared<TDmf>());
    // The host has filled in its main window, which names its settings file.
    In_Module* module = Module();
    SoundSettings.Load(module ? module->hMainWindow : nullptr);
    PlatformAddFontResource(FontPath());
    PlatformBroadcastFontChange();
    if (!songinfoform) {
        songinfoform = new Tsonginfoform(this);
    }
}

void TDataModule1::morvelpluginQuit(TSender)
{
    // A host may quit without stopping first; the song must not play on into
    // the library's unload, where its thread can no longer be waited for.
    StopPlayback();
    PlatformRemoveFontResource(FontPath());
    PlatformBroadcastFontChange();
}

bool TDataModule1::morvelpluginIsOurFile(TSender, const char* FileName)
{
    // The host asks about every file it adds before it matches extensions
    // itself: a yes takes the file from every other plug-in. So only a name
    // whose last extension is ".dmf" is ours.
    return FileName && HasOurExtension(std::string_view(FileName));
}

void TDataModule1::morvelpluginGetFileInfo(TSender, const char* FileName, char* Title, int* LengthMS)
{
    if (!FileName || !*FileName) {
        const std::shared_ptr<TDmf> song = CurrentSong();
        if (!song) {
            return;
        }
        CopyTitle(SongTitle(*song), Title);
        StoreLength(LengthMS, song->LengthMs);
        return;
    }
    if (!PlatformIsFile(FileName)) {
        StoreLength(LengthMS, 0);
        return;
    }
    // A song of its own, dropped when done.
    TDmf song;
    try {
        song.LoadInfoFromFile(FileName);
    } catch (const std::exception&) {
        // Found but not readable: as for a missing file.
        StoreLength(LengthMS, 0);
        return;
    }
    CopyTitle(SongTitle(song), Title);
    StoreLength(LengthMS, song.LengthMs);
}

void TDataModule1::morvelpluginConfig(TSender, HWND ParentWindow)
{
    // A song that plays keeps the settings it started with; the next Play
    // takes the new ones.
    if (const std::optional<TSoundSettings> chosen = PluginRunConfigDialog(ParentWindow, SoundSettings.Current())) {
        SoundSettings.Choose(*chosen);
    }
}

void TDataModule1::morvelpluginAbout(TSender, HWND ParentWindow)
{
    PlatformMessageBox(ParentWindow, morvelplugin->Description() + "\n\n" + AboutFormatLine, AboutCaption);
}

int TDataModule1::morvelpluginInfoBox(TSender, const char* FileName, HWND)
{
    const std::shared_ptr<TDmf> song = CurrentSong();
    if (!song || !songinfoform) {
        return 0;
    }
    const bool current = !FileName || !*FileName || song->FilePath == FileName;
    if (!current) {
        return 0;
    }
    songinfoform->SetSongMessage(song->Message);
    songinfoform->SetSongTitle(SongTitle(*song));
    if (songinfoform->Visible()) {
        songinfoform->BringToFront();
    } else {
        songinfoform->Show();
    }
    return 0;
}
