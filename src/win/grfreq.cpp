#include "win/grfreq.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "host/libwindow.h"
#include "win/ddraw.h"
#include "win/mainwindow.h"
#include "win/palette.h"
#include "win/timer.h"
#include "win/wind.h"

std::atomic<int32_t> grfop_pending{0};
DisplayInfo displayinfo{};

namespace {

const char* const SITE = "win\\grfreq";
std::atomic<const char*> g_result{nullptr};
std::atomic<int32_t> g_state{0};
int32_t g_pages = 2;

void finish(const char* result)
{
    g_result.store(result, std::memory_order_release);
    grfop_pending.store(0, std::memory_order_release);
}

void postpone(const char* result)
{
    g_result.store(result, std::memory_order_release);
    grfop_pending.store(-1, std::memory_order_release);
}

bool in_background(WinDisplay* d) { return !d->active.load(); }

int lib_initgraphics(WinDisplay* d, uintptr_t, uint32_t, uint32_t, uint32_t, int32_t*)
{
    liblog(&displaylog, 1, "[INIT] lib_initgraphics\n");
    if (in_background(d)) {
        host_libwindow_show(true);
        host_libwindow_raise();
        postpone(g_result.load());
        return 1;
    }
    if (d->ddraw) disposewindisplay(d);
    const char* result = "SEND";
    if (createdirectdraw(d) && initwindisplay(d)) result = nullptr;
    else if (ddrawerror()) result = ddrawerror();
    finish(result);
    return 1;
}

int lib_setdisplaymode(WinDisplay* d, uintptr_t, uint32_t, uint32_t, uint32_t lparam, int32_t*)
{
    liblog(&displaylog, 1, "[INIT] lib_setdisplaymode\n");
    if (in_background(d)) {
        postpone(g_result.load());
        return 1;
    }
    removesurfaces(d);
    auto mode = static_cast<int32_t>(lparam);
    if (mode == -2) {
        finish(nullptr);
        return 1;
    }
    int set = setdisplaymode(d, mode);
    if (set < 0) {
        postpone("RETRY");
    } else if (set == 0) {
        finish("MODE");
    } else {
        setddrawerror(nullptr);
        if (configwindisplay(d)) finish(nullptr);
        else if (const char* text = ddrawerror()) finish(text);
        else postpone("RETRY");
    }
    return 1;
}

void log_pending() { liblog(&displaylog, 2, "[INIT] grfop_pending = %d\n", grfop_pending.load()); }

const char* refused()
{
    LIBFAIL(SITE, "initgraphics - FAILED TO SEND MESSAGE TO WINDOW THREAD.\n");
    grfop_pending.store(0);
    return g_result.load();
}

// Opens the main window (when there is no display object yet or a reopen
// is asked), then creates the display object through the window thread.
bool initddrawgraphics(bool reopen)
{
    WinDisplay& d = libdisplay;
    setmsghandler(WM_LIBINITGRAPHICS, lib_initgraphics);
    setmsghandler(WM_LIBSETMODE, lib_setdisplaymode);
    bool first = !d.ddraw;
    if (first && d.fullscreen) {
        liblog(&displaylog, 1, "[INIT] first init fullscreen\n");
        if (!d.width || !d.height) d.width = 640, d.height = 480;
    }
    // A display object that exists keeps its mode list, and with it the marks
    // of the modes that failed.
    const char* failure = nullptr;
    if (first || reopen) {
        liblog(&displaylog, 1, "[INIT] opening window\n");
        if (!openmainwindow(d.width, d.height, d.fullscreen)) failure = "OPEN";
        if (!failure) failure = sendgrfrequest(WM_LIBINITGRAPHICS, 0);
        if (!failure && isthread(LIB_MAINTHREAD)) host_libwindow_raise();
    }
    if (!failure && first) loaddefaultpalette();
    if (failure) {
        g_result.store(failure);
        liblog(&displaylog, 1, "[INIT] initddrawgraphics failed = %s\n", failure);
    }
    return failure == nullptr;
}

bool prepinitgraphics()
{
    if (!memarenaready()) {
        LIBFAIL(SITE, "initgraphics - INITMEM REQUIRED BEFORE INITGRAPHICS\n");
        return false;
    }
    WinDisplay& d = libdisplay;
    uint32_t options = libsettings.displayoptions;
    uint8_t fullscreen = options & DISPLAY_FULLSCREEN ? 1 : 0;
    bool changed = fullscreen != d.fullscreen;
    d.fullscreen = fullscreen;
    if (!(options & DISPLAY_3DPRIMARY)) {
        d.sysmem1 = options & DISPLAY_SYSMEM2 ? 1 : 0;
        d.sysmem2 = options & DISPLAY_SYSMEM1 ? 1 : 0;
        d.libmemback = options & DISPLAY_LIBMEMBACK ? 1 : 0;
        d.pages = static_cast<uint8_t>(g_pages);
        d.flippages = (options & (DISPLAY_ONEFLIP | DISPLAY_LIBMEMBACK)) ? 1 : static_cast<uint8_t>(g_pages);
        d.threed = 0;
    } else {
        d.threed = 1;
        d.pages = 2;
        d.flippages = 2;
        d.sysmem1 = d.sysmem2 = d.libmemback = 0;
    }
    d.memclass = libsettings.defaultmemclass;
    if (g_state.load() != 7) {
        initrow();
        libatexit(restoregraphics);
        g_state.store(7);
        setabortdisplayhook(abortgraphics);
    }
    unlockwindow();
    return changed;
}

int32_t search(int32_t w, int32_t h, int32_t b)
{
    const WinDisplay& d = libdisplay;
    liblog(&displaylog, 1, "[INIT] searching for display mode [%dx%dx%d]\n", w, h, b);
    int32_t found = -1;
    int64_t best = 100000;
    for (int32_t i = 0; i < d.modecount; ++i) {
        const DisplayModeEntry& e = d.modes[i];
        liblog(&displaylog, 2, "[INIT]  ->mode %d of %d [%dx%dx%d]\n", i, d.modecount, e.width, e.height, e.bpp);
        if (e.bpp != b || (e.flags & MODE_FAILED) || int64_t{e.width} < w || int64_t{e.height} < h) continue;
        int64_t excess = int64_t{e.width} - w;
        if (excess < best) {
            best = excess;
            found = i;
        }
    }
    liblog(&displaylog, 1, "[INIT] search result = %d\n", found);
    return found;
}

bool selectddrawmode()
{
    WinDisplay& d = libdisplay;
    if (!d.fullscreen) return sendgrfrequest(WM_LIBSETMODE, -1) == nullptr;
    int32_t w = d.width, h = d.height, b = d.bpp;
    bool set = false;
    for (;;) {
        int32_t mode = search(w, h, b);
        if (mode >= 0) {
            if (sendgrfrequest(WM_LIBSETMODE, mode) == nullptr) {
                set = true;
                break;
            }
            d.modes[mode].flags |= MODE_FAILED;
            continue;
        }
        if (w > 320) {
            liblog(&displaylog, 1, "[INIT] try smaller\n");
            w -= 200;
            h -= 200;
        } else if (b != 8) {
            liblog(&displaylog, 1, "[INIT] try 8bit\n");
            w = d.width;
            h = d.height;
            b = 8;
        } else {
            liblog(&displaylog, 1, "[INIT] attempting default resolution\n");
            set = sendgrfrequest(WM_LIBSETMODE, -1) == nullptr;
            break;
        }
    }
    liblog(&displaylog, 1, "[INIT] havemode %d\n", set ? d.modeindex : -1);
    if (!set) liblog(&displaylog, 1, "[INIT] all video modes failed\n");
    return set;
}

void publish()
{
    const WinDisplay& d = libdisplay;
    displayinfo.width = d.width;
    displayinfo.height = d.height;
    displayinfo.depth = d.colourdepth;
    displayinfo.windows = (d.front.id == WIND_ID) + (d.back.id == WIND_ID);
    displayinfo.modeindex = d.modeindex;
    displayinfo.clipwidth = d.width - (d.fullscreen ? d.originx : 0);
    displayinfo.clipheight = d.height - (d.fullscreen ? d.originy : 0);
    displayinfo.flippages = d.flippages;
    displayinfo.bankswitched = d.bankswitched;
}

} // namespace

