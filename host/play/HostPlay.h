#pragma once
// morvel play [--output NAME] [--device NAME] [--plugin PATH] FILE...: plays a
// playlist through the plug-in library, as a Winamp-style host does, on one of
// the outputs of HostOutputs.h.

#include <cstdio>
#include <string>
#include <vector>

#include "host/HostCommand.h"

int RunPlayCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
extern const THostCommand PlayCommand;
