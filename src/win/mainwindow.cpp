#include "win/mainwindow.h"

#include "cmn/lib.h"
#include "host/clock.h"
#include "host/libwindow.h"
#include "win/ddraw.h"
#include "win/key.h"
#include "win/timer.h"
#include "win/wind.h"

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>

LibLogChannel windowlog{"[WIND]", 0};
LibLogChannel displaylog{"[DDRAW]", 0};

namespace {

struct Message {
    uint32_t id, wparam, lparam;
};

struct HandlerEntry {
    uint32_t id;
    MsgHandler handler;
};

constexpr int MAX_HANDLERS = 128;
constexpr uint32_t WM_LIBCREATE = WM_USER + 103; // the window itself, made on the main thread

struct KeyEntry {
    uint8_t extended, scan;
    uint16_t code;
};

struct Window {
    std::mutex mutex; // the queue
    std::deque<Message> queue;
    bool paint = false, quit = false;
    std::atomic<bool> stop{false};
    std::atomic<bool> create{false};
    bool pumping = false;

    HandlerEntry handlers[MAX_HANDLERS];
    int32_t count = 0;
    bool registered = false;
    int32_t classcount = 0;
    char classname[64] = "";
    uintptr_t nexthandle = 0;

    std::mutex keymutex;
    KeyEntry ring[32];
    int32_t ringsize = 32, read = 0, write = 0;
    std::atomic<uint8_t> keydown[128];
    const uint8_t* scantable = nullptr;
    uint32_t mousebuttons = 0;

