#include "win/key.h"

#include "cmn/lib.h"
#include "cmn/memdspi.h"
#include "cmn/memstd.h"
#include "cmn/numeric.h"
#include "host/process.h"
#include "win/grab.h"
#include "win/ddraw.h"
#include "win/grfreq.h"
#include "win/mainwindow.h"
#include "win/prompt.h"
#include "win/timer.h"
#include "win/wind.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <mutex>

int32_t mousex = 0, mousey = 0, mousebuttons = 0;

namespace {

const char* const SITE = "win\\key";
constexpr int TABLE = 91;

// The five US-layout tables: a value below 128 is a character, 128..143
// gives value << 8, 144 and above (value & 127) << 8.
struct KeyTables {
    uint8_t plain[TABLE], shift[TABLE], caps[TABLE], control[TABLE], alt[TABLE];
    KeyTables() : plain{}, shift{}, caps{}, control{}, alt{}
    {
        const char* lower[] = {"1234567890-=", "qwertyuiop[]", "asdfghjkl;'`", "zxcvbnm,./"};
        const char* upper[] = {"!@#$%^&*()_+", "QWERTYUIOP{}", "ASDFGHJKL:\"~", "ZXCVBNM<>?"};
        const int starts[] = {2, 16, 30, 44};
        for (int row = 0; row < 4; ++row)
            for (int i = 0; lower[row][i]; ++i) {
                int s = starts[row] + i;
                plain[s] = static_cast<uint8_t>(lower[row][i]);
                shift[s] = static_cast<uint8_t>(upper[row][i]);
                char c = lower[row][i];
                caps[s] = static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 32 : c);
                control[s] = c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 1) : 0;
                alt[s] = static_cast<uint8_t>(s + 128);
            }
        for (uint8_t* t : {plain, shift, caps, control, alt}) {
            t[1] = 27;
            t[14] = 8;
            t[15] = 9;
            t[28] = 13;
            t[43] = '\\';
            t[55] = '*';
            t[57] = ' ';
            t[74] = '-';
            t[78] = '+';
            for (int s = 71; s <= 83; ++s)
                if (s != 74 && s != 78) t[s] = static_cast<uint8_t>(s + 128);
            t[87] = 135; // F11
            t[88] = 136; // F12
        }
        shift[43] = '|';
        control[1] = 27;
        control[14] = 127;
        control[28] = 10;
        control[26] = 27;
        control[43] = 28;
        control[27] = 29;
        alt[1] = alt[14] = alt[15] = alt[28] = alt[43] = alt[55] = alt[57] = 0;
        for (int i = 0; i < 10; ++i) {
            plain[59 + i] = caps[59 + i] = static_cast<uint8_t>(59 + i + 128);
            shift[59 + i] = static_cast<uint8_t>(0x54 + i + 128);
            control[59 + i] = static_cast<uint8_t>(0x5E + i + 128);
            alt[59 + i] = static_cast<uint8_t>(0x68 + i + 128);
        }
    }
};
const KeyTables g_tables;

struct Japanese {
    uint8_t table[128];
    Japanese()
    {
        for (int i = 0; i < 128; ++i) table[i] = static_cast<uint8_t>(i);
        table[0x73] = 0x35; // the "ro" key gives the slash key
        table[0x7D] = 0x2B; // the yen key gives the backslash key
    }
} g_japanese;

struct Keys {
    std::atomic<uint32_t (*)()> readhook{nullptr};
    std::atomic<bool> raw{false};
    std::atomic<bool> caps{false};
    std::atomic<bool> locks[3] = {};
    std::atomic<bool> debugkeys{false};
    std::mutex submutex;
    void (*subs[64])() = {};
    uint8_t low[256] = {}, high[256] = {};
} g_keys;

struct Mouse {
    std::mutex mutex;
    int32_t x = 0, y = 0, buttons = 0;
    int32_t minx = 0, miny = 0, maxx = 639, maxy = 479;
    int32_t showcount = 0;
    bool on = false;
    void (*buttonhook)(int32_t) = nullptr;
} g_mouse;

