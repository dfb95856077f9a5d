// The 62 Hz match tick: the order of everything that moves or decides, the
// match clock, the per-tick statistics, the game speed and the in-match keys.
#pragma once

#include <cstdint>

struct TeamRecord;

void game_tick(uint32_t tick_number);
void step_match_clock();
void debug_stub_match();
void tick_keys_and_speed();
void update_match_statistics();
void negate_formation_spots(TeamRecord* team);

// Ticks a second and the scheduler period in ms for a game speed 0..3;
// false above 3.
bool game_speed_rate(uint8_t speed, int32_t* rate, int32_t* period);

// Per-tick steps of the match screen.
void situation_tick_16_17();
void late_tick_men_check();
void cycle_demo_camera();
void pause_match();

// Screen transitions: the closing one that leaves the match screen or
// starts a scene cut, the opening one after a cut; and what happens when a
// closing one has ended (the leave, or the cut's callback).
void start_screen_transition(int32_t effect, int32_t duration, void (*callback)());
void start_screen_transition_b(int32_t effect);
void end_closing_transition();

// Small resets.
void clear_hud_panels_and_kick();
void reopen_panel_after_fade();
void end_of_match_reset();
void end_of_match_reset_b();

// Key codes the in-match keys read.
enum : uint8_t {
    KEYCODE_T = 20,
    KEYCODE_P = 25,
    KEYCODE_R = 19,
    KEYCODE_L = 38,
    KEYCODE_S = 31,
    KEYCODE_LCTRL = 29,
    KEYCODE_LALT = 56,
    KEYCODE_RCTRL = 29 + 128,
    KEYCODE_UP = 200,
    KEYCODE_LEFT = 203,
    KEYCODE_RIGHT = 205,
    KEYCODE_DOWN = 208,
};
