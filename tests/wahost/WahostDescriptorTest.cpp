// The DLL as a separately compiled host sees it: one export, and a record
// laid out as the host's SDK lays it out, read at the SDK's byte offsets.

#include <cstddef>
#include <cstring>

#include "tests/wahost/WahostFixture.h"

namespace {

// The host's view of the two records: 32-bit fields at these offsets.
static_assert(sizeof(In_Module) == 152 && sizeof(Out_Module) == 80);
static_assert(offsetof(In_Module, FileExtensions) == 16 && offsetof(In_Module, Init) == 36 &&
              offsetof(In_Module, Play) == 56 && offsetof(In_Module, SAVSAInit) == 96 &&
              offsetof(In_Module, dsp_dosamples) == 136 && offsetof(In_Module, EQSet) == 140 &&
              offsetof(In_Module, outMod) == 148);
static_assert(offsetof(Out_Module, hMainWindow) == 12 && offsetof(Out_Module, Open) == 36 &&
              offsetof(Out_Module, Write) == 44 && offsetof(Out_Module, GetWrittenTime) == 76);

using TWahostDescriptor = TWahostTest;
using TWahostRecord = TWahostUnloadedTest;

uint32_t WordAt(const void* Record, size_t Offset)
{
    uint32_t word;
    std::memcpy(&word, static_cast<const uint8_t*>(Record) + Offset, sizeof word);
    return word;
}

const char* TextAt(const void* Record, size_t Offset)
{
    return reinterpret_cast<const char*>(static_cast<uintptr_t>(WordAt(Record, Offset)));
}

// winampGetInModule2 and the optional exports Winamp 5 looks up by name: no
// other, none by ordinal only.
TEST_F(TWahostRecord, DllExportsThePluginsFunctionsAlone)
{
    ASSERT_NO_FATAL_FAILURE(Load());
    const std::vector<std::string> expected = {"winampGetExtendedFileInfo",     "winampGetExtendedFileInfoW",
                                               "winampGetExtendedRead_close",   "winampGetExtendedRead_getData",
                                               "winampGetExtendedRead_open",    "winampGetExtendedRead_openW",
                                               "winampGetExtendedRead_setTime", "winampGetInModule2"};
    EXPECT_EQ(Dll.ExportNames(), expected);
    EXPECT_EQ(Dll.ExportedFunctions(), static_cast<int>(expected.size())) << "functions exported by ordinal only";
    for (const std::string& name : expected) {
        EXPECT_TRUE(Dll.Holds(Dll.Symbol(name.c_str()))) << name;
    }
    EXPECT_TRUE(Winamp5().Complete());
    // The record is the DLL's own, static for its lifetime.
    EXPECT_TRUE(Dll.Holds(Module));
}

// Before the host writes into it: the plug-in's fields at their offsets, the
// host's still zero.
TEST_F(TWahostRecord, RecordReadAtTheSdkOffsetsBeforeTheHostFillsIt)
{
    ASSERT_EQ(Dll.Load(Options().Plugin), "");
    const In_Module* record = Dll.GetModule();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(WordAt(record, 0), 0x100u) << "version";
    EXPECT_STREQ(TextAt(record, 4), "Morvel - solvane dmf player 0.7.5");
    EXPECT_EQ(WordAt(record, 20), 1u) << "is_seekable";
    EXPECT_EQ(WordAt(record, 24), 1u) << "UsesOutputPlug";

    // "extension", "description" pairs until an empty extension.
    const char* p = TextAt(record, 16);
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int i = 0; *p && i < 10; ++i) {
        const std::string extension = p;
        p += extension.size() + 1;
        const std::string description = p;
        p += description.size() + 1;
        pairs.emplace_back(extension, description);
    }
    EXPECT_EQ(pairs, (std::vector<std::pair<std::string, std::string>>{{"dmf", "Quorlith Digital Music File"}}));

    // Config .. SetPan, then EQSet: the plug-in's functions, inside its image.
    std::vector<size_t> entries;
    for (size_t offset = 28; offset <= 92; offset += 4) {
        entries.push_back(offset);
    }
    entries.push_back(140);
    for (size_t offset : entries) {
        const auto entry = reinterpret_cast<const void*>(static_cast<uintptr_t>(WordAt(record, offset)));
        EXPECT_TRUE(entry && Dll.Holds(entry)) << "entry point at offset " << offset;
    }
    // hMainWindow, hDllInstance, SAVSAInit .. dsp_dosamples, SetInfo, outMod.
    std::vector<size_t> hostFields = {8, 12, 144, 148};
    for (size_t offset = 96; offset <= 136; offset += 4) {
        hostFields.push_back(offset);
    }
    for (size_t offset : hostFields) {
        EXPECT_EQ(WordAt(record, offset), 0u) << "host field at offset " << offset;
    }
    Dll.Unload();
}

TEST_F(TWahostDescriptor, SecondCallGivesTheSameRecordAndLeavesTheHostFieldsAlone)
{
    In_Module before;
    std::memcpy(&before, Module, sizeof before);
    In_Module* again = Dll.GetModule();
    EXPECT_EQ(again, Module);
    EXPECT_EQ(std::memcmp(&before, again, sizeof before), 0);
    EXPECT_EQ(again->hMainWindow, MainWindow().Handle());
    EXPECT_EQ(again->hDllInstance, Dll.Handle());
    EXPECT_EQ(again->outMod, &Host.Output());
    EXPECT_EQ(again->dsp_dosamples, before.dsp_dosamples);
}

// Pan and volume reach the host's output as given; the equaliser has no
// handler. (Config shows its dialog, which the settings scenarios work.)
TEST_F(TWahostDescriptor, PanAndVolumeReachTheOutputUnchangedAndTheEqualiserDoesNothing)
{
    char bands[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    Ui([&] {
        Module->SetPan(-77);
        Module->SetPan(128);
        Module->SetVolume(201);
        Module->EQSet(1, bands, 20);
    });
    EXPECT_EQ(Host.Events(), (std::vector<std::string>{"SetPan", "SetPan", "SetVolume"}));
    EXPECT_EQ(FirstArgs(Host.CallsNamed("SetPan")), (std::vector<int32_t>{-77, 128}));
    EXPECT_EQ(FirstArgs(Host.CallsNamed("SetVolume")), (std::vector<int32_t>{201}));
    for (const THostCall& call : Host.Calls()) {
        EXPECT_EQ(call.Thread, MainWindow().Thread()) << call.Name;
    }
}

// The host's About button: a message box with the plug-in's name and version
// and a line on the format, shown until the user dismisses it.
TEST_F(TWahostDescriptor, AboutShowsOneMessageBoxWithTheNameVersionAndFormat)
{
    Ui([&] { Module->About(MainWindow().Handle()); });
    const std::vector<std::string> boxes = MainWindow().TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(": " + std::string(Module->description) + "\n"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("Quorlith Digital Music File"), std::string::npos) << boxes[0];
    EXPECT_TRUE(Host.Calls().empty());
}

}  // namespace
