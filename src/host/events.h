// The window messages the game reacts to, made from SDL events on the main
// thread, and the queue they wait in until the game's pump takes them.
//
// Other host parts that read SDL events themselves (the input devices)
// register a listener (host/host_sdl.h): every SDL event reaches the
// listeners, in the order registered, before it is turned into a message.
//
// KOB99_EVENT_SCRIPT may name a file of timed events that are fed in as if
// they came from SDL, so that the program can be played without a person:
//
//   # milliseconds after the first pump, then the event
//   1500 key Escape            (down, and up 40 ms later)
//   1500 keydown Left Shift    (SDL key names)
//   1600 keyup Left Shift
//   2000 mousemove 320 240     (window point)
//   2100 mousedown left        (left, middle or right)
//   2200 mouseup left
//   2500 focus off             (focus on / focus off)
//   3000 close                 (the window's close button)
//   3500 screenshot shot.png   (the next picture shown, written as a PNG)
#pragma once

#include <cstdint>
#include <string>

enum HostMessageId : uint32_t {
    HOST_WM_NONE = 0,
    HOST_WM_ACTIVATE,    // wparam: bits 0-15 1 active / 0 inactive, bits 16-31 1 when minimised
    HOST_WM_KEYDOWN,     // lparam: key layout below
    HOST_WM_KEYUP,
    HOST_WM_SYSKEYDOWN,  // F10, Alt, and any key while Alt is held
    HOST_WM_SYSKEYUP,
    HOST_WM_MOUSEMOVE,   // lparam: x in bits 0-15, y in bits 16-31 (window point); wparam: HOST_MK_ buttons held
    HOST_WM_NCMOUSEMOVE, // the pointer left the client area
    HOST_WM_SYSCOMMAND,  // wparam: HostSysCommand
    HOST_WM_CLOSE,       // the window's close button, or the system asks the program to end
    HOST_WM_QUIT,        // the program must end
    HOST_WM_MCI_NOTIFY,  // wparam: notification flags (1 success)
    HOST_WM_LBUTTONDOWN, // lparam: window point, as for a mouse move
    HOST_WM_LBUTTONUP,
    HOST_WM_RBUTTONDOWN,
    HOST_WM_RBUTTONUP,
    HOST_WM_ERASEBKGND,  // the window was uncovered and must be drawn again
    HOST_WM_MBUTTONDOWN, // lparam: window point, as for a mouse move
    HOST_WM_MBUTTONUP,
    HOST_WM_CHAR,        // wparam: a character typed (one ASCII code a message)
    HOST_WM_MOVE,        // lparam: the window's new position on the screen, x in bits 0-15, y in 16-31
};

// Buttons held, in a mouse move's wparam.
constexpr uint32_t HOST_MK_LBUTTON = 0x1, HOST_MK_RBUTTON = 0x2, HOST_MK_MBUTTON = 0x10;

enum HostSysCommand : uint32_t {
    HOST_SC_MINIMIZE = 1,
    HOST_SC_RESTORE,
    HOST_SC_CLOSE,
    HOST_SC_TASKLIST,
    HOST_SC_SCREENSAVE,
    HOST_SC_MONITORPOWER,
    HOST_SC_KEYMENU,
};

// Key message lparam: repeat count in bits 0-15, set-1 scan code in 16-23,
// extended flag bit 24, Alt held bit 29, key already down bit 30, released bit 31.
constexpr uint32_t host_key_lparam(uint8_t scan, bool extended, bool alt, bool was_down, bool released)
{
    return 1u | (uint32_t(scan) << 16) | (extended ? 1u << 24 : 0u) | (alt ? 1u << 29 : 0u) |
           (was_down ? 1u << 30 : 0u) | (released ? 1u << 31 : 0u);
}

struct HostMessage {
    uint32_t id;
    uint32_t wparam;
    uint32_t lparam;
};

// The game's filter sees every message first: 0 when it handled the message,
// 1 to let the default handling follow.
using HostMessageHook = int (*)(const HostMessage& message);
void host_set_message_hook(HostMessageHook hook);
HostMessageHook host_message_hook();

// Resizes and minimising of the main window reach its listeners as they
// happen, while events are pumped.
enum HostWindowEventKind { HOST_WINDOW_RESIZED, HOST_WINDOW_MINIMISED };
struct HostWindowEvent {
    HostWindowEventKind kind;
    int32_t width, height; // the new client size, when resized
};
using HostWindowListener = void (*)(const HostWindowEvent& event);
void host_add_window_listener(HostWindowListener listener);
void host_remove_window_listener(HostWindowListener listener);

// Reads every waiting SDL event (and every scripted event now due): each goes
// to the listeners, then becomes zero or more queued messages.
void host_pump_events();

// Pumps, then takes the oldest waiting message; false when none waits.
bool host_peek_message(HostMessage* out);
// Takes the oldest message, waiting for one.
void host_wait_message(HostMessage* out);
void host_post_message(const HostMessage& message);
// The hook, then (when it returns 1) the default handling; returns what decided.
int host_dispatch_message(const HostMessage& message);
// The default handling: a close posts the quit message.
int host_default_message(const HostMessage& message);

// Loads a script of timed events (the format above); its times count from
// the next pump. false with a message on a bad file. The pump loads the file
// KOB99_EVENT_SCRIPT names by itself on its first call; a bad one ends the
// program there with its message and exit code 1.
bool host_load_event_script(const std::string& path, std::string* error);
// True while scripted events are still to come.
bool host_event_script_pending();
