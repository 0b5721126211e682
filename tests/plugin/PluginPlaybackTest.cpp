// The bundled song through the in-process plug-in, against the command-line
// renderer. (The Windows host compares it with a reference render of its own.)

#include <algorithm>

#include "tests/plugin/PluginFixture.h"
#include "tests/support/RenderReference.h"

namespace {

using TPluginPlayback = TPluginTest;

TEST_F(TPluginPlayback, ExampleSongPcmEqualsTheRenderCommand)
{
    PlayToEnd(ExampleSong);
    const std::vector<uint8_t> rendered = RenderRaw(ExampleSong);
    const std::vector<uint8_t> played = Host.Pcm();
    const size_t common = std::min(played.size(), rendered.size());
    EXPECT_TRUE(std::equal(played.begin(), played.begin() + static_cast<ptrdiff_t>(common), rendered.begin()))
        << "the PCM differs before the end of the shorter one";
    const std::vector<int32_t> ticks = TickLengths(ExampleSong);
    EXPECT_EQ(played.size(), rendered.size())
        << "played " << played.size() << " bytes, rendered " << rendered.size() << "; the song has " << ticks.size()
        << " ticks, " << Sum(ticks) << " bytes, the last " << ticks.back() << " bytes";
}

}  // namespace