const char* grfop_result() { return g_result.load(std::memory_order_acquire); }
int32_t graphicsstate() { return g_state.load(); }
int32_t requestedpages() { return g_pages; }
void setrequestedpages(int32_t pages) { g_pages = pages; }

const char* sendgrfrequest(uint32_t request, int32_t lparam)
{
    grfop_pending.store(1);
    g_result.store("SEND");
    unlockwindow();
    liblog(&displaylog, 1, "[INIT] send ddraw request %d %d\n", request, lparam);
    if (!sendwinmessage(request, static_cast<uint32_t>(lparam), 0, 0)) return refused();
    liblog(&displaylog, 1, "[INIT] sent message\n");
    bool main = isthread(LIB_MAINTHREAD);
    while (grfop_pending.load(std::memory_order_acquire) != 0) {
        if (main) {
            windowpump();
            runsystemtasks(0);
        }
        if (grfop_pending.load(std::memory_order_acquire) == 0) break;
        sleepthread(1);
        if (grfop_pending.load(std::memory_order_acquire) == -1) {
            sleepthread(100);
            if (libdisplay.active.load()) {
                liblog(&displaylog, 1, "[INIT] postponed, retrying\n");
                grfop_pending.store(1);
                if (main) host_libwindow_raise();
                if (!sendwinmessage(request, static_cast<uint32_t>(lparam), 0, 0)) return refused();
            } else {
                liblog(&displaylog, 2, "[INIT] postponed, waiting\n");
            }
            log_pending();
        }
    }
    const char* result = g_result.load(std::memory_order_acquire);
    liblog(&displaylog, 1, "[INIT] message processed (%s)\n", result ? result : "okay");
    return result;
}

