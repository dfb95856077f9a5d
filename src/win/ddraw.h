// The library's one display: the display object, its mode list, the primary
// surface and its back surface, the palette and the two video windows over
// them, and the surface lock discipline (one surface locked at a time, under
// the display lock). The display itself is a driver: by default the host's
// library window, which offers a 16-bit 5-6-5 picture in memory; tests give
// their own mode lists.
#pragma once

#include "win/threads.h"
#include "win/wind.h"

#include <atomic>
#include <cstdint>
#include <vector>

// Capability bits of the display hardware, as the driver reports them.
enum : uint32_t {
    DDCAPS_3D = 0x1,
    DDCAPS_ALIGNBOUNDARYDEST = 0x2,
    DDCAPS_BANKSWITCHED = 0x8,
    DDCAPS_BLT = 0x40,
    DDCAPS_BLTCOLORFILL = 0x4000000,
    DDCAPS_BLTSTRETCH = 0x200,
    DDCAPS_CANBLTSYSMEM = 0x80000000,
    DDCAPS_COLORKEYHWASSIST = 0x1000000,
    DDCAPS_VBI = 0x8000,
    DDCAPS_OVERLAYFOURCC = 0x800,
    DDCAPS_OVERLAYSTRETCH = 0x4000,
    DDCAPS_BLTFOURCC = 0x100,
};
// Surface capability bits.
enum : uint32_t {
    DDSCAPS_3DDEVICE = 0x2000,
    DDSCAPS_BACKBUFFER = 0x4,
    DDSCAPS_COMPLEX = 0x8,
    DDSCAPS_FLIP = 0x10,
    DDSCAPS_OFFSCREENPLAIN = 0x40,
    DDSCAPS_OVERLAY = 0x80,
    DDSCAPS_PRIMARYSURFACE = 0x200,
    DDSCAPS_SYSTEMMEMORY = 0x800,
    DDSCAPS_VIDEOMEMORY = 0x4000,
    DDSCAPS_MODEX = 0x200000,
};
// Library capability word of every mode entry.
enum : uint32_t {
    LIBCAP_BANKSWITCHED = 0x8,
    LIBCAP_FLIP = 0x10,
    LIBCAP_3D = 0x20,
    LIBCAP_BLT = 0x40,
    LIBCAP_FILL = 0x80,
    LIBCAP_STRETCH = 0x100,
    LIBCAP_COLORKEY = 0x200,
    LIBCAP_SYSMEMBLT = 0x400,
    LIBCAP_VBI = 0x800,
    MODE_FAILED = 0x80000000u,
};

constexpr int32_t DDERR_SURFACELOST = 450;
constexpr int32_t DDERR_NOEXCLUSIVEMODE = 225;
constexpr int32_t DDERR_WASSTILLDRAWING = 540;

// A mode as the driver lists it.
struct DisplayModeDesc {
    int32_t width, height, bpp, refresh, backbuffers;
    uint32_t rmask, gmask, bmask;
    bool modex;
};

// What the display hardware offers. Every call runs on the main thread.
struct DisplayDriver {
    // Fills at most capacity modes and returns how many it filled; with a
    // null list, how many there are.
    int32_t (*enummodes)(DisplayModeDesc* out, int32_t capacity);
    // 0 on success, else an error code (DDERR_NOEXCLUSIVEMODE: try later).
    int32_t (*setmode)(int32_t width, int32_t height, int32_t bpp, int32_t refresh);
    // The mode now on the screen.
    void (*getmode)(int32_t* width, int32_t* height, int32_t* bpp);
    // Shows a 16-bit picture (the primary surface) in the library's window.
    void (*present)(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, int32_t bpp);
    // Where the window's client area lies on the primary surface.
    void (*clientorigin)(int32_t* x, int32_t* y);
    uint32_t hwcaps, emulcaps, surfacecaps;
    uint32_t totalmemory, freememory;
};
// 0 restores the host's driver.
void setdisplaydriver(const DisplayDriver* driver);
const DisplayDriver& displaydriver();

struct DDSurface {
    int32_t width, height, bpp, colourdepth, pitch;
    uint32_t caps;
    std::vector<uint8_t> pixels;
    DDSurface* back;   // the attached back buffer of a flipping primary
    bool lost;
    bool locked;
    bool pagelocked;
    uint32_t colourkey;
    uint32_t createcount; // the display object it belongs to
};

