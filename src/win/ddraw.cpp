#include "win/ddraw.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "host/libwindow.h"
#include "win/grfreq.h"
#include "win/mainwindow.h"
#include "win/palette.h"
#include "win/timer.h"

#include <cstring>

WinDisplay libdisplay{};

namespace {

const char* const SITE = "win\\ddraw";

// The host's library window: one 640 x 480 x 16 mode on a 16-bit desktop, no
// overlays, no FourCC, surfaces never lost.
int32_t host_enummodes(DisplayModeDesc* out, int32_t capacity)
{
    if (out && capacity > 0) out[0] = DisplayModeDesc{640, 480, 16, 0, 1, 0xF800, 0x07E0, 0x001F, false};
    return out ? (capacity > 0 ? 1 : 0) : 1;
}

int32_t g_host_w = 640, g_host_h = 480;

int32_t host_setmode(int32_t width, int32_t height, int32_t bpp, int32_t)
{
    if (width != 640 || height != 480 || bpp != 16) return 1;
    g_host_w = width;
    g_host_h = height;
    return 0;
}

// In a window the picture is the window's own: its "desktop" is the client area.
void host_getmode(int32_t* width, int32_t* height, int32_t* bpp)
{
    bool windowed = !libdisplay.fullscreen && libdisplay.clientwidth > 0 && libdisplay.clientheight > 0;
    *width = windowed ? libdisplay.clientwidth : g_host_w;
    *height = windowed ? libdisplay.clientheight : g_host_h;
    *bpp = 16;
}

void host_clientorigin(int32_t* x, int32_t* y)
{
    *x = 0;
    *y = 0;
}

void host_present(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, int32_t bpp)
{
    if (bpp == 16) host_libwindow_present(pixels, pitch, width, height);
}

const DisplayDriver g_host_driver = {host_enummodes, host_setmode, host_getmode, host_present, host_clientorigin,
                                     DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_BLTSTRETCH | DDCAPS_CANBLTSYSMEM,
                                     0, 0, 2u << 20, 2u << 20};
const DisplayDriver* g_driver = &g_host_driver;

std::atomic<const char*> g_error{nullptr};
LibLock g_displaylock = nullptr;
uint32_t g_lockstart = 0;
int32_t g_lastlock = 0, g_longestlock = 0;
bool g_lockfailed = false, g_streak_reported = false;
std::atomic<bool> g_dirty{false};
WIND* g_libback = nullptr; // the memory window behind a library-memory back buffer

WinDisplay& display_of(WinDisplay* d) { return d ? *d : libdisplay; }

LibLock display_lock()
{
    if (!g_displaylock) g_displaylock = createcritical();
    return g_displaylock;
}

int fail(const char* text)
{
    g_error.store(text);
    return 0;
}

int32_t bytes_per_pixel(int32_t bpp) { return bpp == 15 ? 2 : (bpp + 7) / 8; }

int32_t depth_of(const DisplayModeDesc& m)
{
    return m.bpp == 16 ? countbits(m.rmask) + countbits(m.gmask) + countbits(m.bmask) : m.bpp;
}

uint32_t depth_bit(int32_t depth)
{
    switch (depth) {
    case 8: return 1;
    case 15: return 2;
    case 16: return 4;
    case 24: return 8;
    case 32: return 0x10;
    default: return 0;
    }
}

uint32_t capability_word(uint32_t hw, uint32_t surfacecaps)
{
    uint32_t caps = 0;
    if (hw & DDCAPS_BANKSWITCHED) caps |= LIBCAP_BANKSWITCHED;
    if (hw & DDCAPS_VBI) caps |= LIBCAP_VBI;
    if (hw & DDCAPS_3D) caps |= LIBCAP_3D;
    if (!((hw & DDCAPS_3D) && (hw & DDCAPS_ALIGNBOUNDARYDEST))) {
        if (hw & DDCAPS_BLT) caps |= LIBCAP_BLT;
        if (hw & DDCAPS_BLTCOLORFILL) caps |= LIBCAP_FILL;
        if (hw & DDCAPS_BLTSTRETCH) caps |= LIBCAP_STRETCH;
        if (hw & DDCAPS_CANBLTSYSMEM) caps |= LIBCAP_SYSMEMBLT;
    }
    if (hw & DDCAPS_COLORKEYHWASSIST) caps |= LIBCAP_COLORKEY;
    if (surfacecaps & DDSCAPS_FLIP) caps |= LIBCAP_FLIP;
    return caps;
}

// The picture of the primary that the window shows.
void present_now(WinDisplay& d)
{
    g_dirty.store(false);
    DDSurface* p = d.primary;
    if (!p || p->pixels.empty()) return;
    int32_t bpp = bytes_per_pixel(p->bpp);
    int32_t x = d.fullscreen ? 0 : d.originx, y = d.fullscreen ? 0 : d.originy;
    if (x < 0 || y < 0 || x + d.width > p->width || y + d.height > p->height) return;
    g_driver->present(p->pixels.data() + y * p->pitch + x * bpp, p->pitch, d.width, d.height, p->colourdepth);
}

void mark_dirty(WinDisplay& d, DDSurface* s)
{
    if (s != d.primary) return;
    g_dirty.store(true);
    if (isthread(LIB_MAINTHREAD)) present_now(d);
}

void release_lock_fields(WinDisplay& d)
{
    if (d.locked) d.locked->locked = false;
    d.locked = nullptr;
    d.lockedbase = nullptr;
    d.lockbyte = 0;
}

// Lock, restoring a lost surface (and, when that fails, the whole display).
int32_t lock_with_restore(WinDisplay& d, DDSurface* s)
{
    if (!s->lost) return 0;
    liblog(&displaylog, 1, "[DDRAW] SURFACE LOST, RESTORING\n");
    s->lost = false;
    if (d.primary) d.primary->lost = false;
    if (d.backsurface) d.backsurface->lost = false;
    liblog(&displaylog, 1, "[DDRAW] relock = %x\n", 0);
    if (d.fullscreen && !d.active.load()) activatedisplay(&d);
    if (d.palette) {
        d.dirtyfirst = 256;
        d.dirtylast = -1;
        liblog(&displaylog, 1, "[DDRAW] reset palette entries (%d)\n", 0);
        liblog(&displaylog, 1, "[DDRAW] reset palette (%d)\n", 0);
    }
    liblog(&displaylog, 1, "[DDRAW] restore done\n");
    displaychanged();
    return 0;
}

DDSurface* new_surface(WinDisplay& d, int32_t width, int32_t height, int32_t bpp, int32_t depth, uint32_t caps)
{
    auto* s = new DDSurface{};
    s->width = width;
    s->height = height;
    s->bpp = bpp;
    s->colourdepth = depth;
    s->pitch = (width * bytes_per_pixel(bpp) + 7) & ~7;
    s->caps = caps;
    s->pixels.assign(static_cast<size_t>(s->pitch) * static_cast<size_t>(height > 0 ? height : 0), 0);
    s->createcount = d.createcount.load();
    return s;
}

void delete_surface(DDSurface* s)
{
    if (!s) return;
    delete s->back;
    delete s;
}

uint8_t* pixel_at(DDSurface* s, int32_t x, int32_t y) { return s->pixels.data() + y * s->pitch + x * bytes_per_pixel(s->bpp); }

// Client rectangles on the primary in a window lie at the window's origin.
void to_surface(const DDSurface* s, int32_t* x, int32_t* y)
{
    const WinDisplay& d = libdisplay;
    if (s == d.primary && !d.fullscreen) {
        *x += d.originx;
        *y += d.originy;
    }
}

bool inside(const DDSurface* s, int32_t x, int32_t y, int32_t w, int32_t h)
{
    return x >= 0 && y >= 0 && w >= 0 && h >= 0 && x + w <= s->width && y + h <= s->height;
}

} // namespace

