#include <fcntl.h>
#include <unistd.h>

#include "platform/PlatformStdoutRedirect.h"

TStdoutRedirect::TStdoutRedirect(std::FILE* Target)
{
    std::fflush(stdout);
    SavedFd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (SavedFd < 0) {
        return;
    }
    const int target = Target ? fcntl(fileno(Target), F_DUPFD_CLOEXEC, 3) : open("/dev/null", O_WRONLY | O_CLOEXEC);
    Saved = target >= 0 ? fdopen(SavedFd, "w") : nullptr;
    if (!Saved || dup2(target, STDOUT_FILENO) < 0) {
        if (Saved) {
            std::fclose(Saved);  // closes SavedFd too
        } else {
            close(SavedFd);
        }
        Saved = nullptr;
        SavedFd = -1;
    }
    if (target >= 0) {
        close(target);
    }
    // Line by line, as a terminal's standard output would be.
    if (Saved) {
        setvbuf(Saved, nullptr, _IOLBF, 0);
    }
}

TStdoutRedirect::~TStdoutRedirect()
{
    if (!Saved) {
        return;
    }
    std::fflush(stdout);  // what the library left in the buffer goes where the rest went
    std::fflush(Saved);
    dup2(SavedFd, STDOUT_FILENO);
    std::fclose(Saved);
}
