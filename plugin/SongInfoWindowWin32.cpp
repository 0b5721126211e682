// The song information window on Windows: a modeless top-level window with two
// group boxes, a read-only title line and a read-only message memo.
//
// The window belongs to the thread that made it (the host's UI thread, which
// calls Init and InfoBox); that thread's message loop, the host's, dispatches
// its messages. A request from any other thread is queued and handed over
// with a posted message, so that no caller ever waits for the UI thread.

#include <windows.h>

#include <functional>
#include <mutex>
#include <vector>

#include "platform/PlatformSystem.h"
#include "plugin/PluginResources.h"
#include "plugin/SongInfoForm.h"
#include "plugin/SongInfoWindow.h"

namespace {

constexpr char WindowClassName[] = "MorvelSongInfoWindow";
// Posted to the window when another thread queued requests for it.
constexpr UINT WM_RUN_QUEUED = WM_APP + 1;

constexpr COLORREF TextColour = RGB(255, 255, 255);
constexpr COLORREF TextBackgroundColour = RGB(0, 0, 0);

LRESULT CALLBACK FormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

// The window class, registered while some window object of this module lives.
struct TWindowClass {
    std::mutex Lock;
    int Users = 0;
    HICON Icon = nullptr;
    HICON SmallIcon = nullptr;
};

TWindowClass& WindowClass()
{
    static TWindowClass windowClass;
    return windowClass;
}

HICON LoadSongInfoIcon(HINSTANCE Module, int WidthMetric, int HeightMetric)
{
    return static_cast<HICON>(LoadImageA(Module, MAKEINTRESOURCEA(MORVEL_SONG_INFO_ICON), IMAGE_ICON,
                                         GetSystemMetrics(WidthMetric), GetSystemMetrics(HeightMetric), 0));
}

bool AcquireWindowClass(HINSTANCE Module)
{
    TWindowClass& wc = WindowClass();
    std::lock_guard<std::mutex> guard(wc.Lock);
    if (wc.Users > 0) {
        ++wc.Users;
        return true;
    }
    // Icons survive a class that could not be unregistered, and serve again.
    if (!wc.Icon) {
        wc.Icon = LoadSongInfoIcon(Module, SM_CXICON, SM_CYICON);
    }
    if (!wc.SmallIcon) {
        wc.SmallIcon = LoadSongInfoIcon(Module, SM_CXSMICON, SM_CYSMICON);
    }
    WNDCLASSEXA description = {};
    description.cbSize = sizeof description;
    description.lpfnWndProc = FormProc;
    description.hInstance = Module;
    description.hIcon = wc.Icon;
    description.hIconSm = wc.SmallIcon;
    description.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    description.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    description.lpszClassName = WindowClassName;
    if (!RegisterClassExA(&description)) {
        // Left over by a window that outlived its object (destroyed from a
        // foreign thread): replace it once that window is gone.
        if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS || !UnregisterClassA(WindowClassName, Module) ||
            !RegisterClassExA(&description)) {
            return false;
        }
    }
    ++wc.Users;
    return true;
}

void ReleaseWindowClass(HINSTANCE Module)
{
    TWindowClass& wc = WindowClass();
    std::lock_guard<std::mutex> guard(wc.Lock);
    if (--wc.Users > 0) {
        return;
    }
    // Fails while a window of the class still exists; the next registration
    // then replaces the class.
    if (!UnregisterClassA(WindowClassName, Module)) {
        return;
    }
    for (HICON* icon : {&wc.Icon, &wc.SmallIcon}) {
        if (*icon) {
            DestroyIcon(*icon);
        }
        *icon = nullptr;
    }
}

// The controls' own window procedures are kept in their user data while ours
// stand in front of them.
void Subclass(HWND Control, WNDPROC Procedure)
{
    SetWindowLongPtrA(Control, GWLP_USERDATA, GetWindowLongPtrA(Control, GWLP_WNDPROC));
    SetWindowLongPtrA(Control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure));
}

void Unsubclass(HWND Control)
{
    if (const LONG_PTR original = GetWindowLongPtrA(Control, GWLP_USERDATA)) {
        SetWindowLongPtrA(Control, GWLP_WNDPROC, original);
    }
}

