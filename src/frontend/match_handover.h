// The way into a match and back: the front end's resources released, the
// loading picture, the match, the front end again, and the demo splash
// screen that decides between playing on and ending.
#pragma once

#include "frontend/screen_runner.h"

#include <cstdint>

extern menu_screen demo_splash_screen;
// The match the hand-over plays: play_match (tests give their own).
extern void (*match_player)(int32_t mode);

void start_match();
void start_match_page();
// The menu's 3D background carried off the screen before a loading picture.
void carry_off_background();
void demo_splash_page();
void demo_splash_open(menu_screen* screen);
void demo_splash_close(menu_screen* screen);
// The splash with font 7 in slot 5 while it runs.
void run_demo_splash();

// The software path's loading picture: a fade to black in steps of `step`,
// the IFF picture with its palette, and a fade in.
void show_software_loading_picture(int32_t step);

// Columns 320 to 639 of each row of a 640 x 480 8-bit picture into another.
void copy_right_half(uint8_t* destination, const uint8_t* source);
// Premiership, pre-season and Final 8: the CD music off and the sound
// device started afresh.
void restart_sound_for_competition();

// Tests.
void reset_match_handover();
