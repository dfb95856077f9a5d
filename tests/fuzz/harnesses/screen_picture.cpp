// A menu screen's software background: an IFF picture read from its file and
// fitted to the 640 x 480 screen.
#include "fuzz/harness.h"

#include "frontend/screen_runner.h"
#include "platform/memory.h"

FUZZ_HARNESS(screen_picture)
{
    fuzz_data_file("menu.lbm", data, size);
    uint8_t palette[768];
    free_mem(load_screen_picture("menu.lbm", palette));
}
