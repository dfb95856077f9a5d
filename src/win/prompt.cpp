#include "win/prompt.h"

#include "cmn/lib.h"
#include "font/text.h"
#include "host/process.h"
#include "win/drawshape.h"
#include "win/grfreq.h"
#include "win/key.h"
#include "win/mainwindow.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/threads.h"
#include "win/timer.h"
#include "win/wind.h"

#include <chrono>
#include <cstring>

namespace {

PromptHooks g_hooks{};

void call(int (*hook)())
{
    if (hook) hook();
}

uint32_t buttons() { return g_hooks.buttons ? g_hooks.buttons() : 0; }

void runtasks()
{
    if (isthread(LIB_MAINTHREAD)) {
        windowpump();
        runsystemtasks(0);
    }
    sleepthread(1);
}

// Everything a box keeps between drawing and putting the screen back.
struct Box {
    int32_t x, y, width, height;
    WIND* work;
    WIND saved[2];
    TextState text;
};

// The screen area under the box, copied row by row into the work window.
void savearea(Box& b)
{
    const WIND& s = currentwindow;
    if (!s.base || !b.work) return;
    int32_t bits = s.bpp == 15 ? 16 : s.bpp;
    int32_t x0 = b.x < 0 ? 0 : b.x, y0 = b.y < 0 ? 0 : b.y;
    int32_t x1 = b.x + b.width > s.width ? s.width : b.x + b.width;
    int32_t y1 = b.y + b.height > s.height ? s.height : b.y + b.height;
    if (x1 <= x0 || y1 <= y0) return;
    uint8_t* pixels = windowshape(b.work) + 16;
    int64_t bytes = (int64_t{x1} - x0) * bits / 8;
    for (int32_t row = y0; row < y1; ++row)
        std::memcpy(pixels + int64_t{row - b.y} * b.work->rowbytes + int64_t{x0 - b.x} * bits / 8,
                    s.base + s.rowtable[row] + s.columntable[x0], static_cast<size_t>(bytes));
}

// Steps 1 to 3 of every box: the work window, the saved area and the black
// fill; false when no work window could be had.
bool openbox(Box& b)
{
    WIND* screen = getfrontwindow();
    b.work = createwindowadr(b.width, b.height, screen->bpp ? screen->bpp : 0, libsettings.defaultmemclass);
    if (!b.work) return false;
    copycurrentwindow(b.saved);
    savetextstate(&b.text);
    settextfont(builtinfont());
    setwindowclip(screen, b.x, b.y, b.x + b.width, b.y + b.height);
    call(g_hooks.beforedraw);
    displaywindow();
    savearea(b);
    fillrect(b.x, b.y, b.width, b.height, colourtopixel(0xFF000000));
    return true;
}

// Step 6: the area back, then the windows and the text as they were.
void closebox(Box& b)
{
    WIND* screen = getfrontwindow();
    setwindowclip(screen, b.x, b.y, b.x + b.width, b.y + b.height);
    call(g_hooks.beforerestore);
    displaywindow();
    fastdrawshape(windowshape(b.work), b.x, b.y);
    displaywindow();
    call(g_hooks.afterdraw);
    restoretextstate(&b.text);
    setcurrentwindow(b.saved);
    disposewindow(b.work);
}

// After drawing: the clip back to the whole screen, the screen locked, and
// then let go so that waits can pump the window and present the picture.
void showbox()
{
    call(g_hooks.afterdraw);
    resetwindowclip(getfrontwindow());
    displaywindow();
    unlockwindow();
}

} // namespace

void setprompthooks(const PromptHooks& hooks) { g_hooks = hooks; }
void resetprompthooks() { g_hooks = PromptHooks{}; }

int promptbox(const char* text, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t buttonmask)
{
    Box b{x, y, width, height, nullptr, {}, {}};
    if (!openbox(b)) return 0;
    drawbox(x + 4, y + 4, x + width - 5, y + height - 4, colourtopixel(0xFFAA0000));
    textcolour(colourtopixel(0xFFFFFFFF), 0);
    textcentrestring(text ? text : "", y + 9);
    showbox();

    // A button held when the box opens counts only once it is let go.
    while (buttons() & buttonmask) runtasks();
    uint32_t key = 0, down = 0;
    for (;;) {
        key = readkey();
        down = buttons() & buttonmask;
        if (key || down) break;
        runtasks();
    }
    int yes = static_cast<int>(down & 1);
    if (key && (key | 0x20) == 'y') yes = 1;
    closebox(b);
    return yes;
}

void exitprompt()
{
    if (graphicsstate() == 7) {
        if (!isthread(LIB_MAINTHREAD)) {
            entercritical(liblock());
            leavecritical(liblock());
        } else {
            displaywindow();
        }
    }
    if (promptbox("Exit (Y/N)", displayinfo.width / 2 - 80, displayinfo.height / 2 - 8, 160, 24, 7)) host_exit(0);
}

void pauseprompt()
{
    promptbox("PAUSE - PRESS ANY KEY TO RESUME", displayinfo.width / 2 - 144, displayinfo.height / 2 - 8, 288, 24, 1);
}

void promptbox2(const char* text, int32_t milliseconds)
{
    Box b{0, displayinfo.height - 10, displayinfo.width, 10, nullptr, {}, {}};
    if (!openbox(b)) return;
    textcolour(colourtopixel(0xFFFFFFFF), 0);
    textcentrestring(text ? text : "", displayinfo.height - 9);
    showbox();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 0);
    while (std::chrono::steady_clock::now() < until) runtasks();
    closebox(b);
}
