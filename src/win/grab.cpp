#include "win/grab.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "host/file_util.h"
#include "host/paths.h"
#include "win/colour.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/wind.h"

#include <string>

namespace {

int32_t grabbytes(int32_t bpp) { return (bpp + 7) / 8; }

} // namespace

uint32_t grabsize()
{
    const WIND& w = currentwindow;
    int64_t width = w.maxx - w.minx, height = w.maxy - w.miny;
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    int64_t size = width * height * grabbytes(w.bpp) + 18 + (w.bpp == 8 ? 768 : 0);
    return static_cast<uint32_t>(size);
}

void grabtga(uint8_t* out)
{
    const WIND& w = currentwindow;
    bool mapped = w.bpp == 8;
    int32_t width = w.maxx - w.minx, height = w.maxy - w.miny;
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    int32_t bytes = grabbytes(w.bpp);
    uint8_t header[18] = {0, uint8_t(mapped), uint8_t(mapped ? 1 : 2), 0, 0, 0, 0, uint8_t(mapped ? 24 : 0)};
    putlittleendian(header + 5, mapped ? 256 : 0, 2);
    putlittleendian(header + 8, static_cast<uint32_t>(w.minx), 2);
    putlittleendian(header + 10, static_cast<uint32_t>(w.height - w.maxy), 2);
    putlittleendian(header + 12, static_cast<uint32_t>(width), 2);
    putlittleendian(header + 14, static_cast<uint32_t>(height), 2);
    header[16] = static_cast<uint8_t>(bytes * 8);
    header[17] = 0x20;
    uint8_t* at = out;
    for (uint8_t b : header) *at++ = b;
    if (mapped)
        for (uint32_t entry : libpalette) {
            *at++ = static_cast<uint8_t>(entry);
            *at++ = static_cast<uint8_t>(entry >> 8);
            *at++ = static_cast<uint8_t>(entry >> 16);
        }
    for (int32_t y = w.miny; y < w.maxy; ++y)
        for (int32_t x = w.minx; x < w.maxx; ++x) {
            uint32_t p = readpixel(x, y);
            // The file's 16-bit form is 15-bit.
            if (w.bpp == 16) p = ((p >> 11) & 31) << 10 | ((p >> 6) & 31) << 5 | (p & 31);
            putlittleendian(at, p, bytes);
            at += bytes;
        }
}

int grabscreen(const char* name)
{
    if (!name) return 0;
    uint32_t size = grabsize();
    auto* buffer = static_cast<uint8_t*>(reservememadr("grab", static_cast<int32_t>(size), libsettings.defaultmemclass));
    if (!buffer) return 0;
    grabtga(buffer);
    std::string path = host_user_dir();
    if (!path.empty() && path.back() != '/') path += '/';
    int written = host_replace_file(path + name, buffer, size) ? 1 : 0;
    memfree(buffer);
    return written;
}
