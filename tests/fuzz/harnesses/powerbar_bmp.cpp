// The HUD's 8-bit bar bitmaps.
#include "fuzz/harness.h"

#include "display/hud.h"
#include "platform/memory.h"

FUZZ_HARNESS(powerbar_bmp)
{
    uint8_t* pixels = nullptr;
    int32_t w = 0, h = 0;
    if (bitmap_from_memory(data, static_cast<uint32_t>(size), &pixels, &w, &h)) {
        volatile uint8_t last = pixels[w * h - 1];
        (void)last;
        free_mem(pixels);
    }
}
