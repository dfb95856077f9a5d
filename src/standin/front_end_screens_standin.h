// STAND-IN (until the controls-and-settings issue lands): screens of the front end built later (the keyboard
// and joystick set-up screens, the results screen) as minimal screens of
// the runner: a title and a continue icon giving result 1. Same names as
// the real ones; delete when they land.
#pragma once

struct menu_screen;

extern menu_screen keyboard_config_screen;
extern menu_screen joystick_config_screen;
extern menu_screen finals_results_screen;
// Chooses the results screen's pictures by the match flow flags.
void set_results_background();
