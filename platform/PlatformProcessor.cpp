#include "platform/PlatformProcessor.h"

// Each answer is taken once. __builtin_cpu_init may be needed: the first call
// can come before the constructors that would otherwise run it.
#if defined(__x86_64__) || defined(__i386__)

bool ProcessorHasAvx()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return has;
}

bool ProcessorHasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

#else

bool ProcessorHasAvx()
{
    return false;
}

bool ProcessorHasAvx2()
{
    return false;
}

#endif