void setdisplaydriver(const DisplayDriver* driver) { g_driver = driver ? driver : &g_host_driver; }
const DisplayDriver& displaydriver() { return *g_driver; }
const char* ddrawerror() { return g_error.load(); }
void setddrawerror(const char* text) { g_error.store(text); }
bool issurfacelocked() { return libdisplay.locked != nullptr; }
LibLock displaylock() { return display_lock(); }
int32_t lastlockticks() { return g_lastlock; }
int32_t longestlockticks() { return g_longestlock; }
bool lockfailed() { return g_lockfailed; }

void repaintdisplay() { g_dirty.store(true); }

void presentdisplay()
{
    if (g_dirty.load() && !libdisplay.locked) present_now(libdisplay);
}

int createdirectdraw(WinDisplay* display)
{
    WinDisplay& d = display_of(display);
    display_lock();
    bool emulation = libsettings.displayoptions & DISPLAY_EMULATION;
    if (!emulation) liblog(&displaylog, 1, "[DDRAW] create default HAL\n");
    else liblog(&displaylog, 1, "[DDRAW] create HEL\n");
    auto* object = new DDrawObject{};
    object->emulation = emulation;
    uint32_t count = d.createcount.fetch_add(1) + 1;
    liblog(&displaylog, 1, "[DDRAW] DirectDrawCreate(%x) = 0x%08x, count = %d, err = %d\n", emulation ? 2u : 0u, 0u,
           static_cast<int>(count), 0);
    liblog(&displaylog, 1, "[DDRAW] Query for DirectDraw2, err = %d\n", 0);
    uint32_t hw = emulation ? g_driver->emulcaps : g_driver->hwcaps;
    liblog(&displaylog, 1, "[DDRAW] GetCaps (HAL=%08x, HEL=%08x) (err %d)\n", g_driver->hwcaps, g_driver->emulcaps, 0);
    object->hwcaps = hw;
    object->caps = capability_word(hw, g_driver->surfacecaps);
    d.ddraw = object;
    g_error.store(nullptr);
    return 1;
}

