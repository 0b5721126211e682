#pragma once
// The command-line renderer's raw PCM of a song, rendered in this process:
// what the plug-in must play of it, byte for byte.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "player/DmfSoundSettings.h"

#include "host/HostRender.h"
#include "tests/support/PluginReference.h"
#include "tests/support/TestFiles.h"

// The options of morvel render that ask for Sound.
inline std::vector<std::string> SoundOptionsOf(const TSoundSettings& Sound)
{
    std::vector<std::string> options = {"--interpolation", InterpolationName(Sound.Interpolation),
                                        "--rate",          std::to_string(Sound.Rate),
                                        "--separation",    std::to_string(Sound.Separation)};
    if (Sound.ClickRemoval) {
        options.push_back("--click-removal");
    }
    return options;
}

// The render with the options Options (e.g. SoundOptionsOf's).
inline std::vector<uint8_t> RenderRaw(const std::string& Song, const std::vector<std::string>& Options = {})
{
    const std::string raw = TempPath("render.pcm");
    // The command's messages go nowhere to be seen.
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::vector<std::string> args = {Song, "--raw", "--force", "-o", raw};
    args.insert(args.end(), Options.begin(), Options.end());
    const int status = out && err ? RunRenderCommand(args, out, err) : -1;
    if (out) {
        std::fclose(out);
    }
    if (err) {
        std::fclose(err);
    }
    EXPECT_EQ(status, 0) << "the render command failed (or no temporary file could be made)";
    std::vector<uint8_t> bytes = ReadFileBytes(raw);
    std::remove(raw.c_str());
    return bytes;
}