struct Console {
    std::mutex mutex;
    uint16_t cells[MONO_COLUMNS * MONO_ROWS] = {};
    int32_t position = 0; // in bytes: row * 160 + column * 2
    uint8_t attribute = 7;
    int32_t tab = 8;
    int32_t top = 0;
    int32_t level = 2;
    bool next_is_attribute = false;
} g_console;

int (*g_grab)(const char*) = grabscreen;

uint32_t value_code(uint8_t v)
{
    if (v < 128) return v;
    if (v < 144) return uint32_t{v} << 8;
    return uint32_t(v & 127) << 8;
}

void clamp_mouse(int32_t* x, int32_t* y)
{
    if (*x < g_mouse.minx) *x = g_mouse.minx;
    if (*x > g_mouse.maxx) *x = g_mouse.maxx;
    if (*y < g_mouse.miny) *y = g_mouse.miny;
    if (*y > g_mouse.maxy) *y = g_mouse.maxy;
}

void check_unlocked(const char* name)
{
    if (isthread(LIB_MAINTHREAD) && graphicsstate() == 7 && issurfacelocked())
        LIBFAIL(SITE, "%s - DO NOT CALL WITH SURFACE LOCKED\n", name);
}

uint32_t wait_key(bool (*timedout)(uint32_t), uint32_t argument)
{
    for (;;) {
        if (uint32_t k = readkey()) return k;
        if (timedout && timedout(argument)) return 0;
        if (isthread(LIB_MAINTHREAD)) {
            windowpump();
            runsystemtasks(0);
        }
        sleepthread(1);
    }
}

// Console: scrolls the lines below the top line up by one.
void scroll()
{
    uint16_t* c = g_console.cells;
    int32_t top = g_console.top;
    std::memmove(c + top * MONO_COLUMNS, c + (top + 1) * MONO_COLUMNS,
                 sizeof(uint16_t) * MONO_COLUMNS * static_cast<size_t>(MONO_ROWS - 1 - top));
    for (int i = 0; i < MONO_COLUMNS; ++i) c[(MONO_ROWS - 1) * MONO_COLUMNS + i] = uint16_t(g_console.attribute) << 8 | ' ';
    g_console.position = (MONO_ROWS - 1) * MONO_COLUMNS * 2;
}

void put_text(const char* text)
{
    constexpr int32_t END = MONO_COLUMNS * MONO_ROWS * 2;
    for (const char* p = text; *p; ++p) {
        auto ch = static_cast<uint8_t>(*p);
        if (g_console.next_is_attribute) {
            g_console.attribute = ch;
            g_console.next_is_attribute = false;
            continue;
        }
        int32_t& pos = g_console.position;
        switch (ch) {
        case 8:
            if (pos >= 2) pos -= 2;
            break;
        case 9:
            if (g_console.tab > 1) {
                int32_t column = (pos % 160) / 2;
                int32_t next = (column / g_console.tab + 1) * g_console.tab;
                pos = pos - column * 2 + (next < MONO_COLUMNS ? next : MONO_COLUMNS - 1) * 2;
            }
            break;
        case 10:
            pos = (pos / 160 + 1) * 160;
            if (pos >= END) scroll();
            break;
        case 11: pos = g_console.top * 160; break;
        case 12:
            for (auto& c : g_console.cells) c = uint16_t(g_console.attribute) << 8 | ' ';
            pos = g_console.top * 160;
            break;
        case 14: g_console.next_is_attribute = true; break;
        default:
            if (pos >= END) scroll();
            g_console.cells[pos / 2] = uint16_t(g_console.attribute) << 8 | ch;
            pos += 2;
            break;
        }
    }
}

void vmono(int32_t column, int32_t row, const char* format, va_list args)
{
    if (g_console.level < 2) return;
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::lock_guard<std::mutex> hold(g_console.mutex);
    if (column >= 0 && column < MONO_COLUMNS && row >= 0 && row < MONO_ROWS) g_console.position = row * 160 + column * 2;
    put_text(text);
}

} // namespace

void setkeyreadhook(uint32_t (*hook)()) { g_keys.readhook.store(hook); }

