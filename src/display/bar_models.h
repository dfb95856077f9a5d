// Screen-space bar models: a flat quad of a model's texture laid on the
// screen and shortened to a fill percentage (the HUD's side bars, the four
// coloured bars and the installer's two), and the frame-rate meter.
#pragma once

#include "display/model_instances.h"

#include <cstdint>

struct BarModel {
    ModelInstance instance;
    float quad[12]; // four corners, x y z
    int32_t kind;   // 0..5: 0 and 4 fill left to right, 1 and 5 right to left
    int32_t texture;
};

constexpr int SIDE_BARS = 2;
constexpr int COLOUR_BARS = 4;
extern BarModel side_bars[SIDE_BARS];     // "L2R1" kind 4, "R2L1" kind 5
extern BarModel colour_bars[COLOUR_BARS]; // "barred", "barmulti", "barblack", "barwhite"
extern BarModel install_bars[2];

// Reads the container and its texture, one batch of two triangles. False
// when the file or its first mesh is missing (the bar stays empty).
bool load_model_with_lists(BarModel* bar, const char* file, int32_t kind);
bool init_bar_model(BarModel* bar, const char* file, int32_t kind);
void free_bar_model(BarModel* bar);
void load_overlay_texture(BarModel* bar);
void release_overlay_texture(BarModel* bar);
void place_screen_model(BarModel* bar, const float point[2], int32_t height, int32_t width, float fill);
// The HUD's side bars by number (0 left to right, 1 right to left).
void place_screen_model(int32_t bar, const float point[2], int32_t height, int32_t width, float fill);
void draw_overlay_model_at(BarModel* bar, float x, float y, int32_t width, int32_t height, float fill);
void draw_side_bars();
void animate_side_bars();
void load_install_models();
void free_install_models();
void load_colour_bars();
void free_colour_bars();
void load_side_bars();
void free_side_bars();

// Frames a second over the last 100 calls, from the millisecond clock.
int32_t measure_frame_rate();
extern uint32_t (*frame_rate_clock)(); // milliseconds
void reset_frame_rate_meter();
uint32_t get_frame_period_us();
