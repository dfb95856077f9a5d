// Provisional (see the header): the font state is the image itself and the
// renderer keeps nothing.
#include "standin/engine_fonts_standin.h"

void FONT_cacheinit() {}
void* setfont(const void* image) { return const_cast<void*>(image); }
void FONT_free(void*) {}
void FONT_cachefree() {}
void fontdrawinit() {}
void fontdrawglyphs() {}
void fontdrawfree() {}

int32_t shapebpp(const void* shape)
{
    switch (*static_cast<const uint8_t*>(shape) & 0x7F) {
    case 0x79: return 1;
    case 0x7A: return 4;
    case 0x7B: return 8;
    case 0x7E: return 15;
    case 0x78: return 16;
    case 0x7F: return 24;
    case 0x7D: return 32;
    default: return 0;
    }
}
