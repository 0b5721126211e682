#include "plugin/DataModule.h"

#include "player/DmfSong.h"
#include "plugin/PlayerThread.h"
#include "plugin/PluginIdentity.h"

TDataModule1* DataModule1 = nullptr;

namespace {
// The extension list as the host reads it: "dmf", its description, and the
// NUL that ends the list (the string's own terminator adds one more).
const std::string ExtensionText = std::string(ModuleExtension) + '\0' + ModuleFamily + '\0' + '\0';
}  // namespace

TDataModule1::TDataModule1(TComponent* Owner) : TComponent(Owner)
{
    Name = "DataModule1";
    plugincontrol = new TNoxWinAmpControl(this);
    plugincontrol->Name = "plugincontrol";
    morvelplugin = new TNoxWinAmpInputPlugin(this);
    morvelplugin->Name = "morvelplugin";

    plugincontrol->SetWindowClassName("Winamp v1.x");
    plugincontrol->SetPlugin(morvelplugin);
    morvelplugin->SetDescriptionText(PluginDescription);
    morvelplugin->SetFileExtensions(ExtensionText);
    morvelplugin->SetSeekable(true);
    morvelplugin->SetUsesOutput(true);
    morvelplugin->OnInit = {this, &TDataModule1::morvelpluginInit};
    morvelplugin->OnQuit = {this, &TDataModule1::morvelpluginQuit};
    morvelplugin->OnConfig = {this, &TDataModule1::morvelpluginConfig};
    morvelplugin->OnAbout = {this, &TDataModule1::morvelpluginAbout};
    morvelplugin->OnGetFileInfo = {this, &TDataModule1::morvelpluginGetFileInfo};
    morvelplugin->OnInfoBox = {this, &TDataModule1::morvelpluginInfoBox};
    morvelplugin->OnIsOurFile = {this, &TDataModule1::morvelpluginIsOurFile};
    morvelplugin->OnPlay = {this, &TDataModule1::morvelpluginPlay};
    morvelplugin->OnPause = {this, &TDataModule1::morvelpluginPause};
    morvelplugin->OnUnPause = {this, &TDataModule1::morvelpluginUnPause};
    morvelplugin->OnIsPaused = {this, &TDataModule1::morvelpluginIsPaused};
    morvelplugin->OnStop = {this, &TDataModule1::morvelpluginStop};
    morvelplugin->OnGetLength = {this, &TDataModule1::morvelpluginGetLength};
    morvelplugin->OnGetOutputTime = {this, &TDataModule1::morvelpluginGetOutputTime};
    morvelplugin->OnSetOutputTime = {this, &TDataModule1::morvelpluginSetOutputTime};
    morvelplugin->OnSetVolume = {this, &TDataModule1::morvelpluginSetVolume};
}

TDataModule1::~TDataModule1()
{
    // Runs while the library unloads, where no thread may be waited for. A host
    // stops playback before it unloads; should a player thread still run, its
    // song and record stay alive rather than vanish under it.
    if (PlayerThread) {
        StopRequested = true;
        PlayerThread.release();
        new std::shared_ptr<TDmf>(CurrentSong());  // kept for the running thread
    }
}

std::shared_ptr<TDmf> TDataModule1::CurrentSong() const
{
    std::lock_guard<std::mutex> guard(SongSwap);
    return FCurrentSong;
}

void TDataModule1::SetCurrentSong(std::shared_ptr<TDmf> Song)
{
    std::shared_ptr<TDmf> old;
    {
        std::lock_guard<std::mutex> guard(SongSwap);
        old = std::move(FCurrentSong);
        FCurrentSong = std::move(Song);
    }
    // The old song goes when its last reader lets it go, outside the lock.
}

Out_Module* TDataModule1::OutMod() const
{
    In_Module* module = Module();
    return module ? module->outMod : nullptr;
}

void CreateDataModule1()
{
    if (!DataModule1) {
        DataModule1 = new TDataModule1(nullptr);
    }
}

void DestroyDataModule1()
{
    delete DataModule1;
    DataModule1 = nullptr;
}

TSoundSettings PluginSoundSettings()
{
    return DataModule1 ? DataModule1->SoundSettings.Current() : TSoundSettings{};
}