uint32_t readkey()
{
    auto hook = g_keys.readhook.load();
    return hook ? hook() : 0;
}

uint32_t readkeybuffer()
{
    uint32_t code = getkeybuffer() & 0xFFFF;
    return code ? dispatchhotkey(code) : 0;
}

uint32_t inkey()
{
    check_unlocked("inkey");
    return wait_key(nullptr, 0);
}

uint32_t keyticks()
{
    check_unlocked("keyticks");
    return wait_key([](uint32_t) { return deadlinereached(); }, 0);
}

uint32_t waitkeyticks(uint32_t ticks)
{
    uint32_t start = gettick();
    static thread_local uint32_t limit;
    limit = ticks;
    return wait_key([](uint32_t from) { return ticksince(from) >= limit; }, start);
}

uint32_t translatekey(uint32_t scan)
{
    if (scan == 58) {
        g_keys.caps.store(!g_keys.caps.load());
        return 0;
    }
    if (scan >= TABLE) return 0;
    const uint8_t* table = g_tables.plain;
    if (iskeydown(56)) {
        table = g_tables.alt;
    } else if (iskeydown(29)) {
        if (g_keys.debugkeys.load() && scan == 1) host_exit(0);
        table = g_tables.control;
    } else if (iskeydown(42) || iskeydown(54)) {
        table = g_tables.shift;
    } else if (g_keys.caps.load()) {
        table = g_tables.caps;
    }
    return value_code(table[scan]);
}

void flushkeys()
{
    while (getkeybuffer()) {
    }
}

uint32_t peekkey() { return peekkeybuffer() & 0xFFFF; }

void initkeys()
{
    g_keys.raw.store(true);
    g_keys.caps.store(false);
}

void keysoff() { g_keys.raw.store(false); }
bool rawkeymode() { return g_keys.raw.load(); }
bool capslock() { return g_keys.caps.load(); }

int detectkeyboard(int32_t type, int32_t subtype)
{
    if (type == 7 && subtype >= 3329 && subtype <= 3332) {
        setscantable(g_japanese.table);
        return 1;
    }
    return 0;
}

const uint8_t* japanesescantable() { return g_japanese.table; }

void setlockkey(int32_t which, int on)
{
    if (which < 0 || which > 2) return;
    g_keys.locks[which].store(on != 0);
    if (which == 0) g_keys.caps.store(on != 0);
}

int lockkeystate(int32_t which) { return which >= 0 && which <= 2 && g_keys.locks[which].load(); }

void interpretsub(uint32_t code, void (*fn)())
{
    if (code >= 65536) return;
    std::lock_guard<std::mutex> hold(g_keys.submutex);
    int slot = -1;
    for (int i = 0; i < 64 && slot < 0; ++i)
        if (g_keys.subs[i] == fn) slot = i;
    for (int i = 0; i < 64 && slot < 0; ++i)
        if (!g_keys.subs[i]) slot = i;
    if (slot < 0) {
        LIBFAIL(SITE, "interpretsub -- MAXIMUM 64 KEYSUBS");
        return;
    }
    g_keys.subs[slot] = fn;
    if (code < 256) g_keys.low[code] = static_cast<uint8_t>(slot + 1);
    else g_keys.high[code >> 8] = static_cast<uint8_t>(slot + 1);
}

void removesub(uint32_t code)
{
    if (code >= 65536) return;
    std::lock_guard<std::mutex> hold(g_keys.submutex);
    uint8_t& entry = code < 256 ? g_keys.low[code] : g_keys.high[code >> 8];
    int slot = entry - 1;
    entry = 0;
    if (slot < 0) return;
    for (int i = 0; i < 256; ++i)
        if (g_keys.low[i] == slot + 1 || g_keys.high[i] == slot + 1) return;
    g_keys.subs[slot] = nullptr;
}

uint32_t dispatchhotkey(uint32_t code)
{
    if (code >= 65536) return code;
    void (*fn)() = nullptr;
    {
        std::lock_guard<std::mutex> hold(g_keys.submutex);
        uint8_t entry = code < 256 ? g_keys.low[code] : g_keys.high[code >> 8];
        if (entry) fn = g_keys.subs[entry - 1];
    }
    if (!fn) return code;
    fn();
    return 0;
}

