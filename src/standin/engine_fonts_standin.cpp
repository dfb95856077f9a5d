// STAND-IN (until the engine-periphery issue lands; see the header): the font state is the image itself and the
// renderer keeps nothing.
#include "standin/engine_fonts_standin.h"

void FONT_cacheinit() {}
void* setfont(const void* image) { return const_cast<void*>(image); }
void FONT_free(void*) {}
void FONT_cachefree() {}
void fontdrawinit() {}
void fontdrawglyphs() {}
void fontdrawfree() {}