    std::atomic<void (*)(int)> focus{nullptr};
    void (*quitfn)() = nullptr;
    int focusstate = 0;
    int trapalt = 0;
    bool trap = false, trapinstalled = false;
    int (*trapcallback)(int32_t, int32_t) = nullptr;
    void (*changehook)() = nullptr;
    std::atomic<uint32_t> changes{0};
    int32_t savedscreensaver = 0; // 1 when it was on and the window turned it off
} g;

// Full screen keeps the screen saver off while the window is open.
void screensaver_off()
{
    if (isthread(LIB_MAINTHREAD) && host_libwindow_screensaver()) {
        host_libwindow_setscreensaver(false);
        g.savedscreensaver = 1;
    }
}

// Keys whose key-down is delivered as a code without a character: the
// navigation, keypad and function keys.
uint16_t substitution(uint8_t scan)
{
    if (scan >= 0x3B && scan <= 0x44) return static_cast<uint16_t>(scan << 8);
    if (scan == 0x57) return 0x8700;
    if (scan == 0x58) return 0x8800;
    if (scan >= 0x47 && scan <= 0x53 && scan != 0x4A && scan != 0x4E) return static_cast<uint16_t>(scan << 8);
    return 0;
}

uint8_t scan_of(uint32_t lparam)
{
    uint8_t scan = static_cast<uint8_t>((lparam >> 16) & 0x7F);
    return g.scantable ? static_cast<uint8_t>(g.scantable[scan] & 0x7F) : scan;
}

int32_t repeat_of(uint32_t lparam)
{
    int32_t repeat = static_cast<int32_t>(lparam & 0xFFFF);
    return repeat < g.ringsize ? repeat : g.ringsize;
}

bool is_main(WinDisplay* d, uintptr_t window) { return d && window && window == d->mainwindow.load(); }

#define CHECK_MAIN(value)                                                                                            \
    do {                                                                                                             \
        if (!is_main(d, window)) return value;                                                                       \
    } while (0)

int lib_activateapp(WinDisplay* d, uintptr_t, uint32_t, uint32_t wparam, uint32_t, int32_t*)
{
    liblog(&windowlog, 2, "lib_activateapp (%s)\n", wparam ? "active" : "inactive");
    if (d) d->active.store(wparam ? 1 : 0);
    return 0;
}

int lib_activate(WinDisplay* d, uintptr_t window, uint32_t, uint32_t wparam, uint32_t, int32_t* result)
{
    CHECK_MAIN(1);
    bool active = (wparam & 0xFFFF) && !(wparam >> 16);
    *result = 0;
    if (active) {
        g.focusstate = 1;
        if (g.trap && !g.trapinstalled) g.trapinstalled = true;
        if (auto fn = g.focus.load()) fn(1);
        liblog(&windowlog, 2, "lib_activate (active)\n");
    } else {
        if (g.focusstate == 1) {
            if (auto fn = g.focus.load()) fn(0);
            liblog(&windowlog, 2, "lib_activate (inactive)\n");
            g.focusstate = 0;
        }
        g.trapinstalled = false;
        host_libwindow_cursor(true);
        for (auto& k : g.keydown) k.store(0);
    }
    return 1;
}

int lib_winchange(WinDisplay* d, uintptr_t window, uint32_t, uint32_t, uint32_t, int32_t*)
{
    CHECK_MAIN(0);
    liblog(&windowlog, 2, "lib_winchange\n");
    if (!d->fullscreen) {
        displaydriver().clientorigin(&d->originx, &d->originy);
        displaychanged();
    }
    return 0;
}

int lib_close(WinDisplay* d, uintptr_t window, uint32_t, uint32_t, uint32_t, int32_t*)
{
    CHECK_MAIN(1);
    liblog(&windowlog, 2, "lib_close\n");
    g.quit = true;
    return 1;
}

int lib_windestroyed(WinDisplay* d, uintptr_t window, uint32_t, uint32_t, uint32_t, int32_t*)
{
    CHECK_MAIN(0);
    liblog(&windowlog, 2, "lib_windestroyed\n");
    return 0;
}

int lib_paint(WinDisplay* d, uintptr_t window, uint32_t, uint32_t, uint32_t, int32_t* result)
{
    CHECK_MAIN(1);
    if (d->fullscreen) host_libwindow_raise();
    liblog(&windowlog, 2, "lib_paint\n");
    entercritical(displaylock());
    repaintdisplay();
    leavecritical(displaylock());
    if (!d->fullscreen) displaychanged();
    *result = 1;
    return 1;
}

int lib_erasebkgnd(WinDisplay* d, uintptr_t window, uint32_t, uint32_t, uint32_t, int32_t* result)
{
    CHECK_MAIN(0);
    if (!d->fullscreen) return 0;
    *result = 0;
    return 1;
}

int lib_setchange(WinDisplay* d, uintptr_t window, uint32_t, uint32_t, uint32_t lparam, int32_t* result)
{
    liblog(&windowlog, 2, "lib_setchange '%u'\n", lparam);
    CHECK_MAIN(0);
    if (d->fullscreen) {
        liblog(&windowlog, 2, " disable screensaver\n");
        screensaver_off();
    }
    *result = 0;
    return 0;
}

int lib_syscommand(WinDisplay* d, uintptr_t, uint32_t, uint32_t wparam, uint32_t, int32_t* result)
{
    if (wparam == SC_CLOSE || wparam == SC_MINIMIZE || wparam == SC_MAXIMIZE || wparam == SC_RESTORE) return 0;
    *result = 0;
    return d ? d->fullscreen : 0;
}

int lib_stopthread(WinDisplay* d, uintptr_t window, uint32_t, uint32_t, uint32_t, int32_t*)
{
    CHECK_MAIN(1);
    liblog(&windowlog, 2, "lib_stopthread\n");
    g.stop.store(true);
    return 1;
}

int lib_char(WinDisplay* d, uintptr_t window, uint32_t, uint32_t wparam, uint32_t lparam, int32_t*)
{
    CHECK_MAIN(1);
    for (int32_t i = repeat_of(lparam); i > 0; --i)
        putkeybuffer(static_cast<uint16_t>(wparam), scan_of(lparam), static_cast<uint8_t>((lparam >> 24) & 1));
    liblog(&windowlog, 2, "lib_char\n");
    return 1;
}

int lib_keydown(WinDisplay* d, uintptr_t window, uint32_t, uint32_t, uint32_t lparam, int32_t*)
{
    CHECK_MAIN(1);
    uint8_t scan = scan_of(lparam);
    g.keydown[scan].store(1);
    uint8_t extended = static_cast<uint8_t>((lparam >> 24) & 1);
    int32_t repeat = repeat_of(lparam);
    if (rawkeymode()) {
        for (int32_t i = 0; i < repeat; ++i) putkeybuffer(0, scan, extended);
        liblog(&windowlog, 2, "lib_keydown xlate\n");
        return 1;
    }
    if (uint16_t code = substitution(scan)) {
        for (int32_t i = 0; i < repeat; ++i) putkeybuffer(code, scan, extended);
        liblog(&windowlog, 2, "lib_keydown substitution\n");
        return 1;
    }
    liblog(&windowlog, 2, "lib_keydown default\n");
    return 0;
}

int lib_keyup(WinDisplay* d, uintptr_t window, uint32_t, uint32_t, uint32_t lparam, int32_t*)
{
    CHECK_MAIN(0);
    uint8_t scan = scan_of(lparam);
    if (scan == 42 || scan == 54) g.keydown[42].store(0), g.keydown[54].store(0);
    else g.keydown[scan].store(0);
    liblog(&windowlog, 2, "lib_keyup\n");
    return 0;
}

int32_t buttons_of(uint32_t wparam)
{
    return (wparam & MK_LBUTTON ? 1 : 0) | (wparam & MK_RBUTTON ? 2 : 0) | (wparam & MK_MBUTTON ? 4 : 0);
}

int lib_mbutton(WinDisplay* d, uintptr_t window, uint32_t, uint32_t wparam, uint32_t lparam, int32_t*)
{
    CHECK_MAIN(0);
    liblog(&windowlog, 2, "lib_mbutton\n");
    mouseevent(static_cast<int16_t>(lparam & 0xFFFF), static_cast<int16_t>(lparam >> 16), buttons_of(wparam), 1);
    return 0;
}

int lib_mouse(WinDisplay* d, uintptr_t window, uint32_t, uint32_t wparam, uint32_t lparam, int32_t*)
{
    CHECK_MAIN(0);
    liblog(&windowlog, 2, "lib_mouse\n");
    mouseevent(static_cast<int16_t>(lparam & 0xFFFF), static_cast<int16_t>(lparam >> 16), buttons_of(wparam), 0);
    return 0;
}

int lib_power(WinDisplay*, uintptr_t, uint32_t, uint32_t, uint32_t, int32_t* result)
{
    liblog(&windowlog, 2, "lib_power\n");
    *result = BROADCAST_QUERY_DENY;
    return 1;
}

const HandlerEntry g_window_handlers[] = {
    {WM_ACTIVATEAPP, lib_activateapp}, {WM_ACTIVATE, lib_activate},       {WM_SIZE, lib_winchange},
    {WM_MOVE, lib_winchange},          {WM_CLOSE, lib_close},             {WM_DESTROY, lib_windestroyed},
    {WM_PAINT, lib_paint},             {WM_ERASEBKGND, lib_erasebkgnd},   {WM_SETTINGCHANGE, lib_setchange},
    {WM_SYSCOMMAND, lib_syscommand},   {WM_LIBSTOPTHREAD, lib_stopthread}, {WM_CHAR, lib_char},
    {WM_KEYDOWN, lib_keydown},         {WM_SYSKEYDOWN, lib_keydown},      {WM_KEYUP, lib_keyup},
    {WM_SYSKEYUP, lib_keyup},          {WM_LBUTTONDOWN, lib_mbutton},     {WM_LBUTTONDBLCLK, lib_mbutton},
    {WM_MBUTTONDOWN, lib_mbutton},     {WM_MBUTTONDBLCLK, lib_mbutton},   {WM_RBUTTONDOWN, lib_mbutton},
    {WM_RBUTTONDBLCLK, lib_mbutton},   {WM_MOUSEMOVE, lib_mouse},         {WM_LBUTTONUP, lib_mouse},
    {WM_MBUTTONUP, lib_mouse},         {WM_RBUTTONUP, lib_mouse},         {WM_POWERBROADCAST, lib_power},
};

int find_handler(uint32_t id)
{
    int lo = 0, hi = g.count - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int64_t diff = int64_t{g.handlers[mid].id} - id;
        if (diff == 0) return mid;
        if (diff < 0) lo = mid + 1;
        else hi = mid - 1;
    }
    return -1;
}

