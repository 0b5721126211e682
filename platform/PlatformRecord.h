#pragma once
// The native stand-in of the plug-in's Windows calls keeps what was asked of
// it here, so that tests and the command-line host can see it.

#include <string>
#include <vector>

#include "platform/PlatformHandles.h"

struct TRecordedMessageBox {
    HWND Owner;
    std::string Text;
    std::string Caption;
};

struct TRecordedInfoWindow {
    int Created = 0;  // windows made so far
    int Alive = 0;    // windows not yet destroyed
    bool Visible = false;
    int ShowCount = 0;  // hidden -> shown
    int BringToFrontCount = 0;
    std::string Title;
    std::vector<std::string> Lines;
};

struct TPlatformRecord {
    std::vector<TRecordedMessageBox> MessageBoxes;
    std::vector<std::string> FontsAdded;  // paths, in order
    std::vector<std::string> FontsRemoved;
    int FontChangeBroadcasts = 0;
    std::vector<std::string> WindowClassesSought;
    int ThreadsStarted = 0;
    TRecordedInfoWindow InfoWindow;
};

// A copy of the record, taken under its lock.
TPlatformRecord PlatformRecordSnapshot();
void PlatformRecordReset();
// Divides every pause of the player thread by Divisor (1: as asked), so that
// a driver with no real output (the fuzzer) need not wait out its polls.
void PlatformRecordShortenSleeps(unsigned Divisor);
// Closes the song information window as its user would (hides it).
void PlatformRecordCloseInfoWindow();
