// Sound start-up, restart and stop over the outside library, the sound
// lock, and the server the outside library ticks on every output period.
#include "mix/mixer.h"
#include "mix/outlib.h"
#include "mix/pktplay.h"
#include "mix/sndint.h"

#include "cmn/lib.h"
#include "win/ddraw.h"
#include "win/mainwindow.h"
#include "win/threads.h"
#include "win/timer.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <thread>

SndState sndstate;

void iSNDpan3d(uint16_t azimuth, int16_t elevation, int32_t* out);
void sndstreamsreset();

namespace {

constexpr const char* SITE = "snd\\sndinit";
constexpr uint32_t MSG_SOUND = 0x8200;

// The sound lock: recursive, with its owner and depth kept so that an abort
// leaves only the levels its own thread holds.
struct SoundLock {
    std::recursive_mutex mutex;
    std::atomic<std::thread::id> owner{};
    int depth = 0; // the owner's levels
};
SoundLock g_lock;

struct Driver {
    std::atomic<bool> done{false};
    std::atomic<int32_t> result{0};
    std::atomic<bool> timerinstalled{false}, focusinstalled{false};
    bool exitregistered = false;
    bool handlerset = false;
    bool posted = false; // the last start reached the window thread
    std::atomic<std::thread::id> servethread{};
    void (*clients[6])() = {};
    int32_t clientcount = 0;
};
Driver g_driver;

void releaseforabort()
{
    if (g_lock.owner.load() != std::this_thread::get_id()) return;
    int levels = g_lock.depth;
    g_lock.depth = 0;
    g_lock.owner.store(std::thread::id{});
    while (levels-- > 0) g_lock.mutex.unlock();
}

void report(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    libabort("%s", text);
}
void print(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
}
void debugprint(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}
void servertick()
{
    if (sndstate.server) sndstate.server();
}

int32_t rateof(int32_t flags)
{
    if (flags & 0x800) return 22050;
    if (flags & 0x400) return 16000;
    if (flags & 0x1000) return 32000;
    if (flags & 0x2000) return 44100;
    if (flags & 0x200) return 11025;
    return 0;
}

void iSNDservetick()
{
    g_driver.servethread.store(std::this_thread::get_id());
    // Served on the timer's thread: a plain lock, no surface check.
    std::lock_guard<std::recursive_mutex> hold(g_lock.mutex);
    snddllserve();
}

void audiofocushandler(int active)
{
    SndLockHold hold;
    if (active) {
        uintptr_t window = getmainwindow();
        if (!window) {
            LIBFAIL(SITE, "audiofocushandler - MAIN WINDOW HANDLE IS INVALID.\n");
            return;
        }
        snddllstart(sndstate.flags, window);
    } else {
        snddllstop();
    }
}

void removecallbacks()
{
    if (g_driver.timerinstalled.exchange(false)) setcallbackthread(nullptr);
    if (g_driver.focusinstalled.exchange(false)) setapplicationfocusfunc(nullptr);
}

void restoreatexit()
{
    if (sndstate.initialised) SNDrestore();
}

int iSNDmessageinit(WinDisplay*, uintptr_t, uint32_t, uint32_t, uint32_t lparam, int32_t* result)
{
    if (lparam == 0) {
        int32_t r = 0;
        uintptr_t window = getmainwindow();
        if (!window) {
            LIBFAIL(SITE, "iSNDmessageinit - MAIN WINDOW HANDLE IS INVALID.\n");
            r = -16;
        } else if (int32_t caps = snddllcaps(window); caps <= 0) {
            r = caps == 0 ? -8 : caps;
        } else if (!(sndstate.outputrate = static_cast<uint16_t>(rateof(sndstate.startflags)))) {
            LIBFAIL(SITE, "SNDinit - NO VALID RATE PASSED IN.\n");
            r = -8;
        } else {
            if (!g_driver.exitregistered) {
                g_driver.exitregistered = true;
                libatexit(restoreatexit);
            }
            iSNDmixinit(sndstate.startflags, iSNDfreechan);
            sndstate.flags = sndstate.startflags;
            r = snddllstart(sndstate.startflags, window);
            if (r >= 0) {
                r = 0;
                if (!g_driver.timerinstalled.exchange(true)) setcallbackthread(iSNDservetick);
                if (!g_driver.focusinstalled.exchange(true)) setapplicationfocusfunc(audiofocushandler);
            }
        }
        g_driver.result.store(r);
    } else {
        removecallbacks();
        snddllstop();
        g_driver.result.store(0);
    }
    g_driver.done.store(true);
    if (result) *result = 0;
    return 1;
}

// Posts the request to the window thread and waits, serving the window's
// queue meanwhile (the main thread is the window thread here).
bool postandwait(uint32_t lparam)
{
    g_driver.done.store(false);
    if (!sendwinmessage(MSG_SOUND, lparam, 0, 0)) return false;
    while (!g_driver.done.load()) {
        if (isthread(LIB_MAINTHREAD)) windowpump();
        sleepthread(0);
    }
    return true;
}

int32_t iSNDplatforminit(int32_t flags)
{
    sndstate.startflags = flags;
    setabortsoundhook(releaseforabort);
    if (iSNDloaddll() < 0) return -1;
    if (!timerrunning()) {
        LIBFAIL(SITE, "SNDinit - VTC TIMER MUST BE INITIALIZED BEFORE SNDINIT.\n");
        return -16;
    }
    if (!getmainwindow()) {
        LIBFAIL(SITE, "SNDinit - MAIN WINDOW MUST BE PRESENT BEFORE SNDINIT AND FOR DURATION OF ALL AUDIO USE.\n");
        return -16;
    }
    setmsghandler(MSG_SOUND, iSNDmessageinit);
    g_driver.handlerset = true;
    g_driver.posted = postandwait(0);
    if (!g_driver.posted) return -16;
    return g_driver.result.load();
}

// Stops output and lets the library go; never with the sound lock held,
// since the timer's thread may be waiting for it.
int32_t iSNDplatformrestore()
{
    int32_t result = 0;
    std::thread::id self = std::this_thread::get_id();
    bool onservethread = self == g_driver.servethread.load();
    if (g_driver.handlerset && !onservethread && postandwait(1)) {
        result = g_driver.result.load();
    } else {
        // No window thread to ask, or we are the thread it would wait for.
        if (!onservethread) removecallbacks();
        else if (g_driver.focusinstalled.exchange(false)) setapplicationfocusfunc(nullptr);
        if (snddllloaded()) snddllstop();
    }
    iSNDfreedll();
    setabortsoundhook(nullptr);
    return result;
}

// New format and rate while running: output stops, the mixer and every
// playing channel's pitch follow the new rate, output starts again.
int32_t iSNDplatformreinit(int32_t chosen)
{
    if ((chosen ^ sndstate.flags) & 0x20000) {
        LIBFAIL(SITE, "SNDreinit - CHANGING SND_3D_DIRECTSOUND FLAG IS ILLEGAL.\n");
        return -8;
    }
    SNDreleasehardware();
    int32_t rate = rateof(chosen);
    if (!rate) {
        LIBFAIL(SITE, "SNDreinit - NO VALID RATE PASSED IN.\n");
        return -8;
    }
    {
        SndLockHold hold;
        sndstate.flags = chosen;
        sndstate.outputrate = static_cast<uint16_t>(rate);
        iSNDmixreinit(chosen);
        sndchannelsrepitch();
    }
    return SNDobtainhardware();
}

int32_t iSNDcheckinitflags(int32_t flags)
{
    int32_t caps = SNDcaps(0);
    if (caps <= 0) return caps;
    int32_t wanted = (flags == -1 ? caps : flags) & caps;
    if (!(wanted & 0xF)) {
        LIBFAIL(SITE, "SNDinit - NO FORMAT FLAG WAS SET, OR FORMAT IS NOT SUPPORTED BY HARDWARE.\n");
        return 0;
    }
    if (!(wanted & 0xFF00)) {
        LIBFAIL(SITE, "SNDinit - NO RATE FLAG WAS SET, OR RATE IS NOT SUPPORTED BY HARDWARE.\n");
        return 0;
    }
    int32_t out = 0;
    for (int32_t f : {8, 2, 4, 1})
        if (!out && (wanted & f)) out = f;
    int32_t rate = 0x100;
    for (int32_t r : {0x800, 0x1000, 0x400, 0x2000, 0x200})
        if (rate == 0x100 && (wanted & r)) rate = r;
    out |= rate;
    if (flags != -1 && (flags & 0x20000) && (caps & 0x20000)) out |= 0x20000;
    return out;
}

} // namespace

