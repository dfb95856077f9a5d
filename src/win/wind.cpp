#include "win/wind.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "host/process.h"
#include "win/ddraw.h"
#include "win/pixels.h"

#include <cstdio>
#include <cstring>

WIND currentwindow{};

namespace {

const char* const SITE = "win\\wind";
constexpr uint32_t BLOCK_HEADER = 5; // length, references, start, step, shift

struct RowSpace {
    uint32_t* pool = nullptr;
    uint32_t words = 0;
    bool own = false;
    uint32_t asked = ROWSPACE_DEFAULT;
    uint32_t* caller = nullptr;
} g_rows;

WIND* g_dummy = nullptr;

int32_t display_depth()
{
    return libdisplay.bpp ? libdisplay.bpp : 8;
}

int32_t row_bytes(int32_t width, int32_t bpp)
{
    int32_t d = bpp == 15 ? 16 : bpp;
    return (((width * d + 7) & ~7) / d) * d / 8;
}

void fill_block(uint32_t* block, uint32_t count, uint32_t start, uint32_t step, uint32_t shift)
{
    block[0] = count;
    block[1] = 1;
    block[2] = start;
    block[3] = step;
    block[4] = shift;
    for (uint32_t i = 0; i < count; ++i) block[BLOCK_HEADER + i] = (start + i * step) >> shift;
}

// A window's tables go back to the pool.
void release_tables(WIND* w)
{
    if (w->rowtable) removewindow(w->rowtable);
    if (w->columntable) removewindow(w->columntable);
    w->rowtable = w->columntable = nullptr;
}

int check_field(const WIND* w, const char* field, int32_t value, int32_t low, int32_t high, bool hex, bool report)
{
    if (value >= low && value <= high) return 1;
    if (!report) return 0;
    unsigned long at = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(w));
    if (low == high)
        LIBFAIL(SITE,
                hex ? "checkwindow - BAD WINDOW FIELD '%s'.\nVALUE IS %x.  SHOULD BE %x.  %dx%dx%d @ %lx\n"
                    : "checkwindow - BAD WINDOW FIELD '%s'.\nVALUE IS %d.  SHOULD BE %d.  %dx%dx%d @ %lx\n",
                field, value, low, w->width, w->height, w->bpp, at);
    else
        LIBFAIL(SITE,
                hex ? "checkwindow - BAD WINDOW FIELD '%s'.\nVALUE IS %x.  SHOULD BE %x..%x.  %dx%dx%d @ %lx\n"
                    : "checkwindow - BAD WINDOW FIELD '%s'.\nVALUE IS %d.  SHOULD BE %d..%d.  %dx%dx%d @ %lx\n",
                field, value, low, high, w->width, w->height, w->bpp, at);
    return 0;
}

int check(const WIND* w, bool report)
{
    if (!w) return 0;
    if (w->id != WIND_ID) {
        if (report)
            LIBFAIL(SITE, "checkwindow - BAD WINDOW FIELD '%s'.\nVALUE IS %x.  SHOULD BE %x.  %dx%dx%d @ %lx\n", "id",
                    w->id, WIND_ID, w->width, w->height, w->bpp,
                    static_cast<unsigned long>(reinterpret_cast<uintptr_t>(w)));
        return 0;
    }
    return check_field(w, "width", w->width, 1, 16384, false, report) &&
           check_field(w, "height", w->height, 1, 16384, false, report) &&
           check_field(w, "bpp", w->bpp, 1, 32, false, report) &&
           check_field(w, "type", w->format, 0, 127, true, report) &&
           check_field(w, "minx", w->minx, 0, 16384, false, report) &&
           check_field(w, "maxx", w->maxx, 0, 16384, false, report) &&
           check_field(w, "miny", w->miny, 0, 16384, false, report) &&
           check_field(w, "maxy", w->maxy, 0, 16384, false, report);
}