void initgraphics(int32_t width, int32_t height, int32_t bpp)
{
    if (width == 0) width = 640;
    if (width == -1) width = 1024;
    if (height == 0) height = 480;
    if (height == -1) height = 768;
    if (bpp == 0 || bpp == -1 || bpp == 15) bpp = 16;
    WinDisplay& d = libdisplay;
    for (;;) {
        if (!memarenaready()) {
            prepinitgraphics();
            return;
        }
        bool changed = prepinitgraphics();
        d.width = width;
        d.height = height;
        d.bpp = bpp;
        d.colourdepth = static_cast<uint8_t>(bpp);
        liblog(&displaylog, 1, "[INIT] requested mode is %dx%dx%d\n", width, height, bpp);
        if (!initddrawgraphics(changed)) {
            g_state.store(0);
            return;
        }
        liblog(&displaylog, 1, "[INIT] select mode which matches %dx%dx%d\n", width, height, bpp);
        bool ok = selectddrawmode();
        liblog(&displaylog, 1, "[INIT] selectddrawmode return %d\n", ok ? 1 : 0);
        if (ok) {
            publish();
            return;
        }
        liblog(&displaylog, 1, "[INIT] all video modes failed\n");
        if (libsettings.displayoptions & DISPLAY_EMULATION) {
            g_state.store(0);
            return;
        }
        libsettings.displayoptions |= DISPLAY_EMULATION;
    }
}

void restoregraphics()
{
    liblog(&displaylog, 1, "[INIT] restoring graphics\n");
    if (isthread(LIB_MAINTHREAD) || !ismainwindowopen()) {
        unlockwindow();
        if (ismainwindowopen()) closemainwindow();
    }
    if (g_state.load() == 7) {
        disposedummywindow();
        freerowspace();
        g_state.store(0);
        setabortdisplayhook(nullptr);
    }
    liblog(&displaylog, 1, "[INIT] restore completed\n");
}

int setddrawmodeindex(int32_t mode)
{
    if (mode < 0 || mode >= libdisplay.modecount) mode = -1;
    const char* result = sendgrfrequest(WM_LIBSETMODE, mode);
    return g_state.load() == 7 && result == nullptr;
}

