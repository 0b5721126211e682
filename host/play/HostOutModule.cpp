#include "host/play/HostOutModule.h"

#include "host/play/HostOutput.h"
#include "plugin/sdk/OutModuleBinding.h"

namespace {

using TOutputBinding = TOutModuleBinding<THostOutput>;

char Description[] = "morvel output";
Out_Module Record = TOutputBinding::Record(Description);

}  // namespace

Out_Module* BindOutModule(THostOutput& Output, HWND MainWindow, HINSTANCE Instance)
{
    Record.hMainWindow = MainWindow;
    Record.hDllInstance = Instance;
    TOutputBinding::Bind(Output);
    return &Record;
}

void UnbindOutModule()
{
    TOutputBinding::Unbind();
}
