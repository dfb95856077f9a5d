// The display's public face: initgraphics opens a display of a size and
// depth through requests posted to the window thread, restoregraphics gives
// it back, and a few queries list the display modes.
#pragma once

#include <atomic>
#include <cstdint>

// Display options (libsettings.displayoptions).
enum : uint32_t {
    DISPLAY_FULLSCREEN = 0x01,
    DISPLAY_SYSMEM1 = 0x02,
    DISPLAY_SYSMEM2 = 0x04,
    DISPLAY_LIBMEMBACK = 0x08,
    DISPLAY_3DPRIMARY = 0x10,
    DISPLAY_RESIZABLE = 0x20,
    DISPLAY_ONEFLIP = 0x40,
    DISPLAY_EMULATION = 0x80,
};

// 1 sent, 0 done, -1 postponed while the application is in the background.
extern std::atomic<int32_t> grfop_pending;
// 0 success, else "SEND", "OPEN", "RETRY", "MODE" or a display failure text.
const char* grfop_result();

// What the drawing code reads of the display once it is up.
struct DisplayInfo {
    int32_t width, height, depth;
    int32_t windows; // display windows, front and back (0 to 2)
    int32_t modeindex;
    int32_t clipwidth, clipheight; // less the display origin
    int32_t flippages;
    int32_t bankswitched;
};
extern DisplayInfo displayinfo;

// 0 none, 7 the display is up.
int32_t graphicsstate();
void initgraphics(int32_t width, int32_t height, int32_t bpp);
void restoregraphics();
const char* sendgrfrequest(uint32_t request, int32_t lparam);
int setddrawmodeindex(int32_t mode);
void reinitgraphics();
int32_t getmodecount();
// {width, height, colour depth, format code, flags}; 1 for a listed mode.
int getmodeinfo(int32_t mode, uint32_t out[5]);
uint32_t getvideomemory(uint32_t* depthmask, int32_t* bankswitched);
int graphicsok();
struct LibLockRecord;
LibLockRecord* abortgraphics();
int32_t requestedpages();
// Display queries: the screen's size (third word 0); the state bytes of the
// display; a lock of the screen for drawing that keeps the current window
// (1 when there is nothing to lock).
void getscreensize(int32_t out[3]);
int isdisplaymodex();
int isdisplayfullscreen();
int isdisplaybankswitched();
int lockdisplayfordraw();
void setrequestedpages(int32_t pages);
