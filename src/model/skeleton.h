// The player model and the skeleton: where a joint of a man is, and which
// way it faces, at a given time of a given animation.
#pragma once

#include "model/tca_model.h"
#include "model/paf.h"

#include <cstdint>

enum {
    SKELETON_JOINTS = 16,
    JOINT_ROOT = 0,
    JOINT_LEFT_FOOT = 3,
    JOINT_RIGHT_FOOT = 6,
    JOINT_TORSO = 7,
    JOINT_HEAD = 8,
    JOINT_LEFT_HAND = 11,
    JOINT_RIGHT_HAND = 14,
    JOINT_BALL = 15,
};

// Children of each joint, each list ended by -1: table 0 is the whole
// skeleton, table 1 leaves the ball joint out.
extern const int8_t skeleton_hierarchy[2][SKELETON_JOINTS][8];

// The posing state of one figure.
struct SkeletonContext {
    int32_t hierarchy; // 0 or 1
    int16_t mesh_of_joint[SKELETON_JOINTS];
    float height_factor; // scales the position keys (the root's height only)
    ModelContainer* model;
};

struct PlayerModelGlobals {
    ModelContainer* model;
    SkeletonContext default_skeleton;
    float hand_offset_14[3];
    float hand_offset_11[3];
};
extern PlayerModelGlobals player_model;

// The player model: "3d display\pgfs\midplayer_shorthair.pgf" (the software
// path's own model there). A missing or unusable model is a fatal error.
void load_player_model();
void free_player_model();

// Key search with a cached index: the interval [k, k+1] holding t, stopping
// at the last key.
uint32_t find_rot_key(const PafTrack& track, uint32_t t, uint32_t k);
uint32_t find_pos_key(const PafTrack& track, uint32_t t, uint32_t k);
// A joint's rotation and offset at time t with interval k (offset scaled as
// the context says; the root's height only).
void interpolate_joint(const PafAnimation* a, int joint, uint32_t t, uint32_t k, float height_factor, float q_out[4],
                       float pos_out[3]);

// One joint posed in model space; false when the chosen hierarchy lacks it.
bool pose_skeleton(const SkeletonContext* ctx, const PafAnimation* a, const PafAnimation* second, uint32_t time,
                   uint32_t second_time, int joint, float angles_out[3], float position_out[3]);

// A joint of animation row `animation` relative to the man, in 1/256 ground
// units, turned to his heading (16384 to a turn); angles in 16384ths.
void eval_animation(SkeletonContext* ctx, int32_t position_out[3], float angles_out[3], int animation, uint32_t time,
                    int joint, int32_t heading);
// How far the root has yawed at a frame, in 16384ths of a turn.
int32_t anim_turn_at(int animation, int frame);
// The root's travel over the ground between two times, in model units.
void root_travel(const PafAnimation* a, uint32_t t0, uint32_t t1, float* x_out, float* y_out, float* z_out,
                 uint32_t* key_cache, uint32_t mirror);

// An animation slot of a figure: the primary slot carries the body, the
// blend slot an animation over the torso (-1 none).
struct AnimSlot {
    int32_t animation;
    uint32_t time; // microseconds
    uint32_t word;
    uint32_t rot_key[SKELETON_JOINTS];
    uint32_t pos_key[SKELETON_JOINTS];
};
struct FigurePose {
    int32_t x, height, y; // 24.8 ground units
    int32_t heading;      // 16384 to a turn
    AnimSlot primary;
    AnimSlot blend;
};
enum { SLOT_SET_PRIMARY_CLEAR_BLEND = 0, SLOT_SET_BLEND = 1, SLOT_SET_PRIMARY = 2 };
void set_anim_slot(FigurePose* figure, int32_t animation, uint32_t time, int mode);
// Moves the figure by its primary animation's root travel between two times.
void advance_root_motion(FigurePose* figure, uint32_t t0, uint32_t t1);
