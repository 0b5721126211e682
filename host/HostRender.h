#pragma once
// morvel render [-o OUT] [--format NAME] [--quality Q] [--force] FILE...: each
// song from its start for its measured length, as raw PCM of the output
// format or as a sound file the encoder makes of it (HostSoundFile.h),
// tagged with the song's name, composer and message. One FILE: OUT is the
// output file ("-" standard output) unless it is a folder (an existing one,
// or any name ending in a slash). Several: OUT is a folder, made when
// missing. The format is --format's, else the one OUT's extension names
// (none is a usage error), else WAV; standard output takes raw PCM. The
// default name is the input's with the format's extension, in the current
// directory. No input is ever written over, another existing file only with
// --force; each file is written under a temporary name beside its target and
// renamed into place when complete.

#include <cstdio>
#include <string>
#include <vector>

#include "host/HostCommand.h"

int RunRenderCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
extern const THostCommand RenderCommand;
