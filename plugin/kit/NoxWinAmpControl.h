#pragma once
// The component kit's base: plug-in components, and the control that names
// the host's window class.

#include <string>

#include "plugin/kit/Component.h"
#include "plugin/sdk/WinampPluginRecords.h"

class TNoxWinAmpCustomPlugin : public TComponent {
public:
    using TComponent::TComponent;

    const std::string& Description() const { return FDescription; }
    void SetDescriptionText(const std::string& Text) { SetDescription(Text); }

    virtual HWND GetMainWindow() = 0;
    virtual int GetPluginKind() = 0;

protected:
    virtual void SetDescription(const std::string& Text) { FDescription = Text; }
    std::string FDescription;
};

class TNoxWinAmpControl;

// A plug-in that is no plug-in: finds the host's main window by class name.
class TNoxWinAmpNonePlugin : public TNoxWinAmpCustomPlugin {
public:
    explicit TNoxWinAmpNonePlugin(TNoxWinAmpControl* Owner);
    HWND GetMainWindow() override;
    int GetPluginKind() override { return 0; }
};

class TNoxWinAmpControl : public TComponent {
public:
    explicit TNoxWinAmpControl(TComponent* Owner);
    ~TNoxWinAmpControl() override;

    const std::string& WindowClassName() const { return FWindowClassName; }
    void SetWindowClassName(const std::string& Value);
    TNoxWinAmpCustomPlugin* Plugin() const { return FPlugin; }
    void SetPlugin(TNoxWinAmpCustomPlugin* Value);
    TNoxWinAmpNonePlugin* NonePlugin() const { return FNonePlugin; }

protected:
    void Notification(TComponent* Component, TOperation Operation) override;

private:
    std::string FWindowClassName = "Winamp v1.x";
    TNoxWinAmpCustomPlugin* FPlugin = nullptr;    // not owned
    TNoxWinAmpNonePlugin* FNonePlugin = nullptr;  // owned (as a component)
};
