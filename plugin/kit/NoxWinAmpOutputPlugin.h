#pragma once
// The event types of the kit's output-plug-in unit that input plug-ins use too.

#include "plugin/kit/Component.h"
#include "plugin/sdk/WinampPluginRecords.h"

using TSender = TComponent*;

using TNotifyEvent = TMethod<void(TSender)>;
using TNoxWinAmpOutputPluginWindowEvent = TMethod<void(TSender, HWND ParentWindow)>;
using TNoxWinAmpOutputPluginBooleanEvent = TMethod<bool(TSender)>;
using TNoxWinAmpOutputPluginGetValueEvent = TMethod<int(TSender)>;
using TNoxWinAmpOutputPluginSetValueEvent = TMethod<void(TSender, int Value)>;
