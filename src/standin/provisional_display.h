// Stand-ins for the library's display, palette, text, mouse and keyboard
// layers, which come later: the least that start-up and the thread layer call.
#pragma once

#include <cstdint>

bool issurfacelocked();
// 1 when the graphics are up (the stand-in always is).
int initgraphics(int32_t width, int32_t height, int32_t depth);
bool graphicsready();
void loaddefaultpalette();
void initlibtext();
void initmouse();
void initkeys();
void initdebugkeys();
void printmemorymap();