void sort_handlers()
{
    std::sort(g.handlers, g.handlers + g.count, [](const HandlerEntry& a, const HandlerEntry& b) { return a.id < b.id; });
}

int32_t window_procedure(uintptr_t window, uint32_t id, uint32_t wparam, uint32_t lparam)
{
    int at = find_handler(id);
    liblog(&windowlog, 3, "MSG=%08x [%1x %08x %08x] %c\n", id, window ? 1u : 0u, wparam, lparam, at >= 0 ? '=' : ';');
    int32_t result = 0;
    if (at >= 0 && g.handlers[at].handler(&libdisplay, window, id, wparam, lparam, &result)) return result;
    return 0; // the default handling does nothing here
}

// The system-key trap: true when the key is swallowed.
bool trapped(const Message& m)
{
    if (!g.trapinstalled || !libdisplay.active.load()) return false;
    if (m.id != WM_KEYDOWN && m.id != WM_SYSKEYDOWN) return false;
    uint8_t scan = static_cast<uint8_t>((m.lparam >> 16) & 0x7F);
    bool extended = (m.lparam >> 24) & 1;
    int32_t modifier = -1, key = 0;
    bool alt = (m.lparam >> 29) & 1, ctrl = g.keydown[29].load();
    if (g.trapalt && alt && (scan == 15 || scan == 1 || (ctrl && scan == 57))) modifier = 56, key = ctrl && scan == 57 ? 57 : scan;
    else if (ctrl && scan == 1) modifier = 29, key = 1;
    else if (extended && (scan == 0x5B || scan == 0x5C || scan == 0x5D || scan == 0x37)) modifier = 0, key = scan;
    if (modifier < 0) return false;
    return g.trapcallback ? g.trapcallback(modifier, key) != 0 : true;
}

