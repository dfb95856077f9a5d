// Provisional: a fixed 8-pixel font with 10-pixel lines stands in for the
// game's fonts until they are loaded for real.
#include "standin/provisional_fonts.h"

void select_font(int16_t) {}

int32_t string_width(const char* text)
{
    int32_t widest = 0, running = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n' || *p == '\r') {
            running = 0;
            continue;
        }
        running += 8;
        if (running > widest) widest = running;
    }
    return widest;
}

int32_t string_height(const char* text)
{
    int32_t lines = 1;
    for (const char* p = text; *p; ++p)
        if (*p == '\n') ++lines;
    return 10 * lines;
}