int initwindisplay(WinDisplay* display)
{
    WinDisplay& d = display_of(display);
    if (!d.ddraw) return fail("DIRECTDRAW IS NOT INITIALIZED");
    if (!getmainwindow()) return fail("GDI WINDOW DOES NOT EXIST.");
    liblog(&displaylog, 1, d.fullscreen ? "[DDRAW] about to set fullscreen cooperative level\n"
                                        : "[DDRAW] about to set windowed cooperative level\n");
    liblog(&displaylog, 1, "[DDRAW] have set cooperative level (err = %d)\n", 0);
    liblog(&displaylog, 1, "[DDRAW] Counting DDraw modes: ");
    int32_t count = g_driver->enummodes(nullptr, 0);
    liblog(&displaylog, 1, "%d modes\n", count);
    if (count < 0) return fail("COULD NOT ENUMERATE DISPLAY MODES");
    if (d.modes) purgememadr(d.modes);
    d.modes = nullptr;
    d.modecount = 0;
    int32_t room = count < 16 ? 16 : count;
    d.modes = static_cast<DisplayModeEntry*>(
        reservememadr("DDRAWMODES", static_cast<int32_t>(sizeof(DisplayModeEntry) * room), static_cast<uint32_t>(d.memclass)));
    if (!d.modes) return fail("FAILED TO ALLOCATE MEMORY FOR MODE LIST");
    // The second enumeration may find more than the first counted.
    std::vector<DisplayModeDesc> found(static_cast<size_t>(room) + 64);
    int32_t listed = g_driver->enummodes(found.data(), static_cast<int32_t>(found.size()));
    int32_t filled = 0;
    for (int32_t i = 0; i < listed; ++i) {
        if (filled == room) {
            liblog(&displaylog, 1, "[DDRAW] DirectDraw lied too badly about the number of modes, must abort search.\n");
            break;
        }
        const DisplayModeDesc& m = found[static_cast<size_t>(i)];
        DisplayModeEntry& e = d.modes[filled++];
        e = DisplayModeEntry{};
        e.width = static_cast<uint32_t>(m.width);
        e.height = static_cast<uint32_t>(m.height);
        e.refresh = static_cast<uint32_t>(m.refresh);
        e.flags = d.ddraw->caps | (m.modex ? 0x4u : 0u);
        e.pages = static_cast<uint16_t>(1 + m.backbuffers);
        e.bpp = static_cast<uint8_t>(m.bpp);
        e.colourdepth = static_cast<uint8_t>(depth_of(m));
        liblog(&displaylog, 2, "[DDRAW] %c %4dx%4dx%2d(%2d) [%4d] %1d pg %c%c 4cc=%08x\n", ' ', m.width, m.height,
               m.bpp, e.colourdepth, m.refresh, e.pages, m.modex ? 'X' : ' ', ' ', 0u);
    }
    d.modecount = filled;
    liblog(&displaylog, 1, "[DDRAW] enumdisplaymodes %d modes, defaults %04x, err = %d\n", filled, 0u, 0);
    d.palettebytes = 768;
    d.paletteentries = 256;
    if (!d.fullscreen) d.clipper = true;
    return 1;
}