uint32_t windowsexittask(uintptr_t, int32_t);

void dispatch(const Message& m)
{
    if (trapped(m)) return;
    locklibrary();
    uintptr_t window = libdisplay.mainwindow.load();
    bool keydown = m.id == WM_KEYDOWN || m.id == WM_SYSKEYDOWN;
    if (keydown && !rawkeymode() && !substitution(scan_of(m.lparam))) {
        // The character a key gives comes after its key-down.
        uint32_t code = translatekey(scan_of(m.lparam));
        if (code && code < 256) {
            std::lock_guard<std::mutex> hold(g.mutex);
            g.queue.push_back(Message{WM_CHAR, code, m.lparam});
        }
    }
    window_procedure(window, m.id, m.wparam, m.lparam);
    unlocklibrary();
}

void stop_window()
{
    g.stop.store(false);
    if (libdisplay.ddraw && libdisplay.modes) {
        liblog(&windowlog, 2, "Dispose library DirectDraw\n");
        disposewindisplay(&libdisplay);
    }
    liblog(&windowlog, 2, "Destroy window\n");
    window_procedure(libdisplay.mainwindow.load(), WM_DESTROY, 0, 0);
    host_libwindow_close();
    libdisplay.mainwindow.store(0);
    std::lock_guard<std::mutex> hold(g.mutex);
    g.queue.clear();
    g.paint = false;
    liblog(&windowlog, 2, "message loop terminated\n");
}

