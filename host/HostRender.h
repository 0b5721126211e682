#pragma once
// morvel render [-o OUT] [--raw] FILE...: each song from its start for its
// measured length as 44100 Hz 16-bit stereo PCM, in a WAV file or headerless.
// One FILE: OUT is the output file ("-" standard output, an existing folder
// takes the default name). Several: OUT is a folder, made when missing. The
// default name is the input's with ".wav" (".pcm" with --raw), in the current
// directory.

#include <cstdio>
#include <string>
#include <vector>

#include "host/HostCommand.h"

int RunRenderCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
extern const THostCommand RenderCommand;
