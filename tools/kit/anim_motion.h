// The kit's animations: poses, the families of motion they are made from,
// and the per-file table that maps every animation file to a family.
#pragma once

#include "lib/paf_writer.h"
#include "model/skeleton.h"

#include <cstdint>
#include <string>

// One pose of the man. Angles are radians about the model axes (x to his
// right, y up, z forward); a joint turns by rz * rx * ry, so for a hanging
// limb rx < 0 swings it forward and rz > 0 swings it to his right (+x), and
// for the torso rx > 0 leans it forward. The root yaw > 0 turns him right.
struct Pose {
    float height = 0; // root's height offset
    float yaw = 0, pitch = 0, roll = 0;
    float travel_x = 0, travel_z = 0; // where the root has gone over the ground
    float rx[SKELETON_JOINTS] = {}, ry[SKELETON_JOINTS] = {}, rz[SKELETON_JOINTS] = {};
    float squat = 0;     // hips forward, knees back, feet kept under the hips
    float ball_drop = 0;    // the ball this far below the hands
    float ball_to_foot = 0; // 0: the ball in the hands; 1: on the right foot
};

// The pose with its squat worked into the legs and the root's height.
Pose resolved(const Pose& p);

Pose blend(const Pose& a, const Pose& b, float t);
float smooth(float t); // 0..1 eased at both ends, clamped

// Effectors the kit places: hands together, one hand, a foot.
enum Effector { EFF_HANDS, EFF_LEFT_HAND, EFF_RIGHT_HAND, EFF_LEFT_FOOT, EFF_RIGHT_FOOT, EFF_HEAD };

// Where an effector of a pose lies relative to the root over the ground (the
// root's travel left out), in model units; needs the player model loaded.
void effector_position(const Pose& p, Effector e, float out[3]);

// Moves the pose's free angles (those listed) so the effector reaches target.
struct IkFreedom {
    float* value;
    float lo, hi;
};
void solve_reach(Pose& p, Effector e, const float target[3], IkFreedom* free, int count);

enum Family {
    FAM_STAND,     // a still stand with a little sway
    FAM_IDLE,      // stand and idle sway (a: sway, b: cycles)
    FAM_GAIT,      // walk, jog, run and sprint cycles (a: travel a frame in ground units)
    FAM_TURN,      // turns (a: degrees, b: travel a frame, c: slow-down share mid-turn)
    FAM_STEP,      // side, quick and back steps (a: sideways, b: forwards, both in ground units)
    FAM_REACH,     // reach to a point at the contact frame (catches, slaps, pick-ups, ground kick)
    FAM_KICK,      // kick swing (a: travel a frame)
    FAM_HANDBALL,  // handball (a: travel a frame, b: direction in degrees, right > 0)
    FAM_JUMP,      // jump and mark in four parts (a: part 1 to 4, b: hands height)
    FAM_FALL,      // tackle and fall (a: +1 forwards, -1 backwards; b: travel)
    FAM_GROUND,    // lying on the ground (a: +1 face down, -1 face up)
    FAM_GETUP,     // get up (a: +1 face down, -1 face up)
    FAM_TACKLE,    // tackle: lunge, hold, end (a: 0 lunge, 1 hold, 2 end)
    FAM_SIGNAL,    // umpire signal poses (a, b: left arm raise and swing; c, d: the right's)
    FAM_BLOW,      // blows (a: striking effector, b: step in ground units)
    FAM_TAKE_BLOW, // taking a blow (a: stagger back in ground units, b: drop)
    FAM_CELEBRATE, // arms up, clap, punch the air (a: travel a frame, b: style)
    FAM_GESTURE,   // argue and rack off: arms only (b: style)
    FAM_BOUNCE,    // run and bounce the ball (a: travel a frame)
};

enum MotionFlags : uint8_t {
    WITH_BALL = 1,  // hands hold the ball in front of the chest
    RUNNING = 2,    // legs run through the motion
    BACKWARDS = 4,  // gait goes backwards
    UMPIRE = 8,     // a judge's more upright stance
};

struct Motion {
    const char* file;
    Family family;
    float a = 0, b = 0, c = 0, d = 0;
    uint8_t flags = 0;
    // For the reach family: what meets the ball, and where (model units,
    // relative to the root at the contact frame + 1; y the height).
    Effector effector = EFF_HANDS;
    float tx = 0, ty = 0, tz = 0;
    Effector ball = EFF_HANDS; // where the ball is held
};

// Everything a family needs to know of the file it makes.
struct MotionContext {
    int frames;        // the rows' script length
    int contact_frame; // event frame of the row's contact or release, -1 none
};

Pose motion_pose(const Motion& m, const MotionContext& c, float frame);

// Builds the file's keys: one a frame, root travel as deltas, the ball held
// between the hands.
PafFileData build_motion(const Motion& m, const MotionContext& c);