void reinitgraphics()
{
    int32_t mode = libdisplay.modeindex;
    closemainwindow();
    // The window went with the display: both come back before the mode.
    if (initddrawgraphics(true)) setddrawmodeindex(mode);
}

int32_t getmodecount()
{
    if (!libdisplay.ddraw && g_state.load() == 7 && ismainwindowopen()) sendgrfrequest(WM_LIBINITGRAPHICS, 0);
    return libdisplay.modecount;
}

int getmodeinfo(int32_t mode, uint32_t out[5])
{
    const WinDisplay& d = libdisplay;
    for (int i = 0; i < 5; ++i) out[i] = 0;
    if (mode >= 0 && mode < d.modecount && d.modes) {
        const DisplayModeEntry& e = d.modes[mode];
        uint32_t f = e.flags, flags = 0;
        if (f & LIBCAP_BANKSWITCHED) flags |= 1u << 1;
        if (f & 0x4) flags |= 1u << 2;
        if (f & LIBCAP_FLIP) flags |= 1u << 3;
        if (f & 0x2) flags |= 1u << 4;
        if (f & LIBCAP_VBI) flags |= 1u << 11;
        if (!(f & 0x4)) {
            if (f & LIBCAP_SYSMEMBLT) flags |= 1u << 5;
            if (f & LIBCAP_BLT) flags |= 1u << 6;
            if (f & LIBCAP_FILL) flags |= 1u << 7;
            if (f & LIBCAP_STRETCH) flags |= 1u << 8;
            if (f & LIBCAP_COLORKEY) flags |= 1u << 9;
            if (f & LIBCAP_3D) flags |= 1u << 10;
        }
        out[0] = e.width;
        out[1] = e.height;
        out[2] = e.colourdepth;
        out[3] = bpptoformat(e.colourdepth);
        out[4] = flags;
        return 1;
    }
    if (mode == -1 && !d.fullscreen && g_state.load() == 7) {
        out[0] = static_cast<uint32_t>(d.width);
        out[1] = static_cast<uint32_t>(d.height);
        out[2] = d.colourdepth;
        out[3] = d.front.format;
        out[4] = (d.bankswitched ? 1u << 1 : 0) | (d.modex ? 1u << 2 : 0) | (d.flippages == 2 && d.hwflip ? 1u << 3 : 0);
        return 1;
    }
    return 0;
}

uint32_t getvideomemory(uint32_t* depthmask, int32_t* bankswitched)
{
    if (depthmask) *depthmask = 0;
    if (bankswitched) *bankswitched = 0;
    if (g_state.load() != 7 || !libdisplay.ddraw) return 0;
    uint32_t total = 0;
    getddrawinfo(&libdisplay, &total, nullptr, bankswitched, depthmask);
    return total;
}

int graphicsok() { return 1; }

LibLockRecord* abortgraphics()
{
    if (!isthread(LIB_MAINTHREAD)) {
        // Nothing may draw once this thread has aborted; the window is the
        // main thread's to hide.
        return trycritical(displaylock(), 500) ? displaylock() : nullptr;
    }
    restoregraphics();
    return nullptr;
}

void getscreensize(int32_t out[3])
{
    out[0] = out[1] = out[2] = 0;
    if (isthread(LIB_MAINTHREAD)) host_libwindow_screensize(&out[0], &out[1]);
}

int isdisplaymodex() { return libdisplay.modex; }
int isdisplayfullscreen() { return libdisplay.fullscreen; }
int isdisplaybankswitched() { return libdisplay.bankswitched; }

int lockdisplayfordraw()
{
    WinDisplay& d = libdisplay;
    if (g_state.load() != 7 || !d.primary) return 1;
    if (d.front.id != WIND_ID) return locksurface(&d, d.primary, nullptr);
    WIND saved[2];
    copycurrentwindow(saved);
    int locked = locksurface(&d, d.primary, &d.front);
    currentwindow = saved[0];
    return locked;
}