int getddrawinfo(WinDisplay* display, uint32_t* total, uint32_t* freemem, int32_t* bankswitched, uint32_t* depthmask)
{
    WinDisplay& d = display_of(display);
    if (!d.ddraw) return 0;
    if (total) *total = g_driver->totalmemory;
    if (freemem) *freemem = g_driver->freememory;
    if (bankswitched) *bankswitched = (d.ddraw->hwcaps & DDCAPS_BANKSWITCHED) != 0;
    if (!depthmask) return 0;
    int32_t count = g_driver->enummodes(nullptr, 0);
    std::vector<DisplayModeDesc> modes(static_cast<size_t>(count > 0 ? count : 0));
    count = count > 0 ? g_driver->enummodes(modes.data(), count) : 0;
    uint32_t mask = 0;
    for (int32_t i = 0; i < count; ++i) mask |= depth_bit(depth_of(modes[static_cast<size_t>(i)]));
    *depthmask = mask;
    liblog(&displaylog, 1, "[DDRAW] got %d modes\n", count);
    return count > 0;
}

int setdisplaymode(WinDisplay* display, int32_t mode)
{
    WinDisplay& d = display_of(display);
    liblog(&displaylog, 1, "[DDRAW] set display mode (%d)\n", mode);
    int32_t cw = 0, ch = 0, cb = 0;
    g_driver->getmode(&cw, &ch, &cb);
    liblog(&displaylog, 1, "[DDRAW] current display mode (err %d) = %d x %d x %d\n", 0, cw, ch, cb);
    if (!d.fullscreen) {
        int32_t sw = cw, sh = ch;
        int32_t x = d.originx < -5000 ? (sw - d.width) / 2 : d.originx;
        int32_t y = d.originy < -5000 ? (sh - d.height) / 2 : d.originy;
        setwindowrect(x, y, d.width, d.height);
        d.bpp = cb ? cb : displayinfo.depth;
        d.colourdepth = static_cast<uint8_t>(d.bpp);
        d.modeindex = mode;
        return 1;
    }
    if (!d.modes) {
        liblog(&displaylog, 1, "[DDRAW] ddraw modes not initialized\n");
        return 0;
    }
    int32_t w = 640, h = 480, b = 16, refresh = 0;
    if (mode < 0) {
        liblog(&displaylog, 1, "[DDRAW] trying for default display mode\n");
    } else if (mode >= d.modecount) {
        return 0;
    } else {
        const DisplayModeEntry& e = d.modes[mode];
        w = static_cast<int32_t>(e.width);
        h = static_cast<int32_t>(e.height);
        b = e.bpp;
        refresh = static_cast<int32_t>(e.refresh);
        liblog(&displaylog, 1, "[DDRAW] mode parameters = %d x %d x %d\n", w, h, b);
    }
    if (d.palette) {
        for (auto& e : d.entries) e = PaletteEntry{0, 0, 0, 0};
        d.dirtyfirst = 0;
        d.dirtylast = 255;
    }
    liblog(&displaylog, 1, "[DDRAW] calling IDirectDraw2_SetDisplayMode... ");
    int32_t err = g_driver->setmode(w, h, b, refresh);
    liblog(&displaylog, 1, "[DDRAW] IDirectDraw2_SetDisplayMode (err=%d)\n", err);
    int32_t rw = 0, rh = 0, rb = 0;
    g_driver->getmode(&rw, &rh, &rb);
    d.width = w < rw ? w : rw;
    d.height = h < rh ? h : rh;
    d.originx = w < rw ? (rw - w) / 2 : 0;
    d.originy = h < rh ? (rh - h) / 2 : 0;
    int result = 1;
    if (err != 0 || rb != b) {
        result = (err & 0xFFFF) == DDERR_NOEXCLUSIVEMODE ? -1 : 0;
        if (result == 0 && mode >= 0 && mode < d.modecount) d.modes[mode].flags |= MODE_FAILED;
    }
    d.bpp = rb;
    d.colourdepth = static_cast<uint8_t>(rb);
    d.modeindex = mode;
    liblog(&displaylog, 1, "[DDRAW] setdisplaymode requested %dx%dx%d, and got %dx%dx%d\n", w, h, b, rw, rh, rb);
    return result;
}

