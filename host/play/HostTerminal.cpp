#include "host/play/HostTerminal.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iterator>

#include "host/play/HostEventQueue.h"

namespace {

// What the signal handlers need: plain globals, read there without locks.
int TerminalFd = -1;  // the terminal in raw mode, -1 when none
termios SavedMode;    // its mode before
std::atomic<THostEventQueue*> QuitQueue{nullptr};
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
    THostEventQueue* queue = QuitQueue.load();
    if (QuitSignalsSeen.fetch_add(1) == 0 && queue) {
        queue->PostSignal(Number);
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
// process was told to ignore (SIGINT of a background job, SIGHUP under nohup)
// stays ignored.
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

namespace {

constexpr char Escape = '\x1b';

// The key typed as this character, if it is one.
bool KeyOf(char Character, THostKey& Key)
{
    switch (Character) {
    case ' ':
    case 'c':
    case 'C':
        Key = THostKey::PauseResume;
        return true;
    case ',':
        Key = THostKey::BackSecond;
        return true;
    case '.':
        Key = THostKey::ForwardSecond;
        return true;
    case 'n':
    case 'N':
    case 'b':
    case 'B':
        Key = THostKey::Next;
        return true;
    case 'p':
    case 'P':
    case 'z':
    case 'Z':
        Key = THostKey::Previous;
        return true;
    case 'h':
    case 'H':
    case '?':
        Key = THostKey::Help;
        return true;
    case 'q':
    case 'Q':
        Key = THostKey::Quit;
        return true;
    default:
        return false;
    }
}

}  // namespace

std::vector<THostKey> TKeyDecoder::Decode(const char* Bytes, size_t Count)
{
    std::vector<THostKey> keys;
    Pending.append(Bytes, Count);
    size_t at = 0;
    while (at < Pending.size()) {
        const char c = Pending[at];
        if (c != Escape) {
            THostKey key;
            if (KeyOf(c, key)) {
                keys.push_back(key);
            }
            ++at;
            continue;
        }
        if (at + 1 >= Pending.size()) {
            break;  // Esc, or the rest of a sequence still to come
        }
        const char kind = Pending[at + 1];
        if (kind != '[' && kind != 'O') {
            // Something else follows at once: the Esc key itself.
            keys.push_back(THostKey::Quit);
            ++at;
            continue;
        }
        // Parameters and intermediates up to the final byte (0x40..0x7E).
        size_t end = at + 2;
        while (end < Pending.size() && (Pending[end] < 0x40 || Pending[end] > 0x7E)) {
            ++end;
        }
        if (end >= Pending.size()) {
            break;
        }
        if (end == at + 2 && Pending[end] == 'C') {
            keys.push_back(THostKey::Forward);
        } else if (end == at + 2 && Pending[end] == 'D') {
            keys.push_back(THostKey::Back);
        }
        at = end + 1;
    }
    Pending.erase(0, at);
    return keys;
}

std::vector<THostKey> TKeyDecoder::Flush()
{
    const bool escapeAlone = Pending.size() == 1;
    Pending.clear();
    return escapeAlone ? std::vector<THostKey>{THostKey::Quit} : std::vector<THostKey>{};
}

TRawTerminal::TRawTerminal(int Fd)
{
    termios mode;
    if (!isatty(Fd) || tcgetattr(Fd, &mode) != 0) {
        return;
    }
    SavedMode = mode;
    // Keys one by one and unechoed; Ctrl-C and Ctrl-Z keep sending their signals.
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    if (tcsetattr(Fd, TCSADRAIN, &mode) != 0) {
        return;
    }
    TerminalFd = Fd;
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

TQuitSignals::TQuitSignals(THostEventQueue& Queue)
{
    QuitSignalsSeen.store(0);
    QuitQueue.store(&Queue);
    for (size_t i = 0; i < std::size(QuitSignalNumbers); ++i) {
        Install(QuitSignalNumbers[i], &OnQuitSignal, nullptr, PreviousQuitActions[i]);
    }
}

TQuitSignals::~TQuitSignals()
{
    for (size_t i = 0; i < std::size(QuitSignalNumbers); ++i) {
        sigaction(QuitSignalNumbers[i], &PreviousQuitActions[i], nullptr);
    }
    QuitQueue.store(nullptr);
}
