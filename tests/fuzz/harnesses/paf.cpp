// Skeletal animations.
#include "fuzz/harness.h"

#include "model/paf.h"

FUZZ_HARNESS(paf)
{
    const char* error = nullptr;
    PafAnimation* animation = parse_paf(data, static_cast<uint32_t>(size), &error);
    if (!animation) return;
    paf_length(animation);
    free_paf(animation);
}
