// Loading the plug-in library as the host does: a library that cannot be used
// is refused with a reason naming it; the real plug-in's record gets every
// field the host owns.

#ifndef _WIN32

#include <gtest/gtest.h>

#include "host/play/HostPluginLibrary.h"
#include "platform/PlatformNativeWindow.h"
#include "player/DmfOutputFormat.h"

namespace {

TEST(HostPluginLibrary, UnusableLibrariesAreRefusedWithAReasonNamingThem)
{
    TPluginLibrary library;
    std::string error;
    const std::string missing = ::testing::TempDir() + "no-such-plugin.so";
    EXPECT_FALSE(library.Load(missing, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_EQ(library.Module(), nullptr);
    // A shared library without winampGetInModule2.
    EXPECT_FALSE(library.Load(MORVEL_NOT_A_PLUGIN_LIBRARY, error));
    EXPECT_NE(error.find("winampGetInModule2"), std::string::npos) << error;
}

TEST(HostPluginLibrary, TheHostFillsEveryFieldItOwns)
{
    TPluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Load(MORVEL_PLUGIN_LIBRARY, error)) << error;
    In_Module* module = library.Module();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->version, InModuleVersion);

    TNativeHostWindow window = {nullptr, nullptr};
    Out_Module output = {};
    library.Connect(window.Handle(), &output);
    EXPECT_EQ(module->hMainWindow, window.Handle());
    EXPECT_EQ(module->hDllInstance, library.Instance());
    EXPECT_EQ(module->outMod, &output);
    const void* hostFunctions[] = {
        reinterpret_cast<const void*>(module->SAVSAInit),     reinterpret_cast<const void*>(module->SAVSADeInit),
        reinterpret_cast<const void*>(module->SAAddPCMData),  reinterpret_cast<const void*>(module->SAGetMode),
        reinterpret_cast<const void*>(module->SAAdd),         reinterpret_cast<const void*>(module->VSAAddPCMData),
        reinterpret_cast<const void*>(module->VSAGetMode),    reinterpret_cast<const void*>(module->VSAAdd),
        reinterpret_cast<const void*>(module->VSASetInfo),    reinterpret_cast<const void*>(module->dsp_isactive),
        reinterpret_cast<const void*>(module->dsp_dosamples), reinterpret_cast<const void*>(module->SetInfo)};
    for (const void* function : hostFunctions) {
        EXPECT_NE(function, nullptr);
    }
    // No DSP: the PCM passes as it is.
    EXPECT_EQ(module->dsp_isactive(), 0);
    short samples[8] = {};
    EXPECT_EQ(module->dsp_dosamples(samples, 4, OutputBits, OutputChannels, OutputRate), 4);
}

}  // namespace

#endif  // _WIN32
