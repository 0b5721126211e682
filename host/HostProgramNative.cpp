#include "host/HostProgram.h"
#include "host/play/HostPlay.h"

namespace {

const THostCommand* const LinuxCommands[] = {&PlayCommand};

}  // namespace

std::span<const THostCommand* const> SystemCommands()
{
    return LinuxCommands;
}