int lock(WIND* window, bool report)
{
    if (window && !check(window, report)) return 0;
    if (!window) {
        if (libdisplay.locked) unlocksurface(&libdisplay);
        const WIND& f = libdisplay.front;
        currentwindow = WIND{};
        currentwindow.bpp = f.bpp;
        currentwindow.format = f.format;
        currentwindow.video = f.video;
        currentwindow.columntable = f.columntable;
        return 1;
    }
    if (window->surface && !locksurface(&libdisplay, window->surface, window)) {
        WIND* dummy = dummywindow();
        if (dummy) currentwindow = *dummy;
        else currentwindow = WIND{};
        return 0;
    }
    currentwindow = *window;
    return 1;
}

} // namespace

uint8_t bpptoformat(int32_t bpp)
{
    switch (bpp) {
    case 1: return 0x79;
    case 4: return 0x7A;
    case 8: return 0x7B;
    case 15: return 0x7E;
    case 16: return 0x78;
    case 24: return 0x7F;
    case 32: return 0x7D;
    default: return 0;
    }
}

WIND* createwindow(int32_t width, int32_t height, int32_t bpp, int32_t memclass, int report)
{
    if (bpp == 0) bpp = display_depth();
    auto fail = [&](auto... args) {
        if (report) LIBFAIL(SITE, args...);
        return static_cast<WIND*>(nullptr);
    };
    if (width < 0 || width > 16384 || height < 0 || height > 8192)
        return fail("createwindow - INVALID WINDOW DIMENSIONS\nrequested: %dx%dx%d maximum: %dx%d\n", width, height,
                    bpp, 16384, 8192);
    uint8_t format = bpptoformat(bpp);
    if (!format)
        return fail("createwindow - INVALID DEPTH\nrequested: %dx%dx%d BPP MUST BE 1,4,8,15,16,24,OR 32\n", width,
                    height, bpp);
    int32_t rowbytes = row_bytes(width, bpp);
    int64_t bytes = int64_t{rowbytes} * height + static_cast<int64_t>(sizeof(WIND)) + 16;
    char name[40];
    std::snprintf(name, sizeof name, "%dx%dx%d", width, height, bpp);
    void* block = reservememadr(name, static_cast<int32_t>(bytes), static_cast<uint32_t>(memclass));
    if (!block) {
        libsettings.dumponok.store(1);
        return fail("createwindowadr - OUT OF MEMORY\nrequested: %dx%dx%d bytes: %d available: %d\n", width, height,
                    bpp, static_cast<int32_t>(bytes), static_cast<int32_t>(largestfreemem()));
    }
    auto* w = static_cast<WIND*>(block);
    *w = WIND{};
    uint8_t* header = static_cast<uint8_t*>(block) + sizeof(WIND);
    std::memset(header, 0, 16);
    header[0] = format;
    putlittleendian(header + 4, static_cast<uint32_t>(width), 2);
    putlittleendian(header + 6, static_cast<uint32_t>(height), 2);
    w->id = WIND_ID;
    w->width = width;
    w->height = height;
    w->maxx = width;
    w->maxy = height;
    w->bpp = static_cast<uint8_t>(bpp);
    w->format = format;
    w->base = header;
    w->rowbytes = rowbytes;
    if (!rowspaceready()) {
        purgememadr(block);
        return fail("createwindow - ROW TABLE MANAGER NOT INITIALIZED\ncall initrow or initgraphics first.  "
                    "requested: %dx%dx%d.\n",
                    width, height, bpp);
    }
    w->rowtable = findrowblock(16, static_cast<uint32_t>(rowbytes), 0, static_cast<uint32_t>(height));
    w->columntable = findrowblock(0, static_cast<uint32_t>(bpp == 15 ? 16 : bpp), 3, static_cast<uint32_t>(width));
    if (!w->rowtable || !w->columntable) {
        release_tables(w);
        purgememadr(block);
        return fail("createwindowblock - OUT OF ROW SPACE\nrequested: %dx%d\n", width, height);
    }
    return w;
}

