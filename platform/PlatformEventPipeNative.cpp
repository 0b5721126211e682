#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/PlatformEventPipe.h"

struct TPlatformEventPipe::TEnds {
    int Read;
    int Write;
    TEnds(int Read, int Write) : Read(Read), Write(Write) { }
    ~TEnds()
    {
        close(Read);
        close(Write);
    }
};

TPlatformEventPipe::TPlatformEventPipe()
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        Ends = std::make_unique<TEnds>(ends[0], ends[1]);
    }
}

TPlatformEventPipe::~TPlatformEventPipe() = default;

void TPlatformEventPipe::Post(const void* Record, size_t Bytes)
{
    const int saved = errno;
    [[maybe_unused]] const ssize_t written = Ends ? write(Ends->Write, Record, Bytes) : 0;
    errno = saved;
}

bool TPlatformEventPipe::Take(void* Record, size_t Bytes)
{
    return Ends && read(Ends->Read, Record, Bytes) == static_cast<ssize_t>(Bytes);
}

TPlatformEventPipe::TReady TPlatformEventPipe::Wait(int TimeoutMs, bool WatchInput)
{
    pollfd watched[2] = {{Ends ? Ends->Read : -1, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    TReady ready;
    if (poll(watched, WatchInput ? 2 : 1, TimeoutMs) > 0) {
        ready.Record = (watched[0].revents & POLLIN) != 0;
        ready.Input = WatchInput && watched[1].revents != 0;
    }
    return ready;
}