DDSurface* makesurface(WinDisplay* display, int32_t width, int32_t height, int32_t bpp, int32_t backbuffers,
                       int32_t kind, uint32_t caps, bool palette)
{
    WinDisplay& d = display_of(display);
    if (kind > 0) {
        LIBFAIL(SITE, "makesurface - ALTERNATIVE TEXTURE FORMATS NOT YET SUPPORTED.\n");
        return nullptr;
    }
    if (backbuffers > 0) caps |= DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    int32_t depth = d.colourdepth ? d.colourdepth : d.bpp;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        int32_t mb = 0;
        g_driver->getmode(&width, &height, &mb);
        bpp = mb;
        depth = mb;
    } else if (kind == 0 && d.primary) {
        bpp = d.primary->bpp;
        depth = d.primary->colourdepth;
    } else if (bpp <= 0) {
        bpp = d.bpp;
    }
    liblog(&displaylog, 1, "[DDRAW] CreateSurface(%dx%dx%d %d pages)\n", width, height, bpp, backbuffers + 1);
    if (width <= 0 || height <= 0 || bpp <= 0) {
        liblog(&displaylog, 1, "[DDRAW] CreateSurface err=%x\n", 1u);
        return nullptr;
    }
    DDSurface* s = new_surface(d, width, height, bpp, depth ? depth : bpp, caps);
    if (backbuffers > 0) s->back = new_surface(d, width, height, bpp, s->colourdepth, DDSCAPS_BACKBUFFER);
    liblog(&displaylog, 1, "[DDRAW] Surface created\n");
    s->colourkey = bpp <= 8 ? 255 : 0;
    (void)palette;
    return s;
}

void releasesurface(WinDisplay* display, DDSurface* surface)
{
    WinDisplay& d = display_of(display);
    if (!surface) return;
    if (d.locked == surface) unlocksurface(&d);
    delete_surface(surface);
}

int locksurface(WinDisplay* display, DDSurface* surface, WIND* videowindow)
{
    WinDisplay& d = display_of(display);
    if (!surface) return 0;
    if (d.locked == surface) return 1;
    if (d.locked) unlocksurface(&d);
    entercritical(display_lock());
    bool may = !d.fullscreen || (d.active.load() && !host_libwindow_minimised());
    int32_t err = may ? lock_with_restore(d, surface) : 1;
    g_lockstart = gettick();
    if (err) {
        g_lastlock = -1;
        if (!g_streak_reported) liblog(&displaylog, 1, "[DDRAW] locksurface - FAILED TO LOCK SURFACE (%08x)\n", err);
        g_streak_reported = true;
        release_lock_fields(d);
        leavecritical(display_lock());
        g_lockfailed = true;
        return 0;
    }
    if (g_streak_reported) liblog(&displaylog, 1, "[DDRAW] locksurface - RESTORED\n");
    g_streak_reported = false;
    surface->locked = true;
    d.locked = surface;
    d.lockedbase = surface->pixels.data();
    d.lockbyte = 1;
    g_lockfailed = false;
    if (videowindow) {
        uint8_t* base = surface->pixels.data();
        if (surface == d.primary && !d.fullscreen)
            base += d.originy * surface->pitch + d.originx * bytes_per_pixel(surface->bpp);
        updatevideowindow(videowindow, surface->pitch, base);
    }
    return 1;
}

void unlocksurface(WinDisplay* display)
{
    WinDisplay& d = display_of(display);
    DDSurface* s = d.locked;
    if (!s) return;
    release_lock_fields(d);
    g_lastlock = static_cast<int32_t>(gettick() - g_lockstart);
    if (g_lastlock > g_longestlock) g_longestlock = g_lastlock;
    leavecritical(display_lock());
    g_lockfailed = false;
    mark_dirty(d, s);
}

int relocksurface(WinDisplay* display)
{
    WinDisplay& d = display_of(display);
    DDSurface* s = d.locked;
    if (!s) return 0;
    uint8_t* before = d.lockedbase;
    unlocksurface(&d);
    WIND* video = currentwindow.surface == s ? &currentwindow : nullptr;
    if (locksurface(&d, s, video) && d.lockedbase == before) return 1;
    if (d.locked) unlocksurface(&d);
    if (WIND* dummy = dummywindow()) currentwindow = *dummy;
    liblog(&displaylog, 1, "relocksurface failed\n");
    return 0;
}

int trylocksurface(DDSurface* surface)
{
    if (!surface || surface->locked || surface->lost) return 0;
    return 1;
}

