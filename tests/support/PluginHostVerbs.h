#pragma once
// What a test host does with the plug-in beyond single entry-point calls,
// written once over a fixture's own verbs, so that the in-process fixture and
// the Windows host's do it alike: titles, playing a song to its end, a
// playlist run by Winamp's rules, and Winamp's own output plug-ins.
//
// The fixture (TFixture derives from this) provides Module, Host,
// GetFileInfo, Play, Stop, and OnHostThread(Task): runs Task on a host thread that
// is not the player's, in the order of posting, from any thread (the player
// thread included).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/PlaylistModel.h"
#include "tests/support/RecordingHost.h"

template <class TFixture> class TPluginHostVerbs {
public:
    std::string FileTitle(const char* Name, int* Length = nullptr)
    {
        char title[512] = "untouched";
        int length = -12345;
        Self().GetFileInfo(Name, title, &length);
        if (Length) {
            *Length = length;
        }
        return title;
    }

    // Plays Path and waits until the song has ended by itself and its
    // end-of-file message has reached the main window.
    void PlayToEnd(const std::string& Path)
    {
        const int before = Self().Host.EndOfFileMessages();
        ASSERT_EQ(Self().Play(Path), 0);
        ASSERT_TRUE(Self().Host.WaitForEndOfFile(before + 1)) << "the song never ended";
    }

    // What the plug-in announces when it plays Path to its end: the rate,
    // channels and bits it opens the output with, and the bit rate it shows
    // (SetInfo); empty when it did not open the output.
    std::vector<int64_t> PlayedFormat(const std::string& Path)
    {
        Self().Host.ClearCalls();
        PlayToEnd(Path);
        Self().Stop();
        const std::vector<THostCall> opens = Self().Host.CallsNamed("Open");
        const std::vector<THostCall> infos = Self().Host.CallsNamed("SetInfo");
        if (opens.empty() || infos.empty()) {
            return {};
        }
        return {opens[0].Args[0], opens[0].Args[1], opens[0].Args[2], infos[0].Args[0]};
    }

    // The main window runs Entries by Rules from the first entry on, acting on
    // each end-of-file message the plug-in posts.
    TPlaylistModel& StartPlaylist(const std::vector<std::string>& Entries, TPlaylistRules Rules = {})
    {
        // A list that stopped stays: a message on its way to it finds it stopped.
        Playlists.push_back(std::make_unique<TPlaylistModel>(*Self().Module, Entries, Rules));
        TPlaylistModel* list = Playlists.back().get();
        Self().Host.SetWindowProcedure([this, list](unsigned Message) {
            if (Message == WM_WA_MPEG_EOF) {
                Self().OnHostThread([list] { list->EndOfFile(); });
            }
        });
        Self().OnHostThread([list] { list->Start(0); });
        return *list;
    }

    // Until the last list started has stopped; false when it has not within the host's timeout.
    bool WaitForPlaylistStop() const
    {
        return Self().Host.WaitUntil([this] { return !Playlists.empty() && Playlists.back()->Stopped(); });
    }

    // Before the fixture stops and unloads the plug-in: the list calls it no more.
    void HaltPlaylist()
    {
        for (const std::unique_ptr<TPlaylistModel>& list : Playlists) {
            list->Halt();
        }
        Self().Host.SetWindowProcedure(nullptr);
    }

protected:
    std::vector<std::unique_ptr<TPlaylistModel>> Playlists;

private:
    TFixture& Self() { return static_cast<TFixture&>(*this); }
    const TFixture& Self() const { return static_cast<const TFixture&>(*this); }
};
