// morvel play's outputs behind the one interface: the table by name, the
// default and the old --device spellings, the silent output's clocks, and the
// PulseAudio output without a server (every wait on it bounded).

#ifndef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "host/play/HostOutputs.h"
#include "host/play/HostPlay.h"
#include "host/play/HostPulseOutput.h"
#include "player/DmfOutputFormat.h"
#include "tests/support/CommandRun.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

// A server that cannot answer: nothing listens on this socket.
constexpr char NoServer[] = "unix:/nonexistent/morvel-test/native";

TEST(HostOutputs, EachIsChosenByNameAndTheOldDeviceSpellingsKeepTheirMeaning)
{
    std::vector<std::string> names;
    for (const THostOutputKind& kind : HostOutputs()) {
        names.push_back(kind.Name);
        EXPECT_EQ(OutputNamed(kind.Name), &kind);
        EXPECT_NE(kind.Make(""), nullptr);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"pulse", "alsa", "null"}));
    EXPECT_EQ(OutputNamed("oss"), nullptr);

    // --device alone names an ALSA device as it always did; "null" is the silent output.
    EXPECT_EQ(DefaultOutput("null", true).Kind, OutputNamed("null"));
    const THostOutputChoice hardware = DefaultOutput("hw:0", true);
    EXPECT_EQ(hardware.Kind, OutputNamed("alsa"));
    EXPECT_EQ(hardware.Device, "hw:0");
    // Neither: PulseAudio when its server answers, else ALSA's default device, at once.
    TScopedEnvironment environment;
    environment.Set("PULSE_SERVER", NoServer);
    const auto asked = std::chrono::steady_clock::now();
    const THostOutputChoice fallback = DefaultOutput("", false);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    EXPECT_EQ(fallback.Kind, OutputNamed("alsa"));
    EXPECT_EQ(fallback.Device, "default");

    // An output of no such name is a usage error naming the outputs.
    const TCommandRun run = RunCommand(&RunPlayCommand, {"--output", "oss", "song.dmf"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("pulse, alsa, null"), std::string::npos) << run.Err;
}

TEST(HostOutputs, TheSilentOutputHearsAtOnceAndCountsFlushes)
{
    const std::unique_ptr<THostOutput> output = OutputNamed("null")->Make("");
    ASSERT_EQ(output->Open(OutputRate, OutputChannels, OutputBits, -1, -1), 0);
    const std::vector<char> second(static_cast<size_t>(OutputBytesPerSecond), 0);
    EXPECT_GT(output->CanWrite(), static_cast<int>(second.size()));
    output->Write(second.data(), static_cast<int>(second.size()));
    EXPECT_EQ(output->IsPlaying(), 0);
    EXPECT_EQ(output->GetOutputTime(), 1000);
    EXPECT_EQ(output->GetWrittenTime(), 1000);
    // Paused, it takes nothing.
    EXPECT_EQ(output->Pause(1), 0);
    EXPECT_EQ(output->CanWrite(), 0);
    EXPECT_EQ(output->Pause(0), 1);
    // A flush sets both clocks and is counted.
    output->Flush(30000);
    EXPECT_EQ(output->LastFlush().Count, 1);
    EXPECT_EQ(output->LastFlush().TimeMs, 30000);
    EXPECT_EQ(output->GetOutputTime(), 30000);
    output->Write(second.data(), static_cast<int>(second.size()) / 2);
    EXPECT_EQ(output->GetOutputTime(), 30500);
    EXPECT_EQ(output->LastError(), "");
}

TEST(HostOutputs, PulseWithoutAServerFailsAtOnceWithTheReason)
{
    TScopedEnvironment environment;
    environment.Set("PULSE_SERVER", NoServer);
    EXPECT_FALSE(TPulseOutput::ServerAnswers(500));
    TPulseOutput output("");
    output.SetStreamTitle("Song - Composer");
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_LT(output.Open(OutputRate, OutputChannels, OutputBits, -1, -1), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(3));
    EXPECT_NE(output.LastError().find("PulseAudio"), std::string::npos) << output.LastError();
    // Not open: it takes nothing, plays nothing, and every call answers.
    EXPECT_EQ(output.CanWrite(), 0);
    const std::vector<char> frames(4096, 0);
    EXPECT_EQ(output.Write(frames.data(), static_cast<int>(frames.size())), 0);
    EXPECT_EQ(output.IsPlaying(), 0);
    EXPECT_EQ(output.Pause(1), 0);
    output.Flush(1000);
    EXPECT_EQ(output.GetOutputTime(), 1000);
    output.Close();
    // Nor does a sample size it cannot play open.
    EXPECT_LT(output.Open(OutputRate, OutputChannels, 8, -1, -1), 0);
    EXPECT_NE(output.LastError().find("8 bits"), std::string::npos) << output.LastError();
}

}  // namespace

#endif
