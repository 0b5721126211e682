#pragma once
// The host's main window as Winamp has it: a hidden window of class
// "Winamp v1.x" whose own thread runs the message loop. That thread is the
// host's UI thread: it makes the calls Winamp makes there (loading the
// plug-in, Init, InfoBox, the transport calls, Quit, unloading), receives the
// posted end-of-file message, and owns the windows the plug-in makes during
// those calls.

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TRecordingHost;

class THostMainWindow {
public:
    // A top-level window, as Winamp's; without a display only a message-only
    // window can be made, which broadcasts and window searches do not reach.
    explicit THostMainWindow(bool TopLevel);
    ~THostMainWindow();
    THostMainWindow(const THostMainWindow&) = delete;
    THostMainWindow& operator=(const THostMainWindow&) = delete;

    bool TopLevel() const { return IsTopLevel; }
    HWND Handle() const { return Window; }
    std::thread::id Thread() const { return Loop.get_id(); }
    DWORD ThreadId() const { return LoopThreadId; }

    // Runs Task on the UI thread between two messages and returns when it is
    // done. A message box that appears meanwhile is kept and dismissed, so
    // that a modal box cannot hang the run. A task still running after three
    // minutes has hung the UI thread: the process ends with a message.
    void Run(const std::function<void()>& Task);
    // Returns once every message posted to the UI thread before it was handled.
    void Settle();

    // Where received commands and end-of-file messages are recorded; with none they count as strays.
    void SetReceiver(TRecordingHost* Host);
    int StrayCommands() const { return Strays; }
    int FontChanges() const { return FontChangeCount; }
    // "caption: text" of each message box dismissed since the last call.
    std::vector<std::string> TakeMessageBoxes();

private:
    void RunLoop();
    static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
    LRESULT Dispatch(HWND Target, UINT Message, WPARAM WParam, LPARAM LParam);
    void DismissMessageBoxes();

    bool IsTopLevel;
    HWND Window = nullptr;
    DWORD LoopThreadId = 0;
    std::thread Loop;

    std::mutex ReceiverMutex;
    TRecordingHost* Receiver = nullptr;
    std::atomic<int> Strays{0};
    std::atomic<int> FontChangeCount{0};
    std::mutex BoxesMutex;
    std::vector<std::string> Boxes;
};