WIND* createwindowadr(int32_t width, int32_t height, int32_t bpp, int32_t memclass)
{
    return createwindow(width, height, bpp, memclass, libsettings.errorson.load());
}

WIND* createwindowquiet(int32_t width, int32_t height, int32_t bpp, int32_t memclass)
{
    return createwindow(width, height, bpp, memclass, 0);
}

uint8_t* windowshape(WIND* window) { return reinterpret_cast<uint8_t*>(window) + sizeof(WIND); }

void disposewindow(WIND* window)
{
    if (!window || window->id != WIND_ID) return;
    if (window->surface) releasesurface(&libdisplay, window->surface);
    window->surface = nullptr;
    release_tables(window);
    window->bpp = 0;
    window->format = 0;
    window->id = WIND_DISPOSED;
    purgememadr(window);
}

int lockwindow(WIND* window) { return lock(window, true); }
void unlockwindow() { lock(nullptr, true); }

int displaywindow()
{
    if (libdisplay.modex) {
        LIBFAIL(SITE, "displaywindow - DOES NOT WORK IN THIS DISPLAY MODE (isdisplaymodex()=%d)\n", libdisplay.modex);
        return 0;
    }
    return lockwindow(&libdisplay.front);
}

int backwindow() { return lockwindow(&libdisplay.back); }
WIND* getfrontwindow() { return &libdisplay.front; }
WIND* getbackwindow() { return &libdisplay.back; }

void copycurrentwindow(WIND saved[2])
{
    saved[0] = currentwindow;
    saved[1] = libdisplay.front;
}

void setcurrentwindow(const WIND saved[2])
{
    WIND window = saved[0];
    if (window.id == WIND_ID) lock(&window, false);
    else lock(nullptr, false);
    libdisplay.front = saved[1];
}

int checkwindow(const WIND* window) { return check(window, true); }
int checkwindowquiet(const WIND* window) { return check(window, false); }

uint8_t* pixeladdress(int32_t x, int32_t y)
{
    return currentwindow.base + currentwindow.rowtable[y] + currentwindow.columntable[x];
}

void setrowspace(uint32_t* memory, uint32_t words)
{
    g_rows.caller = memory;
    g_rows.asked = words;
}

int initrow()
{
    if (g_rows.pool) return 1;
    uint32_t words = g_rows.asked;
    if (words < ROWSPACE_MIN) {
        LIBFAIL(SITE, "initrow - INSUFFICIENT ROW TABLE SPACE (%d)\nMUST BE AT LEAST 204.\n", static_cast<int>(words));
        return 0;
    }
    uint32_t* pool = g_rows.caller;
    g_rows.own = !pool;
    if (!pool)
        pool = static_cast<uint32_t*>(reservememadr("rowtbl", static_cast<int32_t>(words * 4),
                                                    static_cast<uint32_t>(libsettings.defaultmemclass)));
    if (!pool) return 0;
    g_rows.pool = pool;
    g_rows.words = words;
    pool[0] = words - BLOCK_HEADER;
    pool[1] = 0;
    return 1;
}

void freerowspace()
{
    if (g_rows.pool && g_rows.own) purgememadr(g_rows.pool);
    g_rows = RowSpace{};
}

bool rowspaceready() { return g_rows.pool != nullptr; }

uint32_t* findrowblock(uint32_t start, uint32_t step, uint32_t shift, uint32_t count)
{
    uint32_t* pool = g_rows.pool;
    if (!pool) return nullptr;
    for (uint32_t at = 0; at + BLOCK_HEADER <= g_rows.words; at += BLOCK_HEADER + pool[at]) {
        uint32_t* b = pool + at;
        if (b[1] && b[0] >= count && b[2] == start && b[3] == step && b[4] == shift) {
            ++b[1];
            return b + BLOCK_HEADER;
        }
    }
    for (uint32_t at = 0; at + BLOCK_HEADER <= g_rows.words; at += BLOCK_HEADER + pool[at]) {
        uint32_t* b = pool + at;
        if (b[1] || b[0] < count) continue;
        uint32_t length = b[0];
        if (length >= count + 8) {
            uint32_t* rest = b + BLOCK_HEADER + count;
            rest[0] = length - count - BLOCK_HEADER;
            rest[1] = 0;
            length = count;
        }
        fill_block(b, length, start, step, shift);
        return b + BLOCK_HEADER;
    }
    return nullptr;
}

