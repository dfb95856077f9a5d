// ".LKZ" images: a size, then one LZSS stream of pixels.
#include "fuzz/harness.h"

#include "platform/lzss.h"

#include <cstdio>
#include <cstdlib>

FUZZ_HARNESS(lkz_image)
{
    std::FILE* stream = std::fopen(fuzz_user_file("image.lkz", data, size).c_str(), "rb");
    if (!stream) return;
    uint32_t width = 0, height = 0;
    std::free(load_lkz_image(stream, &width, &height));
}
