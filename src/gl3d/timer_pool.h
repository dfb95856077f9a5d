// Millisecond stopwatches by slot, the front end's icon motion tables, and
// animated colour quads: screen areas whose corner colours move to targets
// over time and shade the hardware text and sprites they cover.
#pragma once

#include <cstdint>

constexpr int32_t TIMER_SLOTS = 30;
constexpr int32_t QUAD_SLOTS = 10;
// A slot that could not be had (a full pool); operations ignore it.
constexpr int32_t NO_TIMER = -1;
constexpr int32_t NO_QUAD = -2;
// Quad operations given this index act on every quad of the pool.
constexpr int32_t ALL_QUADS = -1;
// What timer_elapsed answers for a slot without a timer: long past any
// duration, so whatever waits on it finishes.
constexpr uint32_t TIMER_NONE_ELAPSED = 0xFFFFFFFF;

// --- Timers (the millisecond clock of the host, which tests replace) ---

int32_t timer_new();
int32_t timer_delete(int32_t slot);
uint32_t timer_reset(int32_t slot);
uint32_t timer_elapsed(int32_t slot);
uint32_t timer_lap(int32_t slot);
uint32_t timer_get_lap(int32_t slot);
int32_t timer_count();

// --- Icon motion ---

// The front end's animation frame number, which the front end advances once
// a drawn frame; the icon motions measure from it.
extern uint32_t front_end_anim_frame;

// Called once a frame for an icon: x, y in 640 x 480 units (and a size for
// the zoom), the frame its animation starts, and the done flag the caller
// set before the call (cleared while the motion runs).
using IconMotionHandler = void (*)(int16_t* x, int16_t* y, int16_t* size, int32_t start_frame, int32_t* done);
constexpr int32_t ICON_MOTION_KINDS = 15;
// By animation kind; kinds without motion hold null.
extern const IconMotionHandler icon_motion_handlers[ICON_MOTION_KINDS];
// A kind outside the table does nothing.
void run_icon_motion(int32_t kind, int16_t* x, int16_t* y, int16_t* size, int32_t start_frame, int32_t* done);
constexpr int16_t ICON_OFF_SCREEN = 32000;

struct IconMotionTable {
    int16_t steps;
    const int16_t* offsets;
};
enum IconMotionTableId {
    MOTION_DROP_FROM_ABOVE, MOTION_RISE_FROM_BELOW, MOTION_FROM_RIGHT, MOTION_FROM_LEFT,
    MOTION_OUT_RIGHT, MOTION_OUT_LEFT, MOTION_FALL_OUT, MOTION_OUT_UPWARDS, MOTION_TABLE_COUNT
};
IconMotionTable icon_motion_table(IconMotionTableId id);
constexpr int32_t ZOOM_RAMP_STEPS = 75;
extern const uint8_t zoom_ramp[ZOOM_RAMP_STEPS];

// --- Animated quads ---

struct QuadColour {
    float red, green, blue;
};

int32_t quad_create();
int32_t quad_addref(int32_t slot);
void quad_release(int32_t slot);
void quad_setcorners(int32_t slot, const QuadColour corners[4]);
void quad_setarea(int32_t slot, int32_t left, int32_t top, int32_t right, int32_t bottom);
void quad_settarget(int32_t slot, uint32_t red_ms, uint32_t green_ms, uint32_t blue_ms, const QuadColour targets[4],
                    QuadColour low_clamp, QuadColour high_clamp);
void quad_start(int32_t slot);
void quad_stop(int32_t slot);
void quad_flagon(int32_t slot);
void quad_flagoff(int32_t slot);
int32_t quad_update(int32_t slot);
// The shade at a screen-centred point: one quad's colour, or for ALL_QUADS
// the product of every quad's colour (each over 255) times 255.
void quad_shade(int32_t slot, float x, float y, float* red, float* green, float* blue);
int32_t quad_count();

// Frees every timer and quad (tests, and a fresh display).
void reset_timer_pool();
