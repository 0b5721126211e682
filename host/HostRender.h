#pragma once
// morvel render FILE [-o OUT.wav] [--raw]: the song from its start for its
// measured length as 44100 Hz 16-bit stereo PCM, in a WAV file or headerless.

#include <cstdio>
#include <string>
#include <vector>

#include "host/HostCommand.h"

int RunRenderCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
extern const THostCommand RenderCommand;