void iSNDlock()
{
    // Only the main thread draws into surfaces; a call from it while one is
    // locked would stall the display.
    if (isthread(LIB_MAINTHREAD) && issurfacelocked())
        LIBFAIL(SITE, "SND... - DO NOT MAKE CALLS TO THE AUDIO LIBRARY WHILE DIRECTDRAW SURFACES ARE LOCKED.\n");
    g_lock.mutex.lock();
    g_lock.owner.store(std::this_thread::get_id());
    ++g_lock.depth;
}

void iSNDunlock()
{
    // An abort may already have left this thread's levels.
    if (g_lock.owner.load() != std::this_thread::get_id() || g_lock.depth <= 0) return;
    if (--g_lock.depth == 0) g_lock.owner.store(std::thread::id{});
    g_lock.mutex.unlock();
}

void iSNDserver()
{
    ++sndstate.servernest;
    ++sndstate.servertick;
    for (int32_t i = 0; i < g_driver.clientcount; ++i) g_driver.clients[i]();
    sndchannelsstep();
    --sndstate.servernest;
}

void sndmixcallbacks(SndDllCallbacks* c)
{
    *c = {iSNDmix, iSNDfreechan, report, debugprint, servertick, print, iSNDpan3d, iSNDconvertsample};
}

int32_t SNDcaps(int32_t)
{
    if (!sndstate.server) sndstate.server = iSNDserver;
    if (iSNDloaddll() < 0) return -1;
    uintptr_t window = getmainwindow();
    if (!window) {
        LIBFAIL(SITE, "SNDcaps - MAIN WINDOW HANDLE IS INVALID.\n");
        return -16;
    }
    int32_t caps = snddllcaps(window);
    return caps > 0 ? caps | 0x10000 : caps;
}

