// IFF ILBM pictures.
#include "fuzz/harness.h"

#include "platform/iff.h"
#include "platform/memory.h"

FUZZ_HARNESS(ilbm)
{
    uint8_t palette[768];
    uint8_t* picture = load_iff_picture(data, static_cast<uint32_t>(size), palette);
    if (picture) free_mem(picture);
}
