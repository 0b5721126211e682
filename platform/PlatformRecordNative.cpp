// The record of the native stand-ins, guarded by one lock.

#include <mutex>

#include "platform/PlatformRecord.h"

namespace {

std::mutex RecordLock;
TPlatformRecord Record;

}  // namespace

void PlatformRecordNote(const std::function<void(TPlatformRecord&)>& Change)
{
    std::lock_guard<std::mutex> guard(RecordLock);
    Change(Record);
}

TPlatformRecord PlatformRecordSnapshot()
{
    std::lock_guard<std::mutex> guard(RecordLock);
    return Record;
}

void PlatformRecordReset()
{
    std::lock_guard<std::mutex> guard(RecordLock);
    Record = {};
}