void post(uint32_t id, uint32_t wparam, uint32_t lparam, bool front = false)
{
    std::lock_guard<std::mutex> hold(g.mutex);
    if (front) g.queue.push_front(Message{id, wparam, lparam});
    else g.queue.push_back(Message{id, wparam, lparam});
}

// The window itself (the window thread's first step).
void create_window()
{
    WinDisplay& d = libdisplay;
    if (d.mainwindow.load()) stop_window();
    liblog(&windowlog, 1, "[WIND] creating new window @ %d,%d size=%dx%d\n", d.originx, d.originy, d.clientwidth,
           d.clientheight);
    if (!host_libwindow_open(d.clientwidth, d.clientheight, d.fullscreen, g.classname)) return;
    liblog(&windowlog, 1, "[WIND] created new window\n");
    if (d.fullscreen) host_libwindow_cursor(false);
    g.stop.store(false);
    {
        std::lock_guard<std::mutex> hold(g.mutex);
        g.queue.clear();
        g.paint = g.quit = false;
    }
    d.mainwindow.store(++g.nexthandle);
    liblog(&windowlog, 1, "[WIND] starting message loop\n");
    if (d.fullscreen) {
        host_libwindow_raise();
        d.originx = d.originy = 0;
    } else {
        displaydriver().clientorigin(&d.originx, &d.originy);
    }
    d.active.store(1);
    if (d.fullscreen) {
        screensaver_off();
    } else {
        host_libwindow_raise();
        centremainwindow(d.clientwidth, d.clientheight);
        g.savedscreensaver = 0;
    }
}

void translate_host_messages()
{
    HostLibMessage m{};
    while (host_libwindow_next_message(&m)) {
        switch (m.kind) {
        case HOSTLIB_KEYDOWN: post(WM_KEYDOWN, 0, m.lparam); break;
        case HOSTLIB_KEYUP: post(WM_KEYUP, 0, m.lparam); break;
        case HOSTLIB_SYSKEYDOWN: post(WM_SYSKEYDOWN, 0, m.lparam); break;
        case HOSTLIB_SYSKEYUP: post(WM_SYSKEYUP, 0, m.lparam); break;
        case HOSTLIB_MOUSEMOVE: post(WM_MOUSEMOVE, g.mousebuttons, m.lparam); break;
        case HOSTLIB_LBUTTONDOWN: post(WM_LBUTTONDOWN, g.mousebuttons |= MK_LBUTTON, m.lparam); break;
        case HOSTLIB_LBUTTONUP: post(WM_LBUTTONUP, g.mousebuttons &= ~MK_LBUTTON, m.lparam); break;
        case HOSTLIB_RBUTTONDOWN: post(WM_RBUTTONDOWN, g.mousebuttons |= MK_RBUTTON, m.lparam); break;
        case HOSTLIB_RBUTTONUP: post(WM_RBUTTONUP, g.mousebuttons &= ~MK_RBUTTON, m.lparam); break;
        case HOSTLIB_ACTIVATE:
            post(WM_ACTIVATEAPP, m.wparam, 0);
            post(WM_ACTIVATE, m.wparam, 0);
            break;
        case HOSTLIB_CLOSE: post(WM_CLOSE, 0, 0); break;
        case HOSTLIB_MOVE: post(WM_MOVE, 0, 0); break;
        case HOSTLIB_SIZE: post(WM_SIZE, 0, 0); break;
        case HOSTLIB_PAINT: {
            std::lock_guard<std::mutex> hold(g.mutex);
            g.paint = true;
            break;
        }
        default: break;
        }
    }
}

bool pop(Message* m)
{
    std::lock_guard<std::mutex> hold(g.mutex);
    if (!g.queue.empty()) {
        *m = g.queue.front();
        g.queue.pop_front();
        return true;
    }
    // Painting and quitting wait until nothing else does.
    if (g.paint) {
        g.paint = false;
        *m = Message{WM_PAINT, 0, 0};
        return true;
    }
    if (g.quit) {
        g.quit = false;
        *m = Message{WM_QUIT, 0, 0};
        return true;
    }
    return false;
}

