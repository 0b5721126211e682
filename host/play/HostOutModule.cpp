#include "host/play/HostOutModule.h"

#include "host/play/HostAlsaOutput.h"
#include "plugin/sdk/OutModuleBinding.h"

namespace {

using TAlsaBinding = TOutModuleBinding<TAlsaOutput>;

char Description[] = "morvel ALSA output";
Out_Module Record = TAlsaBinding::Record(Description);

}  // namespace

Out_Module* BindOutModule(TAlsaOutput& Output, HWND MainWindow, HINSTANCE Instance)
{
    Record.hMainWindow = MainWindow;
    Record.hDllInstance = Instance;
    TAlsaBinding::Bind(Output);
    return &Record;
}

void UnbindOutModule()
{
    TAlsaBinding::Unbind();
}