struct DisplayModeEntry {
    uint32_t width, height, refresh, flags;
    uint16_t pages;
    uint8_t bpp, colourdepth;
};

struct PaletteEntry {
    uint8_t red, green, blue, flags;
};

struct DDrawObject {
    uint32_t caps;     // the library capability word
    uint32_t hwcaps;   // as the driver reported them
    bool emulation;
};

struct WinDisplay {
    DDrawObject* ddraw;
    bool clipper;
    int32_t modecount, modeindex;
    DisplayModeEntry* modes;
    int32_t width, height, bpp;
    int32_t memclass;
    bool palette;
    int32_t palettebytes, paletteentries;
    PaletteEntry entries[256];
    int16_t dirtyfirst, dirtylast;
    uint8_t sysmem1, sysmem2, libmemback, pages;
    DDSurface* locked;
    uint8_t* lockedbase;
    uint8_t lockbyte;
    DDSurface* primary;
    DDSurface* backsurface;
    WIND front, back;
    std::atomic<uintptr_t> mainwindow;
    uint8_t colourdepth, fullscreen, threed, modex, hwflip, bankswitched, flippages;
    int32_t originx, originy;
    std::atomic<uint32_t> createcount;
    std::atomic<int32_t> active;
    // The window's requested client size (the window thread's part).
    int32_t clientwidth, clientheight;
};
extern WinDisplay libdisplay;

// Every operation takes a display, 0 meaning libdisplay. Results 1 or 0,
// with a failure text left in ddrawerror().
int createdirectdraw(WinDisplay* display);
int initwindisplay(WinDisplay* display);
int getddrawinfo(WinDisplay* display, uint32_t* total, uint32_t* freemem, int32_t* bankswitched, uint32_t* depthmask);
// 1 set, 0 failed, -1 try later.
int setdisplaymode(WinDisplay* display, int32_t mode);
int configwindisplay(WinDisplay* display);
void removesurfaces(WinDisplay* display);
void disposewindisplay(WinDisplay* display);
DDSurface* makesurface(WinDisplay* display, int32_t width, int32_t height, int32_t bpp, int32_t backbuffers,
                       int32_t kind, uint32_t caps, bool palette);
void releasesurface(WinDisplay* display, DDSurface* surface);
int locksurface(WinDisplay* display, DDSurface* surface, WIND* videowindow);
void unlocksurface(WinDisplay* display);
int relocksurface(WinDisplay* display);
int trylocksurface(DDSurface* surface);
void setwinpalette(WinDisplay* display);
void getwinpalette(WinDisplay* display, uint32_t out[256]);
int flipdisplay(WinDisplay* display, int wait);
int isflipdone(WinDisplay* display);
int32_t getscanline(WinDisplay* display);
int isvblank(WinDisplay* display);
void waitvblank(WinDisplay* display, int kind);
void activatedisplay(WinDisplay* display);
DDSurface* getbacksurface(DDSurface* surface);
DDSurface* getzbuffer(DDSurface* surface);
DDSurface* getalphasurface(DDSurface* surface);
int issurfacelost(DDSurface* surface);
void waitblt(DDSurface* surface);
void getsurfaceinfo(DDSurface* surface, int32_t* width, int32_t* height, int32_t* depth, int32_t* pitch,
                    uint8_t** base);
int pagelocksurface(DDSurface* surface);
int pageunlocksurface(DDSurface* surface);
int fillsurfacerect(DDSurface* surface, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour);
int blitsurface(DDSurface* destination, int32_t dx, int32_t dy, int32_t dwidth, int32_t dheight, DDSurface* source,
                int32_t sx, int32_t sy, int32_t swidth, int32_t sheight, uint32_t flags);

// The failure text of the last display step, 0 when it succeeded.
const char* ddrawerror();
void setddrawerror(const char* text);
bool issurfacelocked();
LibLock displaylock();
// The lock statistics: the last lock's duration in ticks (-1 after a failed
// lock), the longest, and whether the last lock failed.
int32_t lastlockticks();
int32_t longestlockticks();
bool lockfailed();
// Sends the primary's picture to the screen when it changed; on the main thread.
void presentdisplay();
// The window was uncovered: its picture is shown again at the next present.
void repaintdisplay();
// Clears every display field (tests).
void resetdisplay();
