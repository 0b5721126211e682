#include "plugin/kit/NoxWinAmpControl.h"

#include "platform/PlatformSystem.h"

TNoxWinAmpNonePlugin::TNoxWinAmpNonePlugin(TNoxWinAmpControl* Owner) : TNoxWinAmpCustomPlugin(Owner)
{
}

HWND TNoxWinAmpNonePlugin::GetMainWindow()
{
    const auto* control = static_cast<TNoxWinAmpControl*>(Owner());
    return control ? PlatformFindWindow(control->WindowClassName()) : nullptr;
}

TNoxWinAmpControl::TNoxWinAmpControl(TComponent* Owner) : TComponent(Owner)
{
    FNonePlugin = new TNoxWinAmpNonePlugin(this);
}

TNoxWinAmpControl::~TNoxWinAmpControl()
{
    SetPlugin(nullptr);
    delete FNonePlugin;  // owned: removes itself from this control's components
    FNonePlugin = nullptr;
}

void TNoxWinAmpControl::SetWindowClassName(const std::string& Value)
{
    if (Value != FWindowClassName) {
        FWindowClassName = Value;
    }
}

void TNoxWinAmpControl::SetPlugin(TNoxWinAmpCustomPlugin* Value)
{
    if (Value == FPlugin) {
        return;
    }
    if (FPlugin) {
        FPlugin->RemoveFreeNotification(this);
    }
    FPlugin = Value;
    if (FPlugin) {
        FPlugin->FreeNotification(this);
    }
}

void TNoxWinAmpControl::Notification(TComponent* Component, TOperation Operation)
{
    TComponent::Notification(Component, Operation);
    if (Operation == TOperation::Remove && Component == FPlugin) {
        FPlugin = nullptr;
    }
}
