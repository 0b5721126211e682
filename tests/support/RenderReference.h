#pragma once
// The command-line renderer's raw PCM of a song, rendered in this process:
// what the plug-in must play of it, byte for byte.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/HostRender.h"
#include "tests/support/PluginReference.h"
#include "tests/support/TestFiles.h"

inline std::vector<uint8_t> RenderRaw(const std::string& Song)
{
    const std::string raw = TempPath("render.pcm");
    // The command's messages go nowhere to be seen.
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = out && err ? RunRenderCommand({Song, "--raw", "--force", "-o", raw}, out, err) : -1;
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