int32_t SNDinit(int32_t flags, int32_t)
{
    if (sndstate.initialised) return 0;
    if (!sndstate.channelcount) sndstate.channelcount = 16;
    if (!sndstate.server) sndstate.server = iSNDserver;
    sndstate.servertick = 0;
    sndstate.mastervolume = 127;
    g_driver.posted = false;
    int32_t chosen = iSNDcheckinitflags(flags);
    int32_t r = chosen > 0 ? iSNDplatforminit(chosen) : chosen == 0 ? -8 : chosen;
    if (chosen > 0 && r == 0) {
        sndstate.initialised = 1;
        return 0;
    }
    // Only a start the window thread handled has output to stop.
    if (g_driver.posted) iSNDplatformrestore();
    else {
        iSNDfreedll();
        setabortsoundhook(nullptr);
    }
    return r < 0 ? r : -8;
}

int32_t SNDreinit(int32_t flags, int32_t)
{
    if (!sndstate.initialised) return -10;
    int32_t chosen = iSNDcheckinitflags(flags);
    if (chosen <= 0) return -8;
    return iSNDplatformreinit(chosen);
}

int32_t SNDrestore()
{
    if (!sndstate.initialised) return -10;
    if (sndstate.shutdown) sndstate.shutdown();
    {
        SndLockHold hold;
        sndchannelsstopall();
    }
    int32_t r = iSNDplatformrestore();
    sndstate.initialised = 0;
    return r;
}

int32_t SNDobtainhardware()
{
    if (!sndstate.initialised) return -14;
    SndLockHold hold;
    int32_t r = snddllstart(sndstate.flags, getmainwindow());
    return r < 0 ? r : 0;
}

int32_t SNDreleasehardware()
{
    if (!sndstate.initialised) return -14;
    SndLockHold hold;
    snddllstop();
    return 0;
}

int32_t iSNDserveradd100hzclient(void (*fn)())
{
    SndLockHold hold;
    if (g_driver.clientcount >= 6) {
        LIBFAIL(SITE, "iSNDserveradd100hzclient - OUT OF LIST SPACE.\n");
        return -13;
    }
    g_driver.clients[g_driver.clientcount++] = fn;
    return 0;
}

int32_t iSNDserverremove100hzclient(void (*fn)())
{
    SndLockHold hold;
    for (int32_t i = 0; i < g_driver.clientcount; ++i) {
        if (g_driver.clients[i] != fn) continue;
        for (int32_t k = i + 1; k < g_driver.clientcount; ++k) g_driver.clients[k - 1] = g_driver.clients[k];
        --g_driver.clientcount;
        return 0;
    }
    LIBFAIL(SITE, "iSNDserverremove100hzclient - COULDN'T FIND SERVER.\n");
    return -8;
}

void SNDsetqualityoffset(int32_t value) { sndstate.qualityoffset = static_cast<int16_t>(value); }

void SNDsetchannelcount(int32_t count) { sndstate.channelcount = static_cast<int8_t>(count); }

void sndlibreset()
{
    if (sndstate.initialised) SNDrestore();
    removecallbacks();
    iSNDfreedll();
    sndstate = SndState{};
    g_driver.clientcount = 0;
    g_driver.handlerset = false;
    sndchannelsreset();
    SNDPKTPLAY_reset();
    sndstreamsreset();
    for (SndMixVoice& v : sndmixvoices) v.state = 0;
    snddllreset();
    sndsetoutputdevice(nullptr);
}