void setwinpalette(WinDisplay* display)
{
    WinDisplay& d = display_of(display);
    if (d.locked) {
        LIBFAIL(SITE, "setwinpalette - SURFACE MAY NOT BE LOCKED DURING SETPALETTE.\n");
        return;
    }
    if (d.palette && d.bpp <= 8) {
        liblog(&displaylog, 1, "[DDRAW] setwinpalette\n");
        if (d.dirtyfirst < 256 && d.dirtylast >= d.dirtyfirst)
            liblog(&displaylog, 1, "[DDRAW] set entries (%d, %d); err=%d\n", d.dirtyfirst,
                   d.dirtylast - d.dirtyfirst + 1, 0);
    }
    d.dirtyfirst = 256;
    d.dirtylast = -1;
}

void getwinpalette(WinDisplay* display, uint32_t out[256])
{
    WinDisplay& d = display_of(display);
    for (int i = 0; i < 256; ++i)
        out[i] = d.palette ? 0xFF000000u | uint32_t(d.entries[i].red) << 16 | uint32_t(d.entries[i].green) << 8 |
                                 d.entries[i].blue
                           : 0;
}

int configwindisplay(WinDisplay* display)
{
    WinDisplay& d = display_of(display);
    liblog(&displaylog, 1, "[DDRAW] configwindisplay\n");
    if (d.locked) {
        LIBFAIL(SITE, "initgraphics - CONFIG DISPLAY WHILE SURFACE LOCKED, PLEASE REPORT.\n");
        return 0;
    }
    entercritical(display_lock());
    removesurfaces(&d);
    auto leave = [&](int result, const char* text) {
        if (text) g_error.store(text);
        leavecritical(display_lock());
        return result;
    };
    if (d.pages == 0) d.pages = 1;
    if (d.pages > 2) return leave(0, "ONLY 1 OR 2 VIDEO PAGES SUPPORTED.");
    d.hwflip = (g_driver->surfacecaps & DDSCAPS_FLIP) != 0;
    d.bankswitched = d.ddraw && (d.ddraw->hwcaps & DDCAPS_BANKSWITCHED);
    uint32_t caps = DDSCAPS_PRIMARYSURFACE;
    if (d.threed) {
        d.libmemback = 0;
        d.sysmem1 = 1;
        d.pages = 2;
        d.flippages = 1;
        caps |= DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
    } else if (d.libmemback) {
        d.sysmem1 = d.sysmem2 = 1;
    }
    bool sysmem = d.sysmem1 || d.sysmem2;
    if (d.flippages == 2)
        caps |= ((!d.hwflip && d.bankswitched) || (!d.threed && sysmem)) ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY;
    if (!d.palette) d.palette = true;
    d.dirtyfirst = 0;
    d.dirtylast = 255;
    d.modex = 0;
    liblog(&displaylog, 1, "[DDRAW] Requested config: %s, %s\n",
           d.flippages == 2 && !sysmem ? "pageflip" : "doublebuffer",
           d.libmemback ? "LIBMEM" : (caps & DDSCAPS_VIDEOMEMORY) ? "VRAM" : "DRAM");
    liblog(&displaylog, 1, "[DDRAW] trying for requested backsurface\n");
    DDSurface* primary = makesurface(&d, 0, 0, 0, d.flippages - 1, -1, caps, true);
    if (!primary && d.flippages == 2) {
        liblog(&displaylog, 1, "[DDRAW] trying for nonflipping surface\n");
        d.flippages = 1;
        primary = makesurface(&d, 0, 0, 0, 0, -1, DDSCAPS_PRIMARYSURFACE, true);
    }
    if (!primary) return leave(0, "FAILED TO CREATE PRIMARY SURFACE");
    d.primary = primary;
    if (d.fullscreen) {
        d.width = primary->width < d.width || !d.width ? primary->width : d.width;
        d.height = primary->height < d.height || !d.height ? primary->height : d.height;
    }
    d.bpp = primary->bpp;
    d.colourdepth = static_cast<uint8_t>(primary->colourdepth);
    if (d.modeindex >= 0 && d.modeindex < d.modecount) d.modes[d.modeindex].colourdepth = d.colourdepth;
    if (d.flippages == 2) {
        d.backsurface = primary->back;
    } else if (!d.libmemback && d.pages == 2) {
        if (!sysmem) liblog(&displaylog, 1, "[DDRAW] make backbuffer VRAM surface\n");
        else liblog(&displaylog, 1, "[DDRAW] make backbuffer DRAM surface\n");
        d.backsurface = makesurface(&d, d.width, d.height, 0, 0, 0,
                                    DDSCAPS_OFFSCREENPLAIN | (sysmem ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY), false);
    }
    makevideowindow(d.width, d.height, primary->pitch, d.colourdepth, -1, nullptr, primary);
    if (d.backsurface) {
        makevideowindow(d.width, d.height, d.backsurface->pitch, d.colourdepth, -2, nullptr, d.backsurface);
    } else if (d.pages == 2) {
        liblog(&displaylog, 1, "[DDRAW] attempting to use library window\n");
        g_libback = createwindowquiet(d.width, d.height, d.colourdepth, d.memclass);
        if (g_libback) d.back = *g_libback;
    }
    liblog(&displaylog, 1, "[DDRAW] New video mode: %3dx%3dx%2d(%2d) [%4d] %1dpg %c%c%c%c\n", d.width, d.height, d.bpp,
           d.colourdepth, primary->pitch, d.flippages, d.fullscreen ? 'F' : 'W', d.hwflip ? 'H' : '-',
           d.bankswitched ? 'B' : '-', d.libmemback ? 'L' : '-');
    leave(1, nullptr);
    g_error.store(nullptr);
    displaychanged();
    return 1;
}

