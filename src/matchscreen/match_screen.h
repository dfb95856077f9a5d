// The match screen: set-up, the frame loop that draws, presents, polls the
// input and runs the due ticks, and the release; with the frame's overlays,
// the name labels and the radar.
#pragma once

#include <cstdint>

struct PlayerSlot;

// mode 0..4 as init_match takes it; the exit code is left in init_mode:
// 0 full time, 2 a break between periods, 3 the player left.
void play_match(int32_t mode);
void render_match_frame();
void draw_hardware_frame();
// One frame while the match is being set up: the due ticks run inside it.
void poll_game_ticks();
void draw_frame_overlays();
void draw_name_labels();
// The kick panel's aim markers stand d either side of 197; the strength
// marker's x.
int32_t kick_aim_marker_offset(float aim_error_percent);
int32_t kick_strength_marker_x(float strength, float maximum);
// Frames counted by count_frame (nothing in the game calls it).
extern int32_t frame_count;
void count_frame();
// Two routines nothing in the game calls: the sides exchanged with the
// kick-out spots worked out again, and a celebration by four of the first
// team's men.
void swap_team_sides();
void play_group_celebration();
// Keypad tuning of the current camera preset (nothing calls it): 8/2 its
// distance, 4/6 its height, 9/3 its field of view; then every preset moves on.
void adjust_camera_by_keys();
// Which men get a name label this frame (in team order); the count.
int32_t name_label_men(PlayerSlot** out, int32_t capacity);
// Frames for n ms of the scheduler's clock; one frame; the loop alone.
void run_frames_for_ms(int32_t n);
void match_frame_once();
void match_frame_loop();

// The radar, 1/256 of the ground in 192 x 128 pixels.
enum OverlaySprite : int32_t {
    RADAR_BACKGROUND,
    RADAR_DOT_FIRST_TEAM,
    RADAR_DOT_SECOND_TEAM,
    RADAR_DOT_HOLDER,
    RADAR_DOT_UMPIRE,
    RADAR_DOT_UMPIRE_WITH_BALL,
    RADAR_DOT_BALL,
    // The frame overlays.
    FRAME_PIECE_LEFT,
    FRAME_PIECE_RIGHT,
    FRAME_CAP_LEFT,
    FRAME_CAP_RIGHT,
    KICK_PANEL_LEFT,
    KICK_PANEL_RIGHT,
    KICK_AIM_MARKER,
    KICK_STRENGTH_MARKER,
    PAUSE_SPRITE,
};
void draw_radar();
// The radar pixel of a ground point.
int32_t radar_screen_x(int32_t x);
int32_t radar_screen_y(int32_t y);
