#include "host/play/HostEventQueue.h"

namespace {

// One post, written and read whole.
struct TRecord {
    int Kind;
    int Number;
    unsigned Message;
    uintptr_t WParam;
    intptr_t LParam;
};

}  // namespace

void THostEventQueue::PostMessage(unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    const TRecord record = {THostEvent::WindowMessage, 0, Message, WParam, LParam};
    Pipe.Post(&record, sizeof record);
}

void THostEventQueue::PostSignal(int Number)
{
    const TRecord record = {THostEvent::Signal, Number, 0, 0, 0};
    Pipe.Post(&record, sizeof record);
}

bool THostEventQueue::ReadOne(THostEvent& Event)
{
    TRecord record;
    if (!Pipe.Take(&record, sizeof record)) {
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

THostEvent THostEventQueue::Wait(int TimeoutMs, bool WatchInput)
{
    THostEvent event;
    if (HeldSignal) {
        event.Kind = THostEvent::Signal;
        event.Number = HeldSignal;
        HeldSignal = 0;
        return event;
    }
    const TPlatformEventPipe::TReady ready = Pipe.Wait(TimeoutMs, WatchInput);
    if (ready.Record && ReadOne(event)) {
        return event;
    }
    if (ready.Input) {
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
