// STAND-IN (until the engine-periphery issue lands): the engine library's
// font objects and text renderer; each keeps its owner's name.
#pragma once

#include <cstdint>

void FONT_cacheinit();
// A font state made from an FNT image in memory.
void* setfont(const void* image);
void FONT_free(void* font);
void FONT_cachefree();
void fontdrawinit();
void fontdrawglyphs();
void fontdrawfree();
