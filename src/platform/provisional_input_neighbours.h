// Provisional: what the input code needs of modules not yet in the tree (the
// message pump, screen points, application flags, the match camera). Each
// declaration goes when its owner's header lands.
#pragma once

#include <cstdint>

// Message pump: dispatches every waiting window message.
void pump_messages();
// Points between the desktop (window pixels) and the 640 x 480 picture.
void screen_to_game_point(int32_t* x, int32_t* y);
void game_to_screen_point(int32_t* x, int32_t* y);
// Application flags of the window code.
extern uint32_t screen_needs_redraw;
extern uint32_t app_suspended;
// Heading of the match camera, 16384 units a turn.
extern int32_t camera_yaw;
