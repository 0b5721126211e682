#include "platform/PlatformEnvironment.h"

#include <cstdlib>

// The C library reads the environment the same way on every system.
const char* PlatformEnvironmentValue(const char* Name)
{
    return std::getenv(Name);
}