void removesurfaces(WinDisplay* display)
{
    WinDisplay& d = display_of(display);
    liblog(&displaylog, 1, "[DDRAW] removing previous surfaces & windows\n");
    if (d.locked) unlocksurface(&d);
    if (g_libback) {
        disposewindow(g_libback);
        g_libback = nullptr;
        d.back = WIND{};
    } else {
        freevideowindow(&d.back);
    }
    freevideowindow(&d.front);
    if (d.backsurface && (!d.primary || d.backsurface != d.primary->back)) delete_surface(d.backsurface);
    d.backsurface = nullptr;
    delete_surface(d.primary);
    d.primary = nullptr;
    g_dirty.store(false);
    liblog(&displaylog, 1, "[DDRAW] old video system destroyed\n");
}

void disposewindisplay(WinDisplay* display)
{
    WinDisplay& d = display_of(display);
    liblog(&displaylog, 1, "[DDRAW] disposewindisplay\n");
    entercritical(display_lock());
    removesurfaces(&d);
    if (d.ddraw) {
        liblog(&displaylog, 1, "[DDRAW] direct draw object ...");
        delete d.ddraw;
        liblog(&displaylog, 1, "released!\n");
    }
    if (d.modes) purgememadr(d.modes);
    d.ddraw = nullptr;
    d.clipper = false;
    d.palette = false;
    d.modes = nullptr;
    d.modecount = 0;
    leavecritical(display_lock());
}

int flipdisplay(WinDisplay* display, int)
{
    WinDisplay& d = display_of(display);
    if (d.locked) unlocksurface(&d);
    DDSurface* p = d.primary;
    if (!p) return 0;
    if (p->back) std::swap(p->pixels, p->back->pixels);
    mark_dirty(d, p);
    return 1;
}

int isflipdone(WinDisplay*) { return 1; }
int32_t getscanline(WinDisplay*) { return 0; }
int isvblank(WinDisplay*) { return 1; }
void waitvblank(WinDisplay*, int) {}

void activatedisplay(WinDisplay*)
{
    if (isthread(LIB_MAINTHREAD)) host_libwindow_raise();
}

DDSurface* getbacksurface(DDSurface* surface) { return surface ? surface->back : nullptr; }
DDSurface* getzbuffer(DDSurface*) { return nullptr; }
DDSurface* getalphasurface(DDSurface*) { return nullptr; }
int issurfacelost(DDSurface* surface) { return surface && surface->lost; }
void waitblt(DDSurface*) {}

void getsurfaceinfo(DDSurface* surface, int32_t* width, int32_t* height, int32_t* depth, int32_t* pitch,
                    uint8_t** base)
{
    int32_t w = 0, h = 0, c = 0, p = 0;
    uint8_t* b = nullptr;
    if (surface) {
        w = surface->width;
        h = surface->height;
        c = surface->colourdepth;
        p = surface->pitch;
        b = surface->pixels.data();
    }
    if (width) *width = w;
    if (height) *height = h;
    if (depth) *depth = c;
    if (pitch) *pitch = p;
    if (base) *base = b;
}

