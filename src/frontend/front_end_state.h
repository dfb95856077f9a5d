// The front end's globals: the page being run, the result byte of the screen
// that ran last and the few switches screens and pages share.
#pragma once

#include <cstdint>

struct menu_screen;
using PageFn = void (*)();
using ScreenFn = void (*)(menu_screen* screen);
using ErrorHook = int32_t (*)(const char* message, int32_t mode);

struct FrontEndState {
    PageFn page;      // run next; null makes the next page choose its own default
    PageFn last_page; // the page being run
    uint8_t done;     // 1 ends the front end
    uint8_t result;   // 0 while a screen runs; 2 Back or Esc
    ScreenFn default_action; // run on Esc
    int32_t frame_ticks;
    uint8_t overlay_open;
    uint8_t quit_to_windows;
    int32_t selected_controller; // the joystick the joystick screen edits
    ErrorHook error_hook;        // the engine's error box, off during a match
    uint8_t controllers_changed;
    uint8_t in_match;          // the splash is shown from inside the match loop
    uint8_t human_team_in;     // a human team plays this competition match
};
extern FrontEndState front_end_state;

// Tests: everything back to the start.
void reset_front_end_state();

// Click and answer setters of the result byte.
void set_result_none();
void set_result_two();
void set_result_ok();  // 1
void set_result_yes(); // 3
void set_result_no();  // 4

