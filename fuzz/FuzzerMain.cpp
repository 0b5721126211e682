// The libFuzzer entry of one harness, chosen by MORVEL_FUZZ_HARNESS when the
// program is built.

#include "fuzz/FuzzHarnesses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    return MORVEL_FUZZ_HARNESS(Data, Size);
}
