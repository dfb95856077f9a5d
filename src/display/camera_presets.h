// The ten camera presets the match is watched through, the view keys, the
// free camera and the per-tick camera step; and the automatic camera that
// takes the picture over for set pieces and umpires' signals.
#pragma once

#include "display/camera.h"

#include <cstdint>

struct PlayerSlot;

constexpr int CAMERA_PRESETS = 10;
extern CameraPreset camera_presets[CAMERA_PRESETS];
extern int32_t camera_view;
extern CameraPreset* current_camera;
extern int32_t camera_resetup;
extern int32_t last_camera_state;
extern int32_t free_camera_side;
extern int32_t free_camera_height;

void init_camera_system();
void reset_cameras(int32_t n);
void setup_camera_preset(int32_t n, int32_t x, int32_t y, int32_t z);
void setup_all_camera_presets(int32_t x, int32_t y, int32_t z);
void compute_camera_view(int32_t x, int32_t y, int32_t z);
void update_match_camera();
void camera_select_by_keys();
void free_camera_control(int32_t x, int32_t y, int32_t z, int32_t snap);
// The followed point of a replay: the picked man's head or the ball, in
// camera units; false when nothing was picked.
bool camera_target_point(int32_t* x, int32_t* y, int32_t* z);
extern int32_t follow_kind; // 1 a man, 2 the ball
extern PlayerSlot* follow_man;
// The man (then umpire, then ball) whose head lies within 15 pixels of the
// mouse on the drawn picture becomes the followed object; 1 when one did.
// The software path picks nothing.
int32_t pick_follow_target(int32_t mouse_x, int32_t mouse_y, PlayerSlot** follow);

// The replay orbit of view 9: the mouse turns the camera about the followed
// point (left button: round and up or down; right button: the zoom).
struct ReplayOrbit {
    int32_t offset[3];
    int32_t turn, height; // accumulated by finished drags
    uint8_t drag_buttons;
    int32_t last_x, last_y, dx, dy;
    double zoom;
    uint8_t suppress_drag;
};
extern ReplayOrbit replay_orbit;

// The automatic camera.
struct AutoCameraRequest {
    uint32_t flags; // 1: not placed at the start; 2: not aimed at the start
    int32_t duration;
    CameraPreset* camera;
    uint8_t position_width; // 2: 16-bit sources
    double position_scale[3];
    const void* position_source[3];
    uint8_t look_width;
    double look_scale[3];
    const void* look_source[3];
    int32_t start_position[3];
    void (*on_finish)();
};
extern AutoCameraRequest auto_camera_request;
extern int32_t auto_camera_active;
// The waiting request, or null.
const AutoCameraRequest* pending_auto_camera();

void track_camera_target(const AutoCameraRequest* request);
void update_automatic_camera();
void choose_automatic_camera(PlayerSlot* man, int32_t duration);
// Turns the camera to follow a man (the scorer) for the ticks given.
void follow_man_with_camera(PlayerSlot* man, int32_t duration);
void set_camera_for_situation(int32_t x, int32_t y, int32_t z, int32_t fov, int32_t n);
void set_camera_position(int32_t x, int32_t y, int32_t z, int32_t max_x, int32_t max_y, int32_t max_z);
void set_camera_look_at(int32_t x, int32_t y, int32_t z, double fov);

// Back to the start values (tests).
void reset_camera_presets();