LRESULT CallOriginal(HWND Control, UINT Message, WPARAM WParam, LPARAM LParam)
{
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Control, GWLP_USERDATA));
    return original ? CallWindowProcA(original, Control, Message, WParam, LParam)
                    : DefWindowProcA(Control, Message, WParam, LParam);
}

// A group box holds its control as a child: what the control tells its parent
// goes on to the form, and the box paints its own background.
LRESULT CALLBACK GroupBoxProc(HWND Box, UINT Message, WPARAM WParam, LPARAM LParam)
{
    switch (Message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_COMMAND:
        return SendMessageA(GetParent(Box), Message, WParam, LParam);
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(Box, &client);
        FillRect(reinterpret_cast<HDC>(WParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    default:
        return CallOriginal(Box, Message, WParam, LParam);
    }
}

// Tab and Shift+Tab move between the text controls in tab order, as in a
// dialog, though the host's message loop knows nothing of this window.
LRESULT CALLBACK TextControlProc(HWND Control, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_KEYDOWN && WParam == VK_TAB) {
        if (HWND next = GetNextDlgTabItem(GetAncestor(Control, GA_ROOT), Control, GetKeyState(VK_SHIFT) < 0)) {
            SetFocus(next);
        }
        return 0;
    }
    if (Message == WM_CHAR && WParam == '\t') {
        return 0;
    }
    return CallOriginal(Control, Message, WParam, LParam);
}

HFONT MakeFont(const char* Face, int Height, BYTE CharSet)
{
    return CreateFontA(Height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, CharSet, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Face);
}

class TWin32SongInfoWindow final : public TSongInfoWindow {
public:
    TWin32SongInfoWindow();
    ~TWin32SongInfoWindow() override;
    TWin32SongInfoWindow(const TWin32SongInfoWindow&) = delete;
    TWin32SongInfoWindow& operator=(const TWin32SongInfoWindow&) = delete;

    bool Created() const { return Form != nullptr; }

    void SetTitle(const std::string& Text) override;
    void SetMessageLines(const std::vector<std::string>& Lines) override;
    bool IsVisible() const override;
    void Show() override;
    void BringToFront() override;
    void Hide() override;

    // The form's messages; false passes one on to the default handling.
    bool HandleMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result);

private:
    bool CreateControls();
    HWND MakeControl(DWORD ExStyle, const char* ClassName, const char* Text, DWORD Style, const TControlBounds& Bounds,
                     HWND Parent, int Id);
    bool OnOwnerThread() const { return GetCurrentThreadId() == OwnerThread; }
    // Runs a request now on the window's thread, or queues it for that thread.
    void Run(std::function<void()> Request);
    void RunQueued();
    void LetGoFromForeignThread();
    void DeleteGdiObjects();

    HINSTANCE Module = PlatformModuleInstance();  // which also holds the icon
    DWORD OwnerThread = GetCurrentThreadId();
    bool HasClass = false;
    HFONT FormFont = nullptr;
    HFONT TextFont = nullptr;
    HBRUSH TextBackground = nullptr;
    HWND Form = nullptr;
    HWND MessageGroup = nullptr;
    HWND MessageMemo = nullptr;
    HWND TitleGroup = nullptr;
    HWND TitleEdit = nullptr;
    HWND LastFocus = nullptr;  // restored when the window is activated again

    std::mutex QueueLock;
    std::vector<std::function<void()>> Queue;
};

LRESULT CALLBACK FormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(LParam);
        SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    // Nothing may be thrown into the host's message loop.
    try {
        if (auto* self = reinterpret_cast<TWin32SongInfoWindow*>(GetWindowLongPtrA(Window, GWLP_USERDATA))) {
            LRESULT result = 0;
            if (self->HandleMessage(Window, Message, WParam, LParam, result)) {
                return result;
            }
        }
    } catch (...) {
    }
    return DefWindowProcA(Window, Message, WParam, LParam);
}

