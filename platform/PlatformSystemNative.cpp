// The plug-in's Windows calls outside Windows: a real thread, and for the
// rest a record of what was asked (PlatformRecord.h). The host's main
// window is a TNativeHostWindow of the host's.

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/PlatformNativeWindow.h"
#include "platform/PlatformRecord.h"
#include "platform/PlatformSystem.h"

namespace {

std::mutex RecordLock;
TPlatformRecord Record;
std::atomic<unsigned> SleepDivisor{1};

template <class Change> void Note(Change&& Apply)
{
    std::lock_guard<std::mutex> guard(RecordLock);
    Apply(Record);
}

bool FileExists(const std::string& Path)
{
    std::FILE* file = std::fopen(Path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

}  // namespace

struct TPlatformThread::TState {
    std::thread Thread;
};

TPlatformThread::TPlatformThread() : State(std::make_unique<TState>())
{
}

TPlatformThread::~TPlatformThread()
{
    if (State->Thread.joinable())
        State->Thread.detach();
}

bool TPlatformThread::Start(std::function<void()> Run)
{
    if (State->Thread.joinable())
        return false;
    try {
        State->Thread = std::thread(std::move(Run));
    } catch (const std::system_error&) {
        return false;
    }
    Note([](TPlatformRecord& r) { ++r.ThreadsStarted; });
    return true;
}

void TPlatformThread::Join()
{
    if (State->Thread.joinable() && State->Thread.get_id() != std::this_thread::get_id())
        State->Thread.join();
}

void PlatformSleep(unsigned Milliseconds)
{
    std::this_thread::sleep_for(std::chrono::microseconds(Milliseconds * 1000ull / SleepDivisor.load()));
}

void PlatformPostMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    if (TNativeHostWindow* window = TNativeHostWindow::FromHandle(Window); window && window->PostMessage)
        window->PostMessage(window, Message, WParam, LParam);
}

HWND PlatformFindWindow(const std::string& ClassName)
{
    Note([&](TPlatformRecord& r) { r.WindowClassesSought.push_back(ClassName); });
    return nullptr;
}

void PlatformMessageBox(HWND Owner, const std::string& Text, const std::string& Caption)
{
    Note([&](TPlatformRecord& r) { r.MessageBoxes.push_back({Owner, Text, Caption}); });
}

std::string PlatformModuleFileName()
{
    // The file this code was loaded from: the shared library, or the program
    // that has it linked in.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&PlatformModuleFileName), &info) != 0 && info.dli_fname)
        return info.dli_fname;
    return {};
}

bool PlatformAddFontResource(const std::string& Path)
{
    Note([&](TPlatformRecord& r) { r.FontsAdded.push_back(Path); });
    return FileExists(Path);
}

bool PlatformRemoveFontResource(const std::string& Path)
{
    Note([&](TPlatformRecord& r) { r.FontsRemoved.push_back(Path); });
    return FileExists(Path);
}

void PlatformBroadcastFontChange()
{
    Note([](TPlatformRecord& r) { ++r.FontChangeBroadcasts; });
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

void PlatformRecordShortenSleeps(unsigned Divisor)
{
    SleepDivisor = Divisor == 0 ? 1 : Divisor;
}
