// Keyboard reading and translation, key substitutions (a key code bound to a
// function that runs instead of delivering the key), the lock keys, the
// mouse, the debug keys, the memory map print and the 80 x 25 debug console.
// The window thread fills the key ring and reports mouse messages; these
// read and translate what it recorded.
#pragma once

#include <cstdint>

// The next key code through the key-read hook, 0 when none or no hook.
uint32_t readkey();
void setkeyreadhook(uint32_t (*hook)());
// The hook initlibrary installs: the ring's next code through dispatchhotkey.
uint32_t readkeybuffer();
uint32_t inkey();
uint32_t keyticks();
uint32_t waitkeyticks(uint32_t ticks);
// Scan code (0..127) to key code by the key state; 0 for Caps Lock and for
// codes past the tables.
uint32_t translatekey(uint32_t scan);
void flushkeys();
uint32_t peekkey();
void initkeys();
void keysoff();
// Raw-key mode: the window stores scan codes and the reader translates them.
bool rawkeymode();
// 1 and the Japanese table for a Japanese keyboard.
int detectkeyboard(int32_t type, int32_t subtype);
const uint8_t* japanesescantable();
// 0 Caps Lock, 1 Num Lock, 2 Scroll Lock.
void setlockkey(int32_t which, int on);
int lockkeystate(int32_t which);
bool capslock();

void interpretsub(uint32_t code, void (*fn)());
void removesub(uint32_t code);
uint32_t dispatchhotkey(uint32_t code);
// Empties the key state, substitutions and console (tests).
void resetkeys();

// Mouse: position, buttons and limits (inclusive).
void initmouse();
void setmouselimits(int32_t minx, int32_t miny, int32_t maxx, int32_t maxy);
void getmouselimits(int32_t* minx, int32_t* miny, int32_t* maxx, int32_t* maxy);
void getmouse(int32_t* buttons, int32_t* x, int32_t* y);
void readmouse();
void setmousepos(int32_t x, int32_t y);
void mouseevent(int32_t x, int32_t y, int32_t buttons, int callhook);
void setmousebuttonhook(void (*hook)(int32_t buttons));
void showmouse();
void hidemouse();
int32_t mouseshowcount();
// What readmouse copies out.
extern int32_t mousex, mousey, mousebuttons;

// Debug keys and aids.
void initdebugkeys();
bool debugkeyson();
void savesnapshot();
void toggledisplay();
void dumpmemorymap(int32_t memclass);
void printmemorymap();

// The debug console: 80 x 25 cells, character low, attribute high.
constexpr int MONO_COLUMNS = 80, MONO_ROWS = 25;
void monoprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void monoprintfat(int32_t column, int32_t row, const char* format, ...) __attribute__((format(printf, 3, 4)));
void monoputs(const char* text);
void monoclear();
void monosettop(int32_t line);
void monosetattribute(uint8_t attribute);
void monosettab(int32_t width);
void monoselectpage(int32_t page);
void monosetlevel(int32_t level);
const uint16_t* monobuffer();
int32_t monoposition();

// Prompts the debug keys use.
void setsnapshotfunction(int (*grab)(const char* name));
