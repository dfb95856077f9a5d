// The message pump: every waiting window message handled, and the wait while
// the program is inactive or minimised. What comes back after such a wait (a
// lost display, textures) is restored by the layer that owns it, through the
// restore hook it installs.
#pragma once

#include <cstdint>

struct HostWindow;

extern HostWindow* main_window;   // owns message boxes and receives CD notices
extern uint32_t screen_needs_redraw;
extern uint32_t music_paused;
extern uint32_t restore_pending;

// Handles every waiting message; a quit message ends the process with code 1.
// While the program is inactive or minimised it waits here.
void pump_messages();
void set_main_window(HostWindow* window);
// Called once after the program comes back to the front; none: nothing to restore.
void set_restore_hook(void (*restore)());
