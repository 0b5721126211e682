#include "tests/wahost/HostMainWindow.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>

#include "plugin/ConfigDialog.h"
#include "tests/support/RecordingHost.h"
#include "tests/wahost/InfoWindowProbe.h"

namespace {

constexpr const char* HostWindowClass = "Winamp v1.x";
// The host's own message: run the task its LPARAM points to.
constexpr UINT RunTaskMessage = WM_APP + 17;
constexpr auto RunTimeout = std::chrono::minutes(3);

struct TRunTask {
    const std::function<void()>* Task;
    HANDLE Done;
};

struct TBoxSearch {
    DWORD Process;
    std::vector<HWND> Found;
};

// A window's caption without sending it a message: its thread may be busy.
std::string CaptionOf(HWND Window)
{
    wchar_t caption[256] = {};
    const int length = InternalGetWindowText(Window, caption, 256);
    std::string text;
    for (int i = 0; i < length; ++i) {
        text += caption[i] < 0x80 ? static_cast<char>(caption[i]) : '?';
    }
    return text;
}

BOOL CALLBACK CollectMessageBox(HWND Window, LPARAM Context)
{
    auto* search = reinterpret_cast<TBoxSearch*>(Context);
    DWORD process = 0;
    GetWindowThreadProcessId(Window, &process);
    char className[64] = {};
    GetClassNameA(Window, className, sizeof className);
    // The plug-in's song information window may be a dialog too, and its
    // Config dialog is one: neither is a message box.
    const std::string caption = CaptionOf(Window);
    if (process == search->Process && std::string(className) == "#32770" && IsWindowVisible(Window) &&
        caption != InfoWindowCaption && caption != TConfigDialogText::Caption) {
        search->Found.push_back(Window);
    }
    return TRUE;
}

}  // namespace

THostMainWindow::THostMainWindow(bool TopLevel) : IsTopLevel(TopLevel)
{
    std::promise<void> ready;
    std::future<void> made = ready.get_future();
    DWORD failure = 0;
    Loop = std::thread([this, TopLevel, &ready, &failure] {
        LoopThreadId = GetCurrentThreadId();
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &THostMainWindow::WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = HostWindowClass;
        RegisterClassA(&windowClass);
        Window = CreateWindowExA(0, HostWindowClass, "Winamp", TopLevel ? WS_OVERLAPPEDWINDOW : 0, 0, 0, 275, 116,
                                 TopLevel ? nullptr : HWND_MESSAGE, nullptr, windowClass.hInstance, this);
        failure = Window ? 0 : GetLastError();
        ready.set_value();
        if (Window) {
            RunLoop();
        }
    });
    made.wait();
    if (!Window) {
        Loop.join();
        std::fprintf(stderr, "wahost: the host's main window could not be made (error %lu)\n", failure);
        std::exit(2);
    }
}

THostMainWindow::~THostMainWindow()
{
    PostMessageA(Window, WM_CLOSE, 0, 0);
    Loop.join();
}

void THostMainWindow::RunLoop()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

LRESULT CALLBACK THostMainWindow::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(LParam);
        SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<THostMainWindow*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!self) {
        return DefWindowProcA(Window, Message, WParam, LParam);
    }
    return self->Dispatch(Window, Message, WParam, LParam);
}

LRESULT THostMainWindow::Dispatch(HWND Target, UINT Message, WPARAM WParam, LPARAM LParam)
{
    switch (Message) {
    case RunTaskMessage: {
        auto* run = reinterpret_cast<TRunTask*>(LParam);
        try {
            (*run->Task)();
        } catch (...) {
            // The test reports its own failures; the loop must go on.
        }
        SetEvent(run->Done);
        return 0;
    }
    case WM_COMMAND:
    case WM_WA_MPEG_EOF: {
        std::lock_guard<std::mutex> lock(ReceiverMutex);
        if (Receiver) {
            Receiver->Receive(Message, WParam, LParam);
        } else {
            ++Strays;
        }
        return 0;
    }
    case WM_WA_IPC: {
        // The question for the settings file, answered with the recorder's path.
        std::lock_guard<std::mutex> lock(ReceiverMutex);
        return WParam == 0 && LParam == IPC_GETINIFILE && Receiver ? Receiver->SettingsFileAnswer() : 0;
    }
    case WM_FONTCHANGE:
        ++FontChangeCount;
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(Target, Message, WParam, LParam);
    }
}

void THostMainWindow::Run(const std::function<void()>& Task)
{
    if (GetCurrentThreadId() == LoopThreadId) {
        Task();
        return;
    }
    TRunTask run{&Task, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    PostMessageA(Window, RunTaskMessage, 0, reinterpret_cast<LPARAM>(&run));
    const auto deadline = std::chrono::steady_clock::now() + RunTimeout;
    while (WaitForSingleObject(run.Done, 20) != WAIT_OBJECT_0) {
        DismissMessageBoxes();
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "wahost: a call on the host's UI thread did not return within %d s; giving up\n",
                         static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(RunTimeout).count()));
            std::fflush(nullptr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
    CloseHandle(run.Done);
}

void THostMainWindow::Settle()
{
    // Posted messages are handled in order: once this task runs, every
    // message posted before it has been.
    Run([] {});
}

void THostMainWindow::SetReceiver(TRecordingHost* Host)
{
    std::lock_guard<std::mutex> lock(ReceiverMutex);
    Receiver = Host;
}

std::vector<std::string> THostMainWindow::TakeMessageBoxes()
{
    DismissMessageBoxes();
    std::lock_guard<std::mutex> lock(BoxesMutex);
    std::vector<std::string> boxes;
    boxes.swap(Boxes);
    return boxes;
}

void THostMainWindow::DismissMessageBoxes()
{
    TBoxSearch search{GetCurrentProcessId(), {}};
    EnumWindows(&CollectMessageBox, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.Found) {
        // The text of a message box is its static control 0xFFFF.
        const std::string text = CaptionOf(GetDlgItem(box, 0xFFFF));
        {
            std::lock_guard<std::mutex> lock(BoxesMutex);
            Boxes.push_back(CaptionOf(box) + ": " + text);
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
}