uint32_t windowsexittask(uintptr_t, int32_t)
{
    liblog(&windowlog, 1, "System task forcing exit.\n");
    unlockwindow();
    removesystemtask(windowsexittask);
    libexit();
    return 0;
}

void register_handlers()
{
    if (g.registered) return;
    g.registered = true;
    setkeybuffersize(32);
    for (const HandlerEntry& e : g_window_handlers) setmsghandler(e.id, e.handler);
}

} // namespace

void windowpump()
{
    if (!isthread(LIB_MAINTHREAD) || g.pumping || issurfacelocked()) return;
    g.pumping = true;
    if (g.create.exchange(false)) create_window();
    if (libdisplay.mainwindow.load()) translate_host_messages();
    Message m{};
    while (libdisplay.mainwindow.load() && pop(&m)) {
        if (m.id == WM_QUIT) {
            if (g.quitfn) {
                liblog(&windowlog, 1, "quit message recieved - calling applicationquitfunc\n");
                g.quitfn();
            } else {
                liblog(&windowlog, 1, "quit message recieved - installing windowsexittask\n");
                addsystemtask(windowsexittask, 1, 10);
            }
            continue;
        }
        liblog(&windowlog, 3, "GetMsg@%08x::\n", gettick());
        dispatch(m);
        liblog(&windowlog, 3, "GMDone@%08x!!\n", gettick());
        if (g.stop.load()) stop_window();
    }
    if (libdisplay.mainwindow.load() && libdisplay.fullscreen && libdisplay.active.load() && !issurfacelocked())
        host_libwindow_cursor(false);
    presentdisplay();
    g.pumping = false;
}

bool windowthreadrunning() { return libdisplay.mainwindow.load() != 0; }

uintptr_t openmainwindow(int32_t width, int32_t height, int fullscreen)
{
    WinDisplay& d = libdisplay;
    liblog(&windowlog, 1, "[WIND] openmainwindow(%d,%d,%d)\n", width, height, fullscreen);
    if (g.classcount++ == 0) {
        const char* name = program_invocation_short_name;
        std::snprintf(g.classname, sizeof g.classname, "%s", name && *name ? name : "DLL");
    }
    if (!g.registered) {
        register_handlers();
    } else if (d.mainwindow.load() && (d.fullscreen != 0) != (fullscreen != 0)) {
        centremainwindow(width, height);
        return 1;
    }
    d.active.store(1);
    d.clientwidth = width;
    d.clientheight = height;
    d.fullscreen = fullscreen ? 1 : 0;
    if (isthread(LIB_MAINTHREAD)) {
        bool was = g.pumping;
        g.pumping = true;
        create_window();
        g.pumping = was;
    } else {
        uintptr_t old = d.mainwindow.load();
        g.create.store(true);
        while (g.create.load() || d.mainwindow.load() == old) sleepthread(1);
    }
    return d.mainwindow.load();
}

void closemainwindow()
{
    WinDisplay& d = libdisplay;
    if (d.mainwindow.load()) {
        liblog(&windowlog, 1, "[WIND] closemainwindow\n");
        if (g.focus.load()) LIBFAIL("win\\winmain", "closemainwindow - YOU MUST SHUT DOWN AUDIO FIRST.  CALL SNDrestore()\n");
        if (g.savedscreensaver && isthread(LIB_MAINTHREAD)) host_libwindow_setscreensaver(true);
        g.savedscreensaver = 0;
        liblog(&windowlog, 1, "[WIND] stopping main window thread\n");
        if (isthread(LIB_MAINTHREAD) && g.pumping) {
            stop_window(); // a handler closing it: the loop would never come round
        } else if (sendwinmessage(WM_LIBSTOPTHREAD, 0, 0, 0)) {
            while (d.mainwindow.load()) {
                if (isthread(LIB_MAINTHREAD)) {
                    windowpump();
                    runsystemtasks(0);
                }
                sleepthread(0);
            }
        }
        liblog(&windowlog, 1, "[WIND] main window has closed\n");
    }
    if (g.classcount > 0) --g.classcount;
}

