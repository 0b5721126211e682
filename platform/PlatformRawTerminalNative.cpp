#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iterator>

#include "platform/PlatformRawTerminal.h"

namespace {

// What the signal handlers need: plain globals, read there without locks.
int TerminalFd = -1;  // the terminal in raw mode, -1 when none
termios SavedMode;    // its mode before
std::atomic<TQuitSignals::TNotify> QuitNotify{nullptr};
std::atomic<void*> QuitContext{nullptr};
std::atomic<int> QuitSignalsSeen{0};

constexpr int QuitSignalNumbers[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int CrashSignalNumbers[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

void RestoreTerminal()
{
    if (TerminalFd >= 0) {
        tcsetattr(TerminalFd, TCSADRAIN, &SavedMode);
    }
}

void OnQuitSignal(int Number)
{
    const TQuitSignals::TNotify notify = QuitNotify.load();
    if (QuitSignalsSeen.fetch_add(1) == 0 && notify) {
        notify(QuitContext.load(), Number);
        return;
    }
    RestoreTerminal();
    _exit(128 + Number);
}

// Ctrl-Z: the shell gets its terminal back as it was, and raw again when the job continues.
void OnStopSignal(int)
{
    const int saved = errno;
    termios raw;
    const bool haveRaw = TerminalFd >= 0 && tcgetattr(TerminalFd, &raw) == 0;
    RestoreTerminal();
    kill(getpid(), SIGSTOP);
    if (haveRaw) {
        tcsetattr(TerminalFd, TCSADRAIN, &raw);
    }
    errno = saved;
}

// Installs Handler and keeps the action it replaces in Previous. A signal the
// process was told to ignore stays ignored.
void Install(int Number, void (*Handler)(int), void (*InfoHandler)(int, siginfo_t*, void*), struct sigaction& Previous)
{
    struct sigaction action = {};
    if (InfoHandler) {
        action.sa_sigaction = InfoHandler;
        action.sa_flags = SA_SIGINFO;
    } else {
        action.sa_handler = Handler;
        action.sa_flags = SA_RESTART;
    }
    sigemptyset(&action.sa_mask);
    sigaction(Number, &action, &Previous);
    if (!(Previous.sa_flags & SA_SIGINFO) && Previous.sa_handler == SIG_IGN) {
        sigaction(Number, &Previous, nullptr);
    }
}

// The actions in place before the handlers here, put back afterwards.
struct sigaction PreviousQuitActions[std::size(QuitSignalNumbers)];
struct sigaction PreviousStopAction;
struct sigaction PreviousCrashActions[std::size(CrashSignalNumbers)];

// A crash: the terminal is restored and the signal's previous action (a
// sanitizer's report, a core dump) takes over. A fault happens again as soon
// as the handler returns; a signal that was sent is sent once more.
void OnCrashSignal(int Number, siginfo_t* Info, void*)
{
    RestoreTerminal();
    for (size_t i = 0; i < std::size(CrashSignalNumbers); ++i) {
        if (CrashSignalNumbers[i] == Number) {
            sigaction(Number, &PreviousCrashActions[i], nullptr);
        }
    }
    if (Info->si_code <= 0) {
        raise(Number);
    }
}

}  // namespace

TRawTerminal::TRawTerminal(bool Wanted)
{
    termios mode;
    if (!Wanted || !isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &mode) != 0) {
        return;
    }
    SavedMode = mode;
    // Keys one by one and unechoed; Ctrl-C and Ctrl-Z keep sending their signals.
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSADRAIN, &mode) != 0) {
        return;
    }
    TerminalFd = STDIN_FILENO;
    Raw = true;
    Install(SIGTSTP, &OnStopSignal, nullptr, PreviousStopAction);
    for (size_t i = 0; i < std::size(CrashSignalNumbers); ++i) {
        Install(CrashSignalNumbers[i], nullptr, &OnCrashSignal, PreviousCrashActions[i]);
    }
}

TRawTerminal::~TRawTerminal()
{
    if (!Raw) {
        return;
    }
    sigaction(SIGTSTP, &PreviousStopAction, nullptr);
    for (size_t i = 0; i < std::size(CrashSignalNumbers); ++i) {
        sigaction(CrashSignalNumbers[i], &PreviousCrashActions[i], nullptr);
    }
    RestoreTerminal();
    TerminalFd = -1;
}

int PlatformReadInput(char* Bytes, int Count)
{
    const ssize_t count = read(STDIN_FILENO, Bytes, static_cast<size_t>(Count));
    if (count > 0) {
        return static_cast<int>(count);
    }
    return count < 0 && (errno == EINTR || errno == EAGAIN) ? 0 : -1;
}

TQuitSignals::TQuitSignals(TNotify OnFirst, void* Context)
{
    QuitSignalsSeen.store(0);
    QuitContext.store(Context);
    QuitNotify.store(OnFirst);
    for (size_t i = 0; i < std::size(QuitSignalNumbers); ++i) {
        Install(QuitSignalNumbers[i], &OnQuitSignal, nullptr, PreviousQuitActions[i]);
    }
}

TQuitSignals::~TQuitSignals()
{
    for (size_t i = 0; i < std::size(QuitSignalNumbers); ++i) {
        sigaction(QuitSignalNumbers[i], &PreviousQuitActions[i], nullptr);
    }
    QuitNotify.store(nullptr);
}
