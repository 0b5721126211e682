// The Config dialog outside Windows: recorded (PlatformRecord.h), not shown;
// it is closed at once as by Cancel, so Config changes nothing there.

#include "platform/PlatformRecord.h"
#include "plugin/ConfigDialog.h"

std::optional<TSoundSettings> PluginRunConfigDialog(HWND Owner, const TSoundSettings&)
{
    PlatformRecordNote([&](TPlatformRecord& r) { r.Dialogs.push_back({Owner, TConfigDialogText::Caption}); });
    return std::nullopt;
}