int setmsghandler(uint32_t message, MsgHandler handler)
{
    locklibrary();
    int changed = 0;
    int at = find_handler(message);
    if (at >= 0 && handler) {
        g.handlers[at].handler = handler;
        changed = 1;
    } else if (at >= 0) {
        g.handlers[at].id = 0x7FFFFFFF;
        sort_handlers();
        --g.count;
        changed = 1;
    } else if (handler && g.count < MAX_HANDLERS) {
        g.handlers[g.count++] = HandlerEntry{message, handler};
        sort_handlers();
        changed = 1;
    }
    unlocklibrary();
    return changed;
}

MsgHandler getmsghandler(uint32_t message)
{
    locklibrary();
    int at = find_handler(message);
    MsgHandler h = at >= 0 ? g.handlers[at].handler : nullptr;
    unlocklibrary();
    return h;
}

int32_t msghandlercount() { return g.count; }

int sendwinmessage(uint32_t message, uint32_t lparam, uint32_t wparam, int notify)
{
    if (!libdisplay.mainwindow.load()) {
        liblog(&windowlog, 1, "sendwinmessage = %d\n", 1400);
        return 0;
    }
    post(message, wparam, lparam, notify != 0);
    return 1;
}

void locklibrary() { entercritical(liblock()); }
void unlocklibrary() { leavecritical(liblock()); }
void setapplicationfocusfunc(void (*callback)(int)) { g.focus.store(callback); }
void setapplicationquitfunc(void (*quit)()) { g.quitfn = quit; }
uintptr_t getmainwindow() { return libdisplay.mainwindow.load(); }
int ismainwindowopen() { return libdisplay.mainwindow.load() != 0; }
void* getdirectdraw() { return libdisplay.ddraw; }
uint32_t getddrawcreatecount() { return libdisplay.createcount.load(); }

void hidemainwindow(int hide)
{
    if (isthread(LIB_MAINTHREAD)) host_libwindow_show(hide == 0);
}

void getclientsize(int32_t* width, int32_t* height)
{
    int32_t w = libdisplay.clientwidth, h = libdisplay.clientheight;
    if (width) *width = w;
    if (height) *height = h;
}

void setwindowrect(int32_t x, int32_t y, int32_t width, int32_t height)
{
    WinDisplay& d = libdisplay;
    if (isthread(LIB_MAINTHREAD)) host_libwindow_place(x, y, width, height);
    d.clientwidth = width;
    d.clientheight = height;
    displaydriver().clientorigin(&d.originx, &d.originy);
}

void centremainwindow(int32_t width, int32_t height)
{
    int32_t sw = 0, sh = 0;
    if (isthread(LIB_MAINTHREAD)) host_libwindow_screensize(&sw, &sh);
    setwindowrect((sw - width) / 2, (sh - height) / 2, width, height);
}

void fullscreenmainwindow()
{
    int32_t sw = 640, sh = 480;
    if (isthread(LIB_MAINTHREAD)) host_libwindow_screensize(&sw, &sh);
    setwindowrect(0, 0, sw, sh);
}

void clienttoscreenpoint(const DDSurface* surface, int32_t* point)
{
    if (surface && surface == libdisplay.primary) {
        point[0] += libdisplay.originx;
        point[1] += libdisplay.originy;
    }
}

void clienttoscreenrect(const DDSurface* surface, int32_t* rect)
{
    clienttoscreenpoint(surface, rect);
    clienttoscreenpoint(surface, rect + 2);
}

void setcursorclient(WinDisplay*, int32_t x, int32_t y)
{
    if (!isthread(LIB_MAINTHREAD)) return;
    host_libwindow_warp(x, y);
    host_libwindow_cursor(false);
}

