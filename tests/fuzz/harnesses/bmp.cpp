// BMP pictures for the named textures.
#include "fuzz/harness.h"

#include "gl3d/image_loaders.h"

FUZZ_HARNESS(bmp)
{
    std::string path = fuzz_data_file("pic.bmp", data, size);
    DibSection* dib = nullptr;
    if (load_bmp_dib(path.c_str(), &dib) == TEX_OK) delete dib;
}
