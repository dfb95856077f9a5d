// TGA pictures, through both readers: the loader of the named textures and
// the picture object of the texture cache.
#include "fuzz/harness.h"

#include "gl3d/image_loaders.h"
#include "gl3d/texture_cache.h"

#include <cstdlib>

FUZZ_HARNESS(tga)
{
    std::string path = fuzz_data_file("pic.tga", data, size);
    DibSection* dib = nullptr;
    if (load_tga_dib(path.c_str(), &dib) == TEX_OK) delete dib;
    uint32_t w = 0, h = 0;
    std::free(load_image_file("pic.tga", &w, &h));
}
