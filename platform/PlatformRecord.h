#pragma once
// The native stand-in of the plug-in's Windows calls keeps what was asked of
// it here, so that tests and the command-line host can see it.

#include <functional>
#include <string>
#include <vector>

#include "platform/PlatformHandles.h"

struct TRecordedMessageBox {
    HWND Owner;
    std::string Text;
    std::string Caption;
};

// A modal dialog a plug-in would have shown (its settings), by its caption.
struct TRecordedDialog {
    HWND Owner;
    std::string Caption;
};

struct TPlatformRecord {
    std::vector<TRecordedMessageBox> MessageBoxes;
    std::vector<TRecordedDialog> Dialogs;
    std::vector<std::string> FontsAdded;  // paths, in order
    std::vector<std::string> FontsRemoved;
    int FontChangeBroadcasts = 0;
    std::vector<std::string> WindowClassesSought;
    int ThreadsStarted = 0;
};

// Adds to the record under its lock: what each stand-in does when asked.
void PlatformRecordNote(const std::function<void(TPlatformRecord&)>& Change);
// A copy of the record, taken under its lock.
TPlatformRecord PlatformRecordSnapshot();
void PlatformRecordReset();
// Divides every pause of the player thread by Divisor (1: as asked), so that
// a driver with no real output (the fuzzer) need not wait out its polls.
void PlatformRecordShortenSleeps(unsigned Divisor);
