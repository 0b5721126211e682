#include "tests/support/PlaylistModel.h"

#include <cstring>

TPlaylistModel::TPlaylistModel(In_Module& Plugin, std::vector<std::string> List, TPlaylistRules UserRules)
    : Module(Plugin), Entries(std::move(List)), Rules(UserRules)
{
}

void TPlaylistModel::Start(size_t Entry)
{
    {
        std::lock_guard<std::mutex> lock(Mutex);
        if (IsHalted) {
            return;
        }
        HasStarted = true;
        HasStopped = false;
        FailuresInARow = 0;
    }
    PlayFrom(Entry);
}

void TPlaylistModel::EndOfFile()
{
    size_t current;
    {
        std::lock_guard<std::mutex> lock(Mutex);
        // A message that comes after the list stopped finds nothing playing.
        if (!HasStarted || HasStopped || IsHalted) {
            return;
        }
        current = Current;
    }
    const std::optional<size_t> next = Next(current);
    if (next) {
        PlayFrom(*next);
    } else {
        StopList();
    }
}

void TPlaylistModel::PlayFrom(size_t Entry)
{
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(Mutex);
            if (IsHalted) {
                return;
            }
        }
        Module.Stop();
        const int result = Module.Play(Entries.at(Entry).c_str());
        Note("play " + std::to_string(Entry) + ": " + std::to_string(result));
        {
            std::lock_guard<std::mutex> lock(Mutex);
            Current = Entry;
            FailuresInARow = result == 0 ? 0 : FailuresInARow + 1;
        }
        if (result == 0) {
            char title[TitleBufferBytes];
            std::memset(title, 0, sizeof title);
            int length = -1;
            Module.GetFileInfo(nullptr, title, &length);
            title[TitleBufferBytes - 1] = '\0';
            Note("title " + std::to_string(Entry) + ": " + title + " (" + std::to_string(length) + " ms)");
            std::lock_guard<std::mutex> lock(Mutex);
            Starts.push_back(Entry);
            return;
        }
        std::optional<size_t> next;
        {
            std::lock_guard<std::mutex> lock(Mutex);
            if (result != NoSoundCard && FailuresInARow < Entries.size()) {
                next = Entry;
            }
        }
        if (next) {
            next = Next(Entry);
        }
        if (!next) {
            StopList();
            return;
        }
        Entry = *next;
    }
}

std::optional<size_t> TPlaylistModel::Next(size_t Entry)
{
    std::lock_guard<std::mutex> lock(Mutex);
    if (Rules.StopAfterCurrent) {
        Rules.StopAfterCurrent = false;  // once
        return std::nullopt;
    }
    if (Rules.ManualAdvance) {
        return Rules.Repeat ? std::optional<size_t>(Entry) : std::nullopt;
    }
    if (Entry + 1 < Entries.size()) {
        return Entry + 1;
    }
    return Rules.Repeat ? std::optional<size_t>(0) : std::nullopt;
}

void TPlaylistModel::StopList()
{
    Module.Stop();
    Note("stop");
    std::lock_guard<std::mutex> lock(Mutex);
    HasStopped = true;
}

void TPlaylistModel::Halt()
{
    std::lock_guard<std::mutex> lock(Mutex);
    IsHalted = true;
}

void TPlaylistModel::SetStopAfterCurrent()
{
    std::lock_guard<std::mutex> lock(Mutex);
    Rules.StopAfterCurrent = true;
}

bool TPlaylistModel::Started() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return HasStarted;
}

bool TPlaylistModel::Stopped() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return HasStarted && HasStopped;
}

std::vector<std::string> TPlaylistModel::Trace() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Lines;
}

std::vector<size_t> TPlaylistModel::Played() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Starts;
}

void TPlaylistModel::Note(const std::string& Line)
{
    std::lock_guard<std::mutex> lock(Mutex);
    Lines.push_back(Line);
}
