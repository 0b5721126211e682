// The Out_Module binding: a record's plain functions reach the object bound
// in its slot, each slot apart from the others, and an empty slot answers as
// an idle output.

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

TEST(OutModuleBinding, RecordForwardsEveryFunctionToTheBoundOutput)
{
    using TBinding = TOutModuleBinding<TFullOutput>;
    TFullOutput output;
    Out_Module record = TBinding::Record(Description);
    EXPECT_EQ(record.version, 0x10);
    EXPECT_STREQ(record.description, "test output");
    EXPECT_EQ(record.hMainWindow, nullptr);
    TBinding::Bind(output);

    char bytes[] = "abc";
    record.Config(nullptr);
    record.About(nullptr);
    record.Init();
    EXPECT_EQ(record.Open(44100, 2, 16, 500, 100), 11);
    EXPECT_EQ(record.Write(bytes, 3), 0);
    EXPECT_EQ(record.CanWrite(), 22);
    EXPECT_EQ(record.IsPlaying(), 1);
    EXPECT_EQ(record.Pause(1), 33);
    record.SetVolume(-666);
    record.SetPan(-128);
    record.Flush(1234);
    EXPECT_EQ(record.GetOutputTime(), 44);
    EXPECT_EQ(record.GetWrittenTime(), 55);
    record.Close();
    record.Quit();
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
}

TEST(OutModuleBinding, EmptySlotAnswersAsAnIdleOutput)
{
    using TBinding = TOutModuleBinding<TFullOutput>;
    TFullOutput output;
    const Out_Module record = TBinding::Record(Description);
    TBinding::Bind(output);
    TBinding::Unbind();

    char bytes[] = "x";
    record.Init();
    EXPECT_LT(record.Open(44100, 2, 16, 0, 0), 0);
    EXPECT_EQ(record.Write(bytes, 1), 0);
    EXPECT_EQ(record.CanWrite(), 0);
    EXPECT_EQ(record.IsPlaying(), 0);
    EXPECT_EQ(record.Pause(1), 0);
    record.Flush(10);
    EXPECT_EQ(record.GetOutputTime(), 0);
    EXPECT_EQ(record.GetWrittenTime(), 0);
    record.Close();
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

TEST(OutModuleBinding, SlotsAreApartAndTakenOnlyWhenFree)
{
    using TFirst = TOutModuleBinding<TCallLog>;
    using TSecond = TOutModuleBinding<TCallLog, TSecondSlot>;
    TCallLog first;
    TCallLog second;
    TCallLog intruder;
    const Out_Module firstRecord = TFirst::Record(Description);
    const Out_Module secondRecord = TSecond::Record(Description);
    EXPECT_NE(firstRecord.Flush, secondRecord.Flush);

    ASSERT_TRUE(TFirst::BindIfFree(first));
    ASSERT_TRUE(TSecond::BindIfFree(second));
    EXPECT_FALSE(TFirst::BindIfFree(intruder));
    // Unbinding another output leaves the slot as it is.
    TFirst::Unbind(intruder);
    EXPECT_EQ(TFirst::Output(), &first);

    firstRecord.Flush(1);
    secondRecord.Flush(2);
    EXPECT_EQ(first.Calls, std::vector<std::string>{"Flush 1"});
    EXPECT_EQ(second.Calls, std::vector<std::string>{"Flush 2"});
    EXPECT_TRUE(intruder.Calls.empty());

    TFirst::Unbind(first);
    TSecond::Unbind(second);
    EXPECT_EQ(TFirst::Output(), nullptr);
    EXPECT_EQ(TSecond::Output(), nullptr);
}

}  // namespace
