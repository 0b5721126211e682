#pragma once
// Four floats side by side, for the stages that run several lines, subbands or
// time slots at once: each lane goes through the float operations one value
// would, in the same order (the files that use them build without fused
// multiply-adds).

#include <cstdint>
#include <cstring>

typedef float TFloat4 __attribute__((vector_size(16)));
typedef int32_t TInt4 __attribute__((vector_size(16)));

inline TFloat4 Load4(const float* At)
{
    TFloat4 value;
    std::memcpy(&value, At, sizeof value);
    return value;
}

inline void Store4(float* At, TFloat4 Value)
{
    std::memcpy(At, &Value, sizeof Value);
}
