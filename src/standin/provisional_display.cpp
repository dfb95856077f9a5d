#include "standin/provisional_display.h"

#include <atomic>

namespace {
std::atomic<bool> g_graphics{false};
}

bool issurfacelocked() { return false; }

int initgraphics(int32_t, int32_t, int32_t)
{
    g_graphics.store(true);
    return 1;
}

bool graphicsready() { return g_graphics.load(); }
void loaddefaultpalette() {}
void initlibtext() {}
void initmouse() {}
void initkeys() {}
void initdebugkeys() {}
void printmemorymap() {}