void resetkeys()
{
    setkeyreadhook(nullptr);
    g_keys.raw.store(false);
    g_keys.caps.store(false);
    for (auto& l : g_keys.locks) l.store(false);
    g_keys.debugkeys.store(false);
    {
        std::lock_guard<std::mutex> hold(g_keys.submutex);
        std::memset(g_keys.subs, 0, sizeof g_keys.subs);
        std::memset(g_keys.low, 0, sizeof g_keys.low);
        std::memset(g_keys.high, 0, sizeof g_keys.high);
    }
    {
        std::lock_guard<std::mutex> hold(g_mouse.mutex);
        g_mouse.x = g_mouse.y = g_mouse.buttons = 0;
        g_mouse.minx = g_mouse.miny = 0;
        g_mouse.maxx = 639;
        g_mouse.maxy = 479;
        g_mouse.showcount = 0;
        g_mouse.on = false;
        g_mouse.buttonhook = nullptr;
    }
    std::lock_guard<std::mutex> hold(g_console.mutex);
    std::memset(g_console.cells, 0, sizeof g_console.cells);
    g_console.position = 0;
    g_console.attribute = 7;
    g_console.tab = 8;
    g_console.top = 0;
    g_console.level = 2;
    g_console.next_is_attribute = false;
    g_grab = grabscreen;
}

void initmouse()
{
    std::lock_guard<std::mutex> hold(g_mouse.mutex);
    g_mouse.minx = g_mouse.miny = 0;
    g_mouse.maxx = libdisplay.width > 0 ? libdisplay.width : 640;
    g_mouse.maxy = libdisplay.height > 0 ? libdisplay.height : 480;
    g_mouse.showcount = 0;
    g_mouse.on = true;
}

void setmouselimits(int32_t minx, int32_t miny, int32_t maxx, int32_t maxy)
{
    std::lock_guard<std::mutex> hold(g_mouse.mutex);
    g_mouse.minx = minx;
    g_mouse.miny = miny;
    g_mouse.maxx = maxx;
    g_mouse.maxy = maxy;
    clamp_mouse(&g_mouse.x, &g_mouse.y);
}

void getmouselimits(int32_t* minx, int32_t* miny, int32_t* maxx, int32_t* maxy)
{
    std::lock_guard<std::mutex> hold(g_mouse.mutex);
    if (minx) *minx = g_mouse.minx;
    if (miny) *miny = g_mouse.miny;
    if (maxx) *maxx = g_mouse.maxx;
    if (maxy) *maxy = g_mouse.maxy;
}

void getmouse(int32_t* buttons, int32_t* x, int32_t* y)
{
    std::lock_guard<std::mutex> hold(g_mouse.mutex);
    if (buttons) *buttons = g_mouse.buttons;
    if (x) *x = g_mouse.x;
    if (y) *y = g_mouse.y;
}

void readmouse() { getmouse(&mousebuttons, &mousex, &mousey); }

void setmousepos(int32_t x, int32_t y)
{
    {
        std::lock_guard<std::mutex> hold(g_mouse.mutex);
        clamp_mouse(&x, &y);
        g_mouse.x = x;
        g_mouse.y = y;
    }
    setcursorclient(&libdisplay, x, y);
}

void mouseevent(int32_t x, int32_t y, int32_t buttons, int callhook)
{
    void (*hook)(int32_t) = nullptr;
    bool moved = false;
    {
        std::lock_guard<std::mutex> hold(g_mouse.mutex);
        if (!g_mouse.on) return;
        int32_t cx = x, cy = y;
        clamp_mouse(&cx, &cy);
        moved = cx != x || cy != y;
        g_mouse.x = cx;
        g_mouse.y = cy;
        g_mouse.buttons = buttons;
        if (callhook) hook = g_mouse.buttonhook;
        x = cx;
        y = cy;
    }
    if (moved) setcursorclient(&libdisplay, x, y);
    if (hook) hook(buttons);
}

