// "Final 8 - Team Selection": the eight finalists in ranking order on the
// top row, the other eight clubs below. Mascots are dragged between places
// with the mouse, or picked with Enter and exchanged with a second Enter;
// each finalist is played by a person ("YOU PLAY") or the computer ("CPU
// PLAYS"). OK writes the finalists into the first finals week.
#pragma once

#include "frontend/screen_runner.h"

#include <cstdint>

constexpr int FINAL8_PLACES = 16, FINAL8_FINALISTS = 8;

struct Final8ScreenState {
    int32_t teams[FINAL8_PLACES]; // the club at each place, finalists first
    char control_names[FINAL8_PLACES][6]; // "CPU" or "Human" at OK
    int32_t drag_place;          // the place being dragged, -1 none
    int32_t grab_dx, grab_dy;
    menu_icon* drag_icon;
    int32_t picked;              // a place picked by Enter, -1 none
    uint8_t right_latch;
    char name[40];               // the last pressed club
};
extern Final8ScreenState final8_state;
extern menu_screen final8_screen;

void final8_open(menu_screen* screen);
void final8_frame(menu_screen* screen);
void final8_close(menu_screen* screen);
// Flips who plays the place and rewrites its texts (finalists only show them).
void toggle_final8_control(int32_t place);
// A press on a place: a finalist's control flips; the big mascot, the name
// and the panel show the club.
void final8_press(int32_t place);
// The two places exchange their clubs and who plays them.
void exchange_final8_places(int32_t a, int32_t b);
// The mouse: presses, drags and drops (reads icon_input and the right button).
void final8_pointer();
void commit_final8();

void prepare_final8_screen();
// Tests.
void reset_final8_screen();