void removewindow(uint32_t* table)
{
    uint32_t* pool = g_rows.pool;
    if (!pool || !table) return;
    uint32_t* block = table - BLOCK_HEADER;
    uint32_t at = 0, before = UINT32_MAX;
    while (at + BLOCK_HEADER <= g_rows.words && pool + at < block) {
        before = at;
        at += BLOCK_HEADER + pool[at];
    }
    if (pool + at != block || block[1] == 0) {
        LIBFAIL(SITE, "removewindow - ROW SPACE CORRUPTED\n");
        return;
    }
    if (--block[1]) return;
    uint32_t next = at + BLOCK_HEADER + block[0];
    if (next + BLOCK_HEADER <= g_rows.words && pool[next + 1] == 0) block[0] += BLOCK_HEADER + pool[next];
    if (before != UINT32_MAX && pool[before + 1] == 0) pool[before] += BLOCK_HEADER + block[0];
}

void rowspacefree(uint32_t* blocks, uint32_t* entries)
{
    uint32_t n = 0, total = 0;
    if (uint32_t* pool = g_rows.pool)
        for (uint32_t at = 0; at + BLOCK_HEADER <= g_rows.words; at += BLOCK_HEADER + pool[at])
            if (!pool[at + 1]) {
                ++n;
                total += pool[at];
            }
    if (blocks) *blocks = n;
    if (entries) *entries = total;
}

WIND* makevideowindow(int32_t width, int32_t height, int32_t pitch, int32_t bpp, int32_t where, uint8_t* base,
                      DDSurface* surface)
{
    if (width < 0 || height < 0 || width > 2400 || height > 1600) {
        LIBFAIL(SITE, "makevideowindow - INVALID WINDOW DIMENSIONS\nrequested: %dx%d maximum: %dx%d\n", width, height,
                2400, 1600);
        return nullptr;
    }
    WIND* w = where == -1 ? &libdisplay.front : where == -2 ? &libdisplay.back : nullptr;
    if (!w) {
        w = static_cast<WIND*>(reservememadr("VIDWIND", sizeof(WIND), static_cast<uint32_t>(where)));
        if (!w) {
            LIBFAIL(SITE, "makevideowindow - OUT OF MEMORY\nrequested: %dx%d available: %d\n", width, height,
                    static_cast<int32_t>(largestfreemem()));
            return nullptr;
        }
    }
    if (bpp == 0) bpp = display_depth();
    *w = WIND{};
    w->id = WIND_ID;
    w->rowbytes = pitch;
    w->width = width;
    w->height = height;
    w->maxx = width;
    w->maxy = height;
    w->bpp = static_cast<uint8_t>(bpp);
    w->video = 0xFF;
    w->format = bpptoformat(bpp);
    w->base = base;
    w->surface = surface;
    w->rowtable = findrowblock(0, static_cast<uint32_t>(pitch), 0, static_cast<uint32_t>(height));
    w->columntable = findrowblock(0, static_cast<uint32_t>((bpp + 1) & ~1), 3, static_cast<uint32_t>(width));
    if (!w->rowtable || !w->columntable) {
        LIBFAIL(SITE, "makevideowindow - OUT OF ROW SPACE\nrequested: %dx%d\n", width, height);
        freevideowindow(w);
        return nullptr;
    }
    return w;
}

