// The library's main window and its "window thread": every window message of
// the library waits in one queue and is dispatched, under the library lock,
// by handlers looked up in a sorted table of message ids. The queue is served
// on the main thread by windowpump(), which the system tasks run, so that the
// host's window calls stay on the main thread; other threads post requests
// and wait for a flag. The window also carries the keyboard (a ring of key
// codes), the mouse, focus changes and a system-key trap.
#pragma once

#include "cmn/lib.h"

#include <cstdint>

struct WinDisplay;

enum : uint32_t {
    WM_DESTROY = 2,
    WM_MOVE = 3,
    WM_SIZE = 5,
    WM_ACTIVATE = 6,
    WM_PAINT = 15,
    WM_CLOSE = 16,
    WM_QUIT = 18,
    WM_ERASEBKGND = 20,
    WM_SETTINGCHANGE = 26,
    WM_ACTIVATEAPP = 28,
    WM_KEYDOWN = 256,
    WM_KEYUP = 257,
    WM_CHAR = 258,
    WM_SYSKEYDOWN = 260,
    WM_SYSKEYUP = 261,
    WM_SYSCOMMAND = 274,
    WM_MOUSEMOVE = 512,
    WM_LBUTTONDOWN = 513,
    WM_LBUTTONUP = 514,
    WM_LBUTTONDBLCLK = 515,
    WM_RBUTTONDOWN = 516,
    WM_RBUTTONUP = 517,
    WM_RBUTTONDBLCLK = 518,
    WM_MBUTTONDOWN = 519,
    WM_MBUTTONUP = 520,
    WM_MBUTTONDBLCLK = 521,
    WM_POWERBROADCAST = 536,
    WM_USER = 1024,
    WM_LIBINITGRAPHICS = WM_USER + 100,
    WM_LIBSETMODE = WM_USER + 101,
    WM_LIBSTOPTHREAD = WM_USER + 102,
};
enum : uint32_t { SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030, SC_CLOSE = 0xF060, SC_KEYMENU = 0xF100,
                  SC_SCREENSAVE = 0xF140, SC_RESTORE = 0xF120 };
enum : uint32_t { MK_LBUTTON = 1, MK_RBUTTON = 2, MK_MBUTTON = 0x10 };
constexpr int32_t BROADCAST_QUERY_DENY = 0x424D5144;

// (display, window, message, wparam, lparam, result) -> nonzero when handled.
using MsgHandler = int (*)(WinDisplay* display, uintptr_t window, uint32_t message, uint32_t wparam,
                           uint32_t lparam, int32_t* result);

// The window's log channels: "[WIND]" and handler traces, "[INIT]" and "[DDRAW]".
extern LibLogChannel windowlog, displaylog;

uintptr_t openmainwindow(int32_t width, int32_t height, int fullscreen);
void closemainwindow();
int setmsghandler(uint32_t message, MsgHandler handler);
MsgHandler getmsghandler(uint32_t message);
int32_t msghandlercount();
// Posts (or, notifying, sends ahead of what waits) a message to the window.
int sendwinmessage(uint32_t message, uint32_t lparam, uint32_t wparam, int notify);
void locklibrary();
void unlocklibrary();
void setapplicationfocusfunc(void (*callback)(int active));
void setapplicationquitfunc(void (*quit)());
uintptr_t getmainwindow();
int ismainwindowopen();
void* getdirectdraw();
uint32_t getddrawcreatecount();
void hidemainwindow(int hide);
void getclientsize(int32_t* width, int32_t* height);
void setwindowrect(int32_t x, int32_t y, int32_t width, int32_t height);
void centremainwindow(int32_t width, int32_t height);
void fullscreenmainwindow();
struct DDSurface;
void clienttoscreenpoint(const DDSurface* surface, int32_t* point);
void clienttoscreenrect(const DDSurface* surface, int32_t* rect);
void setcursorclient(WinDisplay* display, int32_t x, int32_t y);
// The trap sees keys before the handlers: Alt+Tab, Alt+Esc, Ctrl+Space (with
// the Alt flag), Ctrl+Esc and the system keys; a callback returning nonzero
// swallows the key.
void setsystemkeytrap(int trapalt, int (*callback)(int32_t modifier, int32_t key));
void removesystemkeytrap();
void setkeybuffersize(int32_t n);
void putkeybuffer(uint16_t code, uint8_t scan, uint8_t extended);
uint32_t getkeybuffer();
uint32_t peekkeybuffer();
int32_t countbits(uint32_t value);
int enumdirectdraw(int (*callback)(const uint8_t* guid, const char* description, const char* name, void* context),
                   void* context);
int iskeydown(int32_t scan);
// Every scan code passes through this 128-byte table when one is installed.
void setscantable(const uint8_t* table);
uint32_t gettickcount();

// Called after a repaint or move in a window and after every reconfiguration
// and restore; by default counts displaychangecount().
void setdisplaychangehook(void (*hook)());
void displaychanged();
uint32_t displaychangecount();

// Serves the window's queue on the main thread: the host's window events
// become messages, and every waiting message is dispatched. Does nothing on
// other threads, inside a dispatch or while a surface is locked.
void windowpump();
// Runs the main window's work item on the main thread (tests and the waits).
bool windowthreadrunning();
// Back to no window, no handlers and an empty ring (tests).
void resetmainwindow();