TWin32SongInfoWindow::TWin32SongInfoWindow()
{
    HasClass = AcquireWindowClass(Module);
    if (!HasClass) {
        return;
    }
    FormFont = MakeFont(TSongInfoLayout::FormFont, TSongInfoLayout::FormFontHeight, DEFAULT_CHARSET);
    // Without the song's font file the system picks a substitute face.
    TextFont = MakeFont(TSongInfoLayout::TextFont, TSongInfoLayout::TextFontHeight, ANSI_CHARSET);
    TextBackground = CreateSolidBrush(TextBackgroundColour);
    if (!FormFont || !TextFont || !TextBackground) {
        return;
    }

    // A fixed single border with the system menu alone; the form is not scaled.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame{0, 0, TSongInfoLayout::ClientWidth, TSongInfoLayout::ClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    Form = CreateWindowExA(0, WindowClassName, TSongInfoLayout::Caption, style, TSongInfoLayout::Left,
                           TSongInfoLayout::Top, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           Module, this);
    if (Form && !CreateControls()) {
        DestroyWindow(Form);
        Form = nullptr;
    }
}

HWND TWin32SongInfoWindow::MakeControl(DWORD ExStyle, const char* ClassName, const char* Text, DWORD Style,
                                       const TControlBounds& Bounds, HWND Parent, int Id)
{
    return CreateWindowExA(ExStyle, ClassName, Text, WS_CHILD | WS_VISIBLE | Style, Bounds.Left, Bounds.Top,
                           Bounds.Width, Bounds.Height, Parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)),
                           Module, nullptr);
}

bool TWin32SongInfoWindow::CreateControls()
{
    // Made in tab order: the message's group and memo first, then the title's.
    const DWORD boxStyle = BS_GROUPBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    MessageGroup = MakeControl(WS_EX_CONTROLPARENT, "BUTTON", TSongInfoLayout::MessageGroupCaption, boxStyle,
                               TSongInfoLayout::MessageGroup, Form, 1);
    TitleGroup = MakeControl(WS_EX_CONTROLPARENT, "BUTTON", TSongInfoLayout::TitleGroupCaption, boxStyle,
                             TSongInfoLayout::TitleGroup, Form, 2);
    if (!MessageGroup || !TitleGroup) {
        return false;
    }
    // No word wrap: a multi-line edit wraps unless it scrolls horizontally.
    MessageMemo = MakeControl(WS_EX_CLIENTEDGE, "EDIT", "",
                              WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY,
                              TSongInfoLayout::MessageMemo, MessageGroup, 3);
    TitleEdit = MakeControl(WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY,
                            TSongInfoLayout::TitleEdit, TitleGroup, 4);
    if (!MessageMemo || !TitleEdit) {
        return false;
    }

    for (HWND box : {MessageGroup, TitleGroup}) {
        SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont), FALSE);
        Subclass(box, GroupBoxProc);
    }
    for (HWND text : {MessageMemo, TitleEdit}) {
        SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(TextFont), FALSE);
        SendMessageA(text, EM_SETLIMITTEXT, 0, 0);  // a song message of any length
        Subclass(text, TextControlProc);
    }
    return true;
}

TWin32SongInfoWindow::~TWin32SongInfoWindow()
{
    {
        std::lock_guard<std::mutex> guard(QueueLock);
        Queue.clear();
    }
    if (Form && IsWindow(Form)) {
        if (OnOwnerThread()) {
            DestroyWindow(Form);
            DeleteGdiObjects();
        } else {
            LetGoFromForeignThread();
        }
    } else {
        // Never made, or gone with the thread that made it.
        DeleteGdiObjects();
    }
    if (HasClass) {
        ReleaseWindowClass(Module);
    }
}