WIND* updatevideowindow(WIND* window, int32_t pitch, uint8_t* base)
{
    WIND* w = window ? window : &currentwindow;
    w->base = base;
    if (pitch != w->rowbytes) {
        if (w->rowtable) removewindow(w->rowtable);
        w->rowbytes = pitch;
        w->rowtable = findrowblock(0, static_cast<uint32_t>(pitch), 0, static_cast<uint32_t>(w->height));
        if (!w->rowtable) LIBFAIL(SITE, "updatevideowindow - OUT OF ROW SPACE\nrequested: %dx%d\n", w->width, w->height);
    }
    if (w->minx > w->width) w->minx = w->width;
    if (w->miny > w->height) w->miny = w->height;
    if (w->maxx > w->width) w->maxx = w->width;
    if (w->maxx < w->minx) w->maxx = w->minx;
    if (w->maxy > w->height) w->maxy = w->height;
    if (w->maxy < w->miny) w->maxy = w->miny;
    return w;
}

void freevideowindow(WIND* window)
{
    if (!window) return;
    release_tables(window);
    if (window == &libdisplay.front || window == &libdisplay.back) *window = WIND{};
    else purgememadr(window);
}

WIND* videowindowdefadr(int32_t width, int32_t height, int32_t bpp, int32_t where, uint32_t caps)
{
    if (bpp != 0 && bpp != libdisplay.bpp) {
        LIBFAIL(SITE, "videowindowdefadr - DEPTHS DIFFERENT THAN THAT OF THE DISPLAY NOT YET SUPPORTED.\n");
        return nullptr;
    }
    DDSurface* surface = makesurface(&libdisplay, width, height, 0, 0, 0, caps | DDSCAPS_OFFSCREENPLAIN, false);
    if (!surface) return nullptr;
    int32_t w = 0, h = 0, depth = 0, pitch = 0;
    uint8_t* base = nullptr;
    getsurfaceinfo(surface, &w, &h, &depth, &pitch, &base);
    WIND* window = makevideowindow(w, h, pitch, depth, where, nullptr, surface);
    if (!window) releasesurface(&libdisplay, surface);
    return window;
}

int pagelockwindow(WIND* window) { return window && window->surface ? pagelocksurface(window->surface) : 0; }
int pageunlockwindow(WIND* window) { return window && window->surface ? pageunlocksurface(window->surface) : 0; }

WIND* dummywindow()
{
    if (!g_dummy && rowspaceready()) g_dummy = createwindowquiet(8, 8, 0, libsettings.defaultmemclass);
    return g_dummy;
}

void disposedummywindow()
{
    if (g_dummy) disposewindow(g_dummy);
    g_dummy = nullptr;
}

void clearmem(void* address, uint32_t bytes) { std::memset(address, 0, bytes); }
void setmem(void* address, uint32_t bytes, uint8_t value) { std::memset(address, value, bytes); }

void fillmem16(void* address, uint32_t bytes, uint16_t value) { fillmem32(address, bytes, value * 0x10001u); }

void fillmem32(void* address, uint32_t bytes, uint32_t value)
{
    auto* p = static_cast<uint8_t*>(address);
    for (; bytes >= 4; bytes -= 4, p += 4) std::memcpy(p, &value, 4);
    uint32_t shift = 0;
    if (bytes >= 2) {
        auto half = static_cast<uint16_t>(value);
        std::memcpy(p, &half, 2);
        p += 2;
        bytes -= 2;
        shift = 16;
    }
    if (bytes) *p = static_cast<uint8_t>(value >> shift);
}

void copymem1(const void* source, void* destination, uint32_t bytes) { copykernel1(destination, source, bytes); }
void copymem2(const void* source, void* destination, uint32_t bytes) { copykernel2(destination, source, bytes); }
void copymem3(const void* source, void* destination, uint32_t bytes) { copykernel3(destination, source, bytes); }
void copymem4(const void* source, void* destination, uint32_t bytes) { copykernel4(destination, source, bytes); }

void libexit() { host_exit(0); }
