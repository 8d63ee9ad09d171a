#include "fuzztargets.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzTargets::init(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzTargets::lines(data, size);
}
