// The replay screen: the match stopped and the replay buffer played back
// through a small movable panel of speed, mark and cut controls.
#pragma once

#include "display/replay.h"

#include <cstdint>

enum ReplayControl : int32_t {
    RC_LEAVE,
    RC_PLAY_FORWARD,
    RC_FAST_FORWARD,
    RC_STEP_FORWARD,
    RC_SLOW_FORWARD,
    RC_PLAY_BACKWARD,
    RC_FAST_BACKWARD,
    RC_STEP_BACKWARD,
    RC_SLOW_BACKWARD,
    RC_IN_MARK,
    RC_OUT_MARK,
    RC_CUT_BETWEEN,
    RC_CUT_OUTSIDE,
    RC_CUT,
    RC_PANEL,
    RC_DIGIT_0,
    RC_DIGIT_1,
    RC_DIGIT_2,
    RC_DIGIT_3,
    RC_COUNT
};

// The replay sprite set: the panel, five states of each button (off, lit,
// hover, held, clicked), the ten digits, the highlight, the indicator, the
// pointer.
enum : int32_t {
    RS_PANEL = 0,
    RS_BUTTONS = 1,
    RS_BUTTON_STATES = 5,
    RS_DIGITS = RS_BUTTONS + RC_PANEL * RS_BUTTON_STATES,
    RS_HIGHLIGHT = RS_DIGITS + 10,
    RS_INDICATOR,
    RS_POINTER,
    RS_FRAME_COUNT
};

struct ReplayScreen {
    int32_t in_replay;
    int32_t playback; // the match tick records nothing while set
    int32_t panel_x, panel_y;
    int32_t panel_hidden;
    int32_t dragging, drag_x, drag_y;
    ReplayNode* in_mark;
    ReplayNode* out_mark;
    int32_t in_set, out_set;
    int32_t cut_between, cut_outside;
    int32_t edited;
    int32_t digits[4];
    double frames_per_tick;
    uint32_t stamp_a, stamp_b;
    int32_t carried_ms;
    int32_t highlight_x, highlight_y;
    int32_t indicator_lit, indicator_countdown;
    int32_t control_state[RC_COUNT];
    int32_t control_x[RC_COUNT], control_y[RC_COUNT];
    int32_t diagnostic_a, diagnostic_b;
    int32_t entered_from_match;
};
extern ReplayScreen replay_screen;

// 0 idle, 1 requested, 2 due.
extern int32_t screenshot_state;

void reset_replay_screen();
void enter_replay();
void run_replay_screen();
void open_replay_screen();
void close_replay_screen();
// One frame of the screen's loop: input handled, playback stepped by the
// elapsed milliseconds; 0 once the player has left.
int32_t replay_screen_frame(uint32_t now_ms);
// The panel drawn and its controls run for the mouse at (x, y).
void replay_panel_pass(int32_t mouse_x, int32_t mouse_y, uint8_t buttons, uint8_t clicked);

// Whether the mouse is on the panel (a click there is the panel's, not a
// pick of a man to follow).
bool mouse_on_replay_panel(int32_t x, int32_t y);
void press_replay_control(int32_t control);
bool replay_control_lit(int32_t control);
void select_replay_mode(int32_t mode);
void set_replay_in_mark();
void set_replay_out_mark();
void layout_replay_panel();
void move_replay_panel(int32_t dx, int32_t dy);
void drag_replay_panel(int32_t mouse_x, int32_t mouse_y, uint8_t buttons);
int32_t compare_controls_yx(int32_t a, int32_t b);
void update_replay_clock();
void blink_replay_indicator();
void cut_replay();
// The marks and cut choices forgotten: the nodes they named are gone once the
// buffer is reset or resized.
void forget_replay_marks();
double frames_per_tick_figure();
int32_t load_replay_sprites();
void free_replay_sprites();
