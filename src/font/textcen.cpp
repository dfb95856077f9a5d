// Centred and boxed text, clip rectangles, outlines.
#include "font/text.h"

#include "cmn/lib.h"
#include "win/grfreq.h"
#include "win/pixels.h"
#include "win/wind.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace {

constexpr const char* SITE = "font\\textcen";

int32_t hold(int32_t v, int32_t limit) { return v < 0 ? 0 : v > limit ? limit : v; }

void centre(const char* text, int32_t y)
{
    const int32_t x = (displayinfo.width - textwidth(text)) / 2;
    const int32_t penx = libtext.penx, peny = libtext.peny;
    settextpen(x, y);
    fortext(text);
    settextpen(penx, peny);
}

bool refusedjis()
{
    if (libtext.reader != readchar16) return false;
    LIBFAIL(SITE, "text function - THIS FUNCTION DOES NOT SUPPORT JIS STRINGS.\n");
    return true;
}

} // namespace

void textcentre(int32_t y, const char* format, ...)
{
    if (refusedjis() || !format) return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    centre(text, y);
}

void textcentrestring(const char* text, int32_t y)
{
    if (refusedjis() || !text) return;
    centre(text, y);
}

void textcentrestr(const char* text, int32_t y) { textcentrestring(text, y); }

void fortextboxed(const char* text)
{
    TextState saved;
    savetextstate(&saved);
    settextantialias(0);
    libtext.coloursset = false;
    textcolour(saved.foreground, saved.background);
    int32_t x = 0, y = 0, w = 0, h = 0;
    textextent256(text, &x, &y, &w, &h);
    fillrect(libtext.penx + x, libtext.peny + y, w, h, libtext.background);
    restoretextstate(&saved);
    fortext(text);
}

void fortextboxedat(const char* text, int32_t x, int32_t y)
{
    settextpen(x, y);
    fortextboxed(text);
}

void clearclip(uint32_t colour)
{
    const WIND& w = currentwindow;
    fillrect(w.minx, w.miny, w.maxx - w.minx, w.maxy - w.miny, colour);
}

void setwindowclip(WIND* window, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (!window) return;
    window->minx = hold(left, window->width);
    window->miny = hold(top, window->height);
    window->maxx = hold(right, window->width);
    window->maxy = hold(bottom, window->height);
}

void resetwindowclip(WIND* window) { setwindowclip(window, 0, 0, window ? window->width : 0, window ? window->height : 0); }

void setclipwindow(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    setwindowclip(&currentwindow, left, top, right, bottom);
}

void resetclip() { resetwindowclip(&currentwindow); }

void drawbox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    const int32_t w = x1 - x0 + 1, h = y1 - y0 + 1;
    fillrect(x0, y0, w, 1, colour);
    fillrect(x0, y1, w, 1, colour);
    fillrect(x0, y0, 1, h, colour);
    fillrect(x1, y0, 1, h, colour);
}
