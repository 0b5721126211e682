#pragma once
// Winamp's playlist as its main window runs it, for the test hosts. The host
// calls it on one host thread: Start when the user presses Play, EndOfFile
// when the window receives WM_WA_MPEG_EOF. The rules are the user's:
//   the next entry; at the end of the list the first again with Repeat, else stop;
//   Repeat with ManualAdvance plays the same entry again; ManualAdvance alone stops;
//   StopAfterCurrent stops once, when the entry playing ends.
// A non-zero Play result counts as an end of file (Winamp 5 posts itself the
// message for it, -31337 "no sound card" aside), and a whole pass of the list
// failing in a row stops it. After each Play that starts, the title of the
// entry comes from GetFileInfo(NULL, 2048-byte buffer, &length), as Winamp 5 asks.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "plugin/sdk/WinampPluginRecords.h"

struct TPlaylistRules {
    bool Repeat = false;
    bool ManualAdvance = false;
    bool StopAfterCurrent = false;
};

class TPlaylistModel {
public:
    static constexpr int TitleBufferBytes = 2048;
    static constexpr int NoSoundCard = -31337;

    TPlaylistModel(In_Module& Module, std::vector<std::string> Entries, TPlaylistRules Rules);

    // ---- On the host's thread ----
    void Start(size_t Entry);
    void EndOfFile();

    // ---- From any thread ----
    void SetStopAfterCurrent();
    // The host is going away: from now on the list calls the plug-in no more.
    void Halt();
    bool Started() const;
    bool Stopped() const;  // started, and stopped since
    // What happened, in order: "play E: R" for each Play of entry E with
    // result R, "title E: T (L ms)" for the title of an entry that started,
    // "stop" once the list stopped.
    std::vector<std::string> Trace() const;
    // The entries that started playing, in order.
    std::vector<size_t> Played() const;

private:
    // From Entry on, past entries that fail, until one plays or the list stops.
    void PlayFrom(size_t Entry);
    // The entry after the current one by the rules; none: stop.
    std::optional<size_t> Next(size_t Current);
    void StopList();
    void Note(const std::string& Line);

    In_Module& Module;
    const std::vector<std::string> Entries;
    mutable std::mutex Mutex;  // guards what follows
    TPlaylistRules Rules;
    size_t Current = 0;
    size_t FailuresInARow = 0;
    bool HasStarted = false;
    bool HasStopped = false;
    bool IsHalted = false;
    std::vector<std::string> Lines;
    std::vector<size_t> Starts;
};