void setsystemkeytrap(int trapalt, int (*callback)(int32_t, int32_t))
{
    g.trapalt = trapalt;
    g.trapcallback = callback;
    g.trap = true;
    g.trapinstalled = true;
}

void removesystemkeytrap()
{
    if (!libdisplay.fullscreen) return;
    g.trapinstalled = false;
    g.trap = false;
}

void setkeybuffersize(int32_t n)
{
    std::lock_guard<std::mutex> hold(g.keymutex);
    g.ringsize = n < 1 ? 1 : n > 32 ? 32 : n;
    g.read = g.write = 0;
}

void putkeybuffer(uint16_t code, uint8_t scan, uint8_t extended)
{
    std::lock_guard<std::mutex> hold(g.keymutex);
    g.ring[g.write] = KeyEntry{extended, static_cast<uint8_t>(scan & 0x7F), code};
    g.write = (g.write + 1) % g.ringsize;
    if (g.write == g.read) g.read = (g.read + 1) % g.ringsize; // the oldest key goes
}

namespace {

uint32_t take_key(bool remove)
{
    for (;;) {
        KeyEntry e;
        {
            std::lock_guard<std::mutex> hold(g.keymutex);
            if (g.read == g.write) return 0;
            e = g.ring[g.read];
            uint32_t code = e.code;
            if (code) {
                if (remove) g.read = (g.read + 1) % g.ringsize;
                return uint32_t{e.scan} << 16 | code;
            }
            g.read = (g.read + 1) % g.ringsize;
        }
        // A raw scan code is translated outside the ring's lock.
        uint32_t code = translatekey(e.scan) & 0xFFFF;
        if (!code) continue;
        if (!remove) {
            std::lock_guard<std::mutex> hold(g.keymutex);
            g.read = (g.read + g.ringsize - 1) % g.ringsize;
            g.ring[g.read] = KeyEntry{e.extended, e.scan, static_cast<uint16_t>(code)};
        }
        return uint32_t{e.scan} << 16 | code;
    }
}

} // namespace

uint32_t getkeybuffer() { return take_key(true); }
uint32_t peekkeybuffer() { return take_key(false); }

int32_t countbits(uint32_t value) { return __builtin_popcount(value); }

int enumdirectdraw(int (*callback)(const uint8_t*, const char*, const char*, void*), void* context)
{
    static const uint8_t zero[16] = {};
    return callback ? callback(zero, "Library display", "display", context) : 0;
}

int iskeydown(int32_t scan) { return scan >= 0 && scan < 128 ? g.keydown[scan].load() : 0; }
void setscantable(const uint8_t* table) { g.scantable = table; }
uint32_t gettickcount() { return host_time_ms(); }

void setdisplaychangehook(void (*hook)()) { g.changehook = hook; }

void displaychanged()
{
    if (g.changehook) g.changehook();
    else g.changes.fetch_add(1);
}

uint32_t displaychangecount() { return g.changes.load(); }

void resetmainwindow()
{
    if (libdisplay.mainwindow.load() && isthread(LIB_MAINTHREAD)) {
        bool was = g.pumping;
        g.pumping = true;
        stop_window();
        g.pumping = was;
    }
    std::lock_guard<std::mutex> hold(g.mutex);
    g.queue.clear();
    g.paint = g.quit = false;
    g.stop.store(false);
    g.create.store(false);
    g.count = 0;
    g.registered = false;
    g.classcount = 0;
    g.focus.store(nullptr);
    g.quitfn = nullptr;
    g.focusstate = 0;
    g.trap = g.trapinstalled = false;
    g.trapcallback = nullptr;
    g.changehook = nullptr;
    g.changes.store(0);
    g.scantable = nullptr;
    g.mousebuttons = 0;
    for (auto& k : g.keydown) k.store(0);
    std::lock_guard<std::mutex> keys(g.keymutex);
    g.ringsize = 32;
    g.read = g.write = 0;
}
