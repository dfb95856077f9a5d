// PPM pictures, from a file and from memory.
#include "fuzz/harness.h"

#include "gl3d/image_loaders.h"

FUZZ_HARNESS(ppm)
{
    std::string path = fuzz_data_file("pic.ppm", data, size);
    DibSection* dib = nullptr;
    if (load_ppm_dib(path.c_str(), &dib) == TEX_OK) delete dib;
    dib = nullptr;
    if (load_ppm_dib_mem(data, static_cast<uint32_t>(size), &dib) == TEX_OK) delete dib;
}
