// The hardware path's camera: eye, target, lens and viewport, the matrices
// rebuilt from them (and kept for the game's own use), projection of single
// points with an edge-of-screen rule, a viewport fitted to a picture ratio,
// the nesting switch to a screen-space camera for 2D overlays, and the start
// of timed screen transitions by number.
#pragma once

#include <cstdint>

// The projection distance of the 45-degree lens over the 480-row picture,
// 240 / tan(22.5 degrees), in screen units.
constexpr double DEFAULT_PROJECTION_D = 579.4112549695428;

struct hw_camera {
    float eye[3];
    float target[3];
    float view_param;
    float fov; // vertical, degrees
    float near_plane, far_plane;
    float aspect;
    int32_t viewport[4]; // x, y, width, height: the full rectangle
    float lens_scale;
    float projection_scale;
    float x_scale;
    float picture_ratio; // negative: none
    int32_t requested_viewport[4];
};

extern float clip_matrix[16];
extern float view_matrix[16];

void rebuild_hw_matrices();
void apply_hw_camera_block(const hw_camera* block);
void set_hw_lens(float fov, float near_plane, float far_plane);
void init_hw_lens();
void set_hw_fov(float fov);
void get_hw_lens(float* fov, float* near_plane, float* far_plane);
void set_hw_camera_view(const float* eye, const float* target, float view_param);
void get_hw_camera_view(float* eye, float* target, float* view_param);
void get_hw_camera_block(hw_camera* out);
float get_projection_scale();
float get_lens_scale();
float get_hw_fov();
float get_x_scale();
int32_t get_overlay_active();
int32_t get_camera_ready();

void set_viewport(int32_t x, int32_t y, int32_t width, int32_t height);
void update_hw_camera(float picture_ratio);
void get_viewport(int32_t* x, int32_t* y, int32_t* width, int32_t* height);
int32_t viewport_width();
int32_t viewport_height();
void get_requested_viewport(int32_t* x, int32_t* y, int32_t* width, int32_t* height);
void fit_viewport_to_ratio(int32_t* x, int32_t* y, int32_t* width, int32_t* height);

void begin_2d_overlay();
void end_2d_overlay();

int project_to_screen(const float* point, int32_t* x, int32_t* y);
void multiply_matrix4(float* out, const float* a, const float* b);
void get_clip_and_view(float* clip, float* view);

// The window shell calls this whenever the picture's size is set or changes:
// the full viewport becomes the new size, the display globals are read
// again, the picture is fitted to the chosen ratio and the render states are
// sent to the (possibly new) device.
void hw_camera_reshape(int32_t width, int32_t height);

// Timed screen transitions: objects whose first word points at their table
// of operations; the table of transition objects is installed by their owner.
struct HwTransition;
struct HwTransitionOps {
    int32_t (*start)(HwTransition* self, int32_t duration_ms, int32_t direction);
    void (*step)(HwTransition* self);
    void (*stop)(HwTransition* self);
};
struct HwTransition {
    const HwTransitionOps* ops;
    uint32_t started;
};
void set_hw_transition_table(HwTransition* const* table, int32_t count);
int32_t start_hw_transition(int32_t n, int32_t duration_ms, int32_t direction);
HwTransition* current_hw_transition();
void clear_hw_transition();

// Back to the static defaults (tests).
void reset_hw_camera();