void setmousebuttonhook(void (*hook)(int32_t)) { g_mouse.buttonhook = hook; }
void showmouse() { ++g_mouse.showcount; }
void hidemouse() { --g_mouse.showcount; }
int32_t mouseshowcount() { return g_mouse.showcount; }

void initdebugkeys()
{
    g_keys.debugkeys.store(true);
    interpretsub(4, memorydisplayscreen);
    interpretsub(5, memorydisplayconsole);
    interpretsub(16, pauseprompt);
    interpretsub(24, exitprompt);
    interpretsub(22, savesnapshot);
    interpretsub(23, toggledisplay);
}

bool debugkeyson() { return g_keys.debugkeys.load(); }
void setsnapshotfunction(int (*grab)(const char*)) { g_grab = grab ? grab : grabscreen; }

void savesnapshot()
{
    WIND saved[2];
    copycurrentwindow(saved);
    displaywindow();
    g_grab("snap.tga");
    unlockwindow();
    promptbox2("saved snap.tga", 60);
    setcurrentwindow(saved);
}

void toggledisplay()
{
    libsettings.displayoptions ^= DISPLAY_FULLSCREEN;
    initgraphics(libdisplay.width, libdisplay.height, libdisplay.bpp);
}

void dumpmemorymap(int32_t memclass)
{
    MemClass* c = memclassrecord(memclass);
    if (!c) return;
    const char* eq = "================================================================\n";
    memprintf("%s", eq);
    memprintf("%s", eq);
    memprintf("----------------------------------------------------------------\n");
    uint64_t free_total = 0;
    MemClassLock hold(c);
    for (uint32_t at = 0;;) {
        MemBlockHeader* h = memheader(c, at);
        const uint8_t* data = reinterpret_cast<const uint8_t*>(h) + 16;
        bool freeblock = h->signature == MEMSIG_FREE;
        bool sentinel = (h->flags & MEM_SENTINEL) != 0;
        uint32_t distance = h->next ? h->next - at : 0;
        const char* name = freeblock ? "   SPACE " : memblockname(data);
        uint32_t crc = !freeblock && !sentinel && h->size ? crc16(data, h->size) : 0;
        const char* mark = "-";
        if (!freeblock && !sentinel && (h->flags & MEM_ENDMARK)) {
            uint32_t end;
            std::memcpy(&end, data + h->size, 4);
            mark = end == ('B' | 'E' << 8 | 'N' << 16 | uint32_t{'D'} << 24) ? "ok" : "BAD";
        }
        if (freeblock) free_total += h->size;
        memprintf("%-12s %08lx %11ld %11ld %04x %04x %3s\n", name ? name : "",
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(data) & 0xFFFFFFFF),
                  static_cast<long>(h->size), static_cast<long>(distance), h->flags, crc, mark);
        if (!h->next) break;
        at = h->next;
    }
    memprintf("\nTOTAL FREE MEMORY: %ld ($%08lx)\n", static_cast<long>(free_total), static_cast<unsigned long>(free_total));
    memprintf("%s", eq);
}

void printmemorymap() { dumpmemorymap(libsettings.defaultmemclass); }

void monoprintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vmono(-1, -1, format, args);
    va_end(args);
}

void monoprintfat(int32_t column, int32_t row, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vmono(column, row, format, args);
    va_end(args);
}

void monoputs(const char* text)
{
    if (g_console.level < 2 || !text) return;
    std::lock_guard<std::mutex> hold(g_console.mutex);
    put_text(text);
}

void monoclear() { monoputs("\f"); }

void monosettop(int32_t line)
{
    if (line >= 0 && line < MONO_ROWS) g_console.top = line;
}

void monosetattribute(uint8_t attribute) { g_console.attribute = attribute; }

void monosettab(int32_t width)
{
    if (width >= 1) g_console.tab = width;
}

void monoselectpage(int32_t) {}
void monosetlevel(int32_t level) { g_console.level = level; }
const uint16_t* monobuffer() { return g_console.cells; }
int32_t monoposition() { return g_console.position; }
