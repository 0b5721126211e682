#include "host/play/HostEventQueue.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace {

// One post, written and read whole (far below the pipe's atomic write size).
struct TRecord {
    int Kind;
    int Number;
    unsigned Message;
    uintptr_t WParam;
    intptr_t LParam;
};

}  // namespace

THostEventQueue::THostEventQueue()
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        ReadEnd = ends[0];
        WriteEnd = ends[1];
    }
}

THostEventQueue::~THostEventQueue()
{
    if (ReadEnd >= 0) {
        close(ReadEnd);
    }
    if (WriteEnd >= 0) {
        close(WriteEnd);
    }
}

void THostEventQueue::PostMessage(unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    const TRecord record = {THostEvent::WindowMessage, 0, Message, WParam, LParam};
    [[maybe_unused]] const ssize_t written = write(WriteEnd, &record, sizeof record);
}

void THostEventQueue::PostSignal(int Number)
{
    const int saved = errno;
    const TRecord record = {THostEvent::Signal, Number, 0, 0, 0};
    [[maybe_unused]] const ssize_t written = write(WriteEnd, &record, sizeof record);
    errno = saved;
}

bool THostEventQueue::ReadOne(THostEvent& Event)
{
    TRecord record;
    if (read(ReadEnd, &record, sizeof record) != static_cast<ssize_t>(sizeof record)) {
        return false;
    }
    Event = THostEvent{};
    Event.Kind = static_cast<THostEvent::TKind>(record.Kind);
    Event.Number = record.Number;
    Event.Message = record.Message;
    Event.WParam = record.WParam;
    Event.LParam = record.LParam;
    return true;
}

THostEvent THostEventQueue::Wait(int TimeoutMs, int InputFd)
{
    THostEvent event;
    if (HeldSignal) {
        event.Kind = THostEvent::Signal;
        event.Number = HeldSignal;
        HeldSignal = 0;
        return event;
    }
    pollfd watched[2] = {{ReadEnd, POLLIN, 0}, {InputFd, POLLIN, 0}};
    const int ready = poll(watched, InputFd >= 0 ? 2 : 1, TimeoutMs);
    if (ready <= 0) {
        return event;  // the time passed, or a signal interrupted the wait (its post follows)
    }
    if ((watched[0].revents & POLLIN) && ReadOne(event)) {
        return event;
    }
    if (InputFd >= 0 && watched[1].revents) {
        event.Kind = THostEvent::Input;
    }
    return event;
}

void THostEventQueue::DropMessages()
{
    THostEvent event;
    while (ReadOne(event)) {
        if (event.Kind == THostEvent::Signal) {
            HeldSignal = event.Number;
        }
    }
}
