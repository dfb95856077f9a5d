// The software screen transitions: six effects that replace one
// screen-sized 8-bit picture by the next, building each frame in a work
// picture and presenting it, paced by the 60 Hz tick counter. The screen's
// size is screen.width x screen.height, rows screen.width bytes apart.
#pragma once

#include <cstdint>

constexpr int32_t TRANSITION_COUNT = 6;
constexpr int32_t TRANSITION_GEOMETRY_ROWS = 6;
constexpr int32_t SQUEEZE_WINDOW = 27;
constexpr int32_t TILE_COUNT = 64;

// 1 squeeze bands, 2 sliding strips, 3 roll down, 4 cut, 5 tile spiral,
// 6 corner peel. Another number does nothing.
void run_screen_transition(const uint8_t* old_picture, const uint8_t* new_picture, int32_t effect);

struct transition_geometry_row {
    int32_t width, height;  // the screen the row is built for
    int32_t band;           // band height of effect 1 = tile height
    int32_t tile_w, tile_h; // effect 5
    uint16_t squeeze[SQUEEZE_WINDOW + 2];
};
extern const transition_geometry_row transition_geometry[TRANSITION_GEOMETRY_ROWS];

// The row built for a screen of this size, or -1 (effects 1 and 5 then
// cut as effect 4 does, rather than run off the picture).
int32_t transition_geometry_row_for(int32_t width, int32_t height);
// A row's 64 tile offsets, a clockwise spiral from the top-left tile inward,
// for rows `screen_width` bytes apart.
void build_tile_order(int32_t row, int32_t screen_width, uint32_t out[TILE_COUNT]);
// Arc step k of a cylinder of radius r lines, in 1/8192 of a line.
uint32_t roll_arc_step(int32_t radius, int32_t k);

// What the effects last worked on (the transition state).
extern const uint8_t* transition_old_picture;
extern const uint8_t* transition_new_picture;

// How a picture reaches the screen: copied into the back surface, then
// flipped when asked. Tests record the frames instead; nullptr restores it.
using transition_present_hook = void (*)(const uint8_t* picture, int32_t flip);
void set_transition_present_hook(transition_present_hook hook);
void reset_sw_transitions();