void TWin32SongInfoWindow::LetGoFromForeignThread()
{
    // Only the window's own thread may destroy it, and waiting for that thread
    // could deadlock (it may itself be waiting, for instance for the loader
    // lock while this DLL unloads). So nothing of this object or module is
    // left for the window to call: the controls get their own procedures back,
    // the form and its class the system's default one, which destroys the
    // window when the posted close request reaches it. Its fonts and brush are
    // left to it, since its controls may still paint with them.
    for (HWND control : {TitleEdit, MessageMemo, TitleGroup, MessageGroup}) {
        Unsubclass(control);
    }
    SetWindowLongPtrA(Form, GWLP_USERDATA, 0);
    SetWindowLongPtrA(Form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    SetClassLongPtrA(Form, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    ShowWindowAsync(Form, SW_HIDE);
    PostMessageA(Form, WM_CLOSE, 0, 0);
}

void TWin32SongInfoWindow::DeleteGdiObjects()
{
    for (HGDIOBJ object :
         {static_cast<HGDIOBJ>(FormFont), static_cast<HGDIOBJ>(TextFont), static_cast<HGDIOBJ>(TextBackground)}) {
        if (object) {
            DeleteObject(object);
        }
    }
    FormFont = TextFont = nullptr;
    TextBackground = nullptr;
}

bool TWin32SongInfoWindow::HandleMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result)
{
    switch (Message) {
    case WM_CLOSE:
        // Closing by the user hides the window; InfoBox shows it again.
        ShowWindow(Window, SW_HIDE);
        Result = 0;
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        // Read-only edits ask with WM_CTLCOLORSTATIC.
        const auto control = reinterpret_cast<HWND>(LParam);
        if (control != TitleEdit && control != MessageMemo) {
            return false;
        }
        const auto dc = reinterpret_cast<HDC>(WParam);
        SetTextColor(dc, TextColour);
        SetBkColor(dc, TextBackgroundColour);
        Result = reinterpret_cast<LRESULT>(TextBackground);
        return true;
    }
    case WM_ACTIVATE:
        if (LOWORD(WParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Window, focus)) {
                LastFocus = focus;
            }
        } else {
            HWND focus =
                LastFocus && IsChild(Window, LastFocus) ? LastFocus : GetNextDlgTabItem(Window, nullptr, FALSE);
            if (focus) {
                SetFocus(focus);
            }
        }
        Result = 0;
        return true;
    case WM_RUN_QUEUED:
        RunQueued();
        Result = 0;
        return true;
    case WM_NCDESTROY:
        SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
        return false;
    default:
        return false;
    }
}

void TWin32SongInfoWindow::Run(std::function<void()> Request)
{
    if (!Form) {
        return;
    }
    if (OnOwnerThread()) {
        Request();
        return;
    }
    std::lock_guard<std::mutex> guard(QueueLock);
    const bool wasEmpty = Queue.empty();
    Queue.push_back(std::move(Request));
    // One posted message carries every request queued before it is handled;
    // a window gone with its thread takes none.
    if (wasEmpty && !PostMessageA(Form, WM_RUN_QUEUED, 0, 0)) {
        Queue.clear();
    }
}

void TWin32SongInfoWindow::RunQueued()
{
    std::vector<std::function<void()>> requests;
    {
        std::lock_guard<std::mutex> guard(QueueLock);
        requests.swap(Queue);
    }
    for (auto& request : requests) {
        request();
    }
}

void TWin32SongInfoWindow::SetTitle(const std::string& Text)
{
    Run([this, Text] { SetWindowTextA(TitleEdit, Text.c_str()); });
}

void TWin32SongInfoWindow::SetMessageLines(const std::vector<std::string>& Lines)
{
    std::string text;
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (i) {
            text += "\r\n";
        }
        text += Lines[i];
    }
    Run([this, text = std::move(text)] { SetWindowTextA(MessageMemo, text.c_str()); });
}

bool TWin32SongInfoWindow::IsVisible() const
{
    return Form && IsWindowVisible(Form);
}

void TWin32SongInfoWindow::Show()
{
    Run([this] { ShowWindow(Form, SW_SHOW); });
}

void TWin32SongInfoWindow::BringToFront()
{
    Run([this] {
        SetWindowPos(Form, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(Form);
    });
}

void TWin32SongInfoWindow::Hide()
{
    Run([this] { ShowWindow(Form, SW_HIDE); });
}

}  // namespace

std::unique_ptr<TSongInfoWindow> PluginCreateSongInfoWindow()
{
    try {
        auto window = std::make_unique<TWin32SongInfoWindow>();
        if (window->Created()) {
            return window;
        }
    } catch (...) {
    }
    // The form then shows nothing.
    return nullptr;
}
