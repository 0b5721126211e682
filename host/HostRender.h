#pragma once
// morvel render [-o OUT] [--raw] [--force] FILE...: each song from its start
// for its measured length as PCM of the output format, in a WAV file or
// headerless. One FILE: OUT is the output file ("-" standard output) unless it
// is a folder (an existing one, or any name ending in a slash). Several: OUT
// is a folder, made when missing. The default name is the input's with ".wav"
// (".pcm" with --raw), in the current directory. No input is ever written
// over, another existing file only with --force; each file is written under a
// temporary name beside its target and renamed into place when complete.

#include <cstdio>
#include <string>
#include <vector>

#include "host/HostCommand.h"

int RunRenderCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
extern const THostCommand RenderCommand;
