#include "host/HostProgram.h"

std::span<const THostCommand* const> SystemCommands()
{
    return {};
}
