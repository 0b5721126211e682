#pragma once
// The native song information window keeps its state here, so that tests can
// see what it would show.

#include <string>
#include <vector>

struct TRecordedInfoWindow {
    int Created = 0;  // windows made so far
    int Alive = 0;    // windows not yet destroyed
    bool Visible = false;
    int ShowCount = 0;  // hidden -> shown
    int BringToFrontCount = 0;
    std::string Title;
    std::vector<std::string> Lines;
};

// A copy of the record, taken under its lock.
TRecordedInfoWindow SongInfoWindowRecordSnapshot();
// Clears the counts; a window that still exists keeps its state.
void SongInfoWindowRecordReset();
// Closes the window as its user would (hides it).
void SongInfoWindowRecordClose();