int pagelocksurface(DDSurface* surface)
{
    if (!surface) return 0;
    surface->pagelocked = true;
    return 1;
}

int pageunlocksurface(DDSurface* surface)
{
    if (!surface) return 0;
    surface->pagelocked = false;
    return 1;
}

int fillsurfacerect(DDSurface* surface, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour)
{
    if (!surface) return 0;
    to_surface(surface, &x, &y);
    if (!inside(surface, x, y, width, height)) return 0;
    int32_t bpp = bytes_per_pixel(surface->bpp);
    for (int32_t r = 0; r < height; ++r)
        for (int32_t c = 0; c < width; ++c) std::memcpy(pixel_at(surface, x + c, y + r), &colour, static_cast<size_t>(bpp));
    if (surface == libdisplay.primary) mark_dirty(libdisplay, surface);
    return 1;
}

int blitsurface(DDSurface* destination, int32_t dx, int32_t dy, int32_t dwidth, int32_t dheight, DDSurface* source,
                int32_t sx, int32_t sy, int32_t swidth, int32_t sheight, uint32_t flags)
{
    if (!destination || !source || source->bpp != destination->bpp) return 0;
    to_surface(destination, &dx, &dy);
    to_surface(source, &sx, &sy);
    if (!inside(destination, dx, dy, dwidth, dheight) || !inside(source, sx, sy, swidth, sheight) || !dwidth ||
        !dheight)
        return 0;
    int rotate = (flags & 3) == 3 ? 270 : (flags & 2) ? 180 : (flags & 1) ? 90 : 0;
    bool mirrorx = (flags & 4) != 0, mirrory = (flags & 8) != 0;
    int32_t bpp = bytes_per_pixel(source->bpp);
    for (int32_t r = 0; r < dheight; ++r)
        for (int32_t c = 0; c < dwidth; ++c) {
            // Destination point to unit square, undo the effects, then to the source.
            int32_t u = c, v = r, uw = dwidth, vh = dheight;
            if (mirrorx) u = uw - 1 - u;
            if (mirrory) v = vh - 1 - v;
            int32_t su = u, sv = v, sw = uw, sh = vh;
            if (rotate == 180) su = uw - 1 - u, sv = vh - 1 - v;
            if (rotate == 90) su = v, sv = uw - 1 - u, sw = vh, sh = uw;
            if (rotate == 270) su = vh - 1 - v, sv = u, sw = vh, sh = uw;
            int32_t px = sx + static_cast<int32_t>(int64_t{su} * swidth / sw);
            int32_t py = sy + static_cast<int32_t>(int64_t{sv} * sheight / sh);
            const uint8_t* from = pixel_at(source, px, py);
            if (flags & 0x10) {
                uint32_t value = 0;
                std::memcpy(&value, from, static_cast<size_t>(bpp));
                if (value == source->colourkey) continue;
            }
            std::memcpy(pixel_at(destination, dx + c, dy + r), from, static_cast<size_t>(bpp));
        }
    if (destination == libdisplay.primary) mark_dirty(libdisplay, destination);
    return 1;
}

void resetdisplay()
{
    if (libdisplay.ddraw) disposewindisplay(&libdisplay);
    libdisplay.mainwindow.store(0);
    libdisplay.active.store(0);
    libdisplay.createcount.store(0);
    WinDisplay& d = libdisplay;
    d.ddraw = nullptr;
    d.clipper = false;
    d.modecount = 0;
    d.modeindex = -1;
    d.modes = nullptr;
    d.width = d.height = d.bpp = d.memclass = 0;
    d.palette = false;
    d.dirtyfirst = 256;
    d.dirtylast = -1;
    d.sysmem1 = d.sysmem2 = d.libmemback = 0;
    d.pages = 2;
    d.locked = nullptr;
    d.lockedbase = nullptr;
    d.primary = d.backsurface = nullptr;
    d.front = d.back = WIND{};
    d.colourdepth = d.fullscreen = d.threed = d.modex = d.hwflip = d.bankswitched = 0;
    d.flippages = 1;
    d.originx = d.originy = -8192;
    d.clientwidth = d.clientheight = 0;
    g_error.store(nullptr);
    g_lastlock = g_longestlock = 0;
    g_lockfailed = g_streak_reported = false;
    g_driver = &g_host_driver;
    g_host_w = 640;
    g_host_h = 480;
}
