// The engine library's font files: checked, then drawn with every code into
// 8-bit and 16-bit windows, measured, and laid out as a mesh.
#include "fuzz/harness.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "font/fontobj.h"
#include "font/text.h"
#include "win/wind.h"

#include <cstring>

namespace {
int keep_going(const char*) { return 0; }
} // namespace

FUZZ_HARNESS(engine_font)
{
    if (size == 0 || size > 1u << 20) return;
    if (!memarenaready()) initmem();
    if (!rowspaceready()) initrow();
    setabortfilter(keep_going);
    auto* font = static_cast<uint8_t*>(memalloc(static_cast<int32_t>(size)));
    if (!font) return;
    std::memcpy(font, data, size);
    if (checkfont(font, static_cast<uint32_t>(size))) {
        char every[256];
        for (int i = 0; i < 255; ++i) every[i] = static_cast<char>(i + 1);
        every[255] = 0;
        for (int32_t bpp : {8, 16}) {
            WIND* w = createwindowquiet(64, 32, bpp, 0);
            if (!w) continue;
            lockwindow(w);
            settextfont(font);
            settextmissingbox(1);
            settextantialias(1);
            textcolour(7, 0);
            fortextat(every, -5, -3);
            fortextat("Kob 99\tA\nB", 30, 20);
            int32_t x, y, width, height;
            textextent256(every, &x, &y, &width, &height);
            fortextboxedat("AB", 3, 3);
            settextantialias(0);
            fortextat(every, 0, 10);
            if (FontObject* f = setfont(font)) {
                FONT_setattr(f, 5, 1);
                FONT_setattr(f, 6, 1);
                f->clipright = 50, f->clipbottom = 30;
                FONTdrawtext(f, -2, 4, 0, every);
                if (FontMesh* m = FONTallocmesh(f, 1, 1, 0, "Kob\n99")) {
                    FONT_drawmesh(m);
                    FONT_freemesh(m);
                }
                FONT_free(f);
            }
            unlockwindow();
            disposewindow(w);
        }
        FONT_cachefree();
        fontdrawfree();
        libtext = TextState{};
    }
    memfree(font);
    setabortfilter(nullptr);
}
