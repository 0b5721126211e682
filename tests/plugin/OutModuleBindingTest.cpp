// The Out_Module binding: a record's plain functions reach the object bound
// in its slot, each slot apart from the others, a new binding replacing the
// one before, and an empty slot answers as an idle output.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/sdk/OutModuleBinding.h"

namespace {

// Records every call by name; answers with distinct values.
class TCallLog {
public:
    std::vector<std::string> Calls;

    int Open(int Rate, int Channels, int Bits, int BufferMs, int PrebufferMs)
    {
        Calls.push_back("Open " + std::to_string(Rate) + " " + std::to_string(Channels) + " " + std::to_string(Bits) +
                        " " + std::to_string(BufferMs) + " " + std::to_string(PrebufferMs));
        return 11;
    }
    void Close() { Calls.push_back("Close"); }
    int Write(const char* Bytes, int Count)
    {
        Calls.push_back("Write " + std::string(Bytes, static_cast<size_t>(Count)));
        return 0;
    }
    int CanWrite() { return 22; }
    int IsPlaying() { return 1; }
    int Pause(int Paused)
    {
        Calls.push_back("Pause " + std::to_string(Paused));
        return 33;
    }
    void SetVolume(int Volume) { Calls.push_back("SetVolume " + std::to_string(Volume)); }
    void SetPan(int Pan) { Calls.push_back("SetPan " + std::to_string(Pan)); }
    void Flush(int Ms) { Calls.push_back("Flush " + std::to_string(Ms)); }
    int GetOutputTime() { return 44; }
    int GetWrittenTime() { return 55; }
};

// The same, with the optional functions too.
class TFullOutput : public TCallLog {
public:
    void Config(HWND) { Calls.push_back("Config"); }
    void About(HWND) { Calls.push_back("About"); }
    void Init() { Calls.push_back("Init"); }
    void Quit() { Calls.push_back("Quit"); }
};

struct TSecondSlot;

char Description[] = "test output";

// Calls every function of the record once, as a host might over a playback;
// returns the answers of those that have one.
std::vector<int> CallEveryFunction(const Out_Module& Record)
{
    char bytes[] = "abc";
    Record.Config(nullptr);
    Record.About(nullptr);
    Record.Init();
    std::vector<int> answers;
    answers.push_back(Record.Open(44100, 2, 16, 500, 100));
    answers.push_back(Record.Write(bytes, 3));
    answers.push_back(Record.CanWrite());
    answers.push_back(Record.IsPlaying());
    answers.push_back(Record.Pause(1));
    Record.SetVolume(-666);
    Record.SetPan(-128);
    Record.Flush(1234);
    answers.push_back(Record.GetOutputTime());
    answers.push_back(Record.GetWrittenTime());
    Record.Close();
    Record.Quit();
    return answers;
}

TEST(OutModuleBinding, RecordForwardsEveryFunctionToTheBoundOutput)
{
    using TBinding = TOutModuleBinding<TFullOutput>;
    TFullOutput output;
    const Out_Module record = TBinding::Record(Description);
    EXPECT_EQ(record.version, 0x10);
    EXPECT_STREQ(record.description, "test output");
    EXPECT_EQ(record.hMainWindow, nullptr);

    TBinding::Bind(output);
    EXPECT_EQ(CallEveryFunction(record), (std::vector<int>{11, 0, 22, 1, 33, 44, 55}));
    TBinding::Unbind();
    const std::vector<std::string> expected = {"Config",
                                               "About",
                                               "Init",
                                               "Open 44100 2 16 500 100",
                                               "Write abc",
                                               "Pause 1",
                                               "SetVolume -666",
                                               "SetPan -128",
                                               "Flush 1234",
                                               "Close",
                                               "Quit"};
    EXPECT_EQ(output.Calls, expected);

    // Unbound, the same calls reach nobody and find an output that cannot open.
    output.Calls.clear();
    EXPECT_EQ(CallEveryFunction(record), (std::vector<int>{-1, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(output.Calls.empty());
}

TEST(OutModuleBinding, OutputWithoutTheOptionalFunctionsIgnoresThem)
{
    using TBinding = TOutModuleBinding<TCallLog>;
    TCallLog output;
    const Out_Module record = TBinding::Record(Description);
    TBinding::Bind(output);
    record.Config(nullptr);
    record.About(nullptr);
    record.Init();
    record.Quit();
    record.Close();
    TBinding::Unbind();
    EXPECT_EQ(output.Calls, std::vector<std::string>{"Close"});
}

TEST(OutModuleBinding, SlotsAreApartAndABindingReplacesTheOneBefore)
{
    using TFirst = TOutModuleBinding<TCallLog>;
    using TSecond = TOutModuleBinding<TCallLog, TSecondSlot>;
    TCallLog first;
    TCallLog second;
    TCallLog replaced;
    const Out_Module firstRecord = TFirst::Record(Description);
    const Out_Module secondRecord = TSecond::Record(Description);
    EXPECT_NE(firstRecord.Flush, secondRecord.Flush);

    TFirst::Bind(replaced);
    TFirst::Bind(first);
    TSecond::Bind(second);
    firstRecord.Flush(1);
    secondRecord.Flush(2);
    EXPECT_EQ(first.Calls, std::vector<std::string>{"Flush 1"});
    EXPECT_EQ(second.Calls, std::vector<std::string>{"Flush 2"});
    EXPECT_TRUE(replaced.Calls.empty());

    // Freeing one slot leaves the other bound.
    TFirst::Unbind();
    EXPECT_EQ(firstRecord.Open(44100, 2, 16, -1, -1), -1);
    secondRecord.Flush(3);
    EXPECT_EQ(second.Calls, (std::vector<std::string>{"Flush 2", "Flush 3"}));
    EXPECT_EQ(first.Calls, std::vector<std::string>{"Flush 1"});
    TSecond::Unbind();
}

}  // namespace
