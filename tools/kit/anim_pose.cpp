// Poses made into keys, and the evaluation the kit uses to place hands, feet
// and the ball: the game's own skeleton code on the loaded player model.
#include "anim_motion.h"

#include "model/rotation_keys.h"

#include <cmath>
#include <cstring>

namespace {

// The quaternion whose turn, as the skeleton applies it, is a turn by angle
// about the axis (right-handed in model space).
void axis_quat(float ax, float ay, float az, float angle, float q[4])
{
    float s = std::sin(angle / 2);
    q[0] = std::cos(angle / 2);
    q[1] = s * ax;
    q[2] = -s * ay;
    q[3] = -s * az;
}

// rz * rx * ry, or for the root yaw * pitch * roll.
void joint_quat(float first_z, float x, float last_y, bool root, float q[4])
{
    float qa[4], qb[4], qc[4], t[4];
    if (root) {
        axis_quat(0, 1, 0, last_y, qa);
        axis_quat(1, 0, 0, x, qb);
        axis_quat(0, 0, 1, first_z, qc);
    } else {
        axis_quat(0, 0, 1, first_z, qa);
        axis_quat(1, 0, 0, x, qb);
        axis_quat(0, 1, 0, last_y, qc);
    }
    interp_key_b(qa, qb, t);
    interp_key_b(t, qc, q);
}

// One pose as a one-key animation the skeleton code can read.
struct PoseAnim {
    PafAnimation anim;
    PafTrack tracks[SKELETON_JOINTS];
    PafRotKey rot[SKELETON_JOINTS];
    PafPosKey pos[2]; // root and ball

    PoseAnim(const Pose& unresolved, const float ball[3])
    {
        Pose p = resolved(unresolved);
        std::memset(static_cast<void*>(this), 0, sizeof *this);
        anim.track_count = SKELETON_JOINTS;
        anim.root_motion = 1;
        anim.tracks = tracks;
        for (int j = 0; j < SKELETON_JOINTS; ++j) {
            float q[4];
            if (j == 0)
                joint_quat(p.roll, p.pitch, p.yaw, true, q);
            else
                joint_quat(p.rz[j], p.rx[j], p.ry[j], false, q);
            rot[j] = {0, q[0], q[1], q[2], q[3]};
            tracks[j].rot = &rot[j];
            tracks[j].rot_count = 1;
        }
        pos[0] = {0, 0, p.height, 0};
        pos[1] = {0, ball[0], ball[1], ball[2]};
        tracks[0].pos = &pos[0];
        tracks[0].pos_count = 1;
        tracks[15].pos = &pos[1];
        tracks[15].pos_count = 1;
    }
};

void joint_at(const PoseAnim& pa, int joint, float out[3])
{
    float ang[3];
    pose_skeleton(&player_model.default_skeleton, &pa.anim, nullptr, 0, 0, joint, ang, out);
}

void effector_absolute(const PoseAnim& pa, Effector e, float out[3])
{
    float a[3], b[3];
    switch (e) {
    case EFF_HANDS:
        joint_at(pa, JOINT_LEFT_HAND, a);
        joint_at(pa, JOINT_RIGHT_HAND, b);
        for (int i = 0; i < 3; ++i) out[i] = (a[i] + b[i]) / 2;
        return;
    case EFF_LEFT_HAND: joint_at(pa, JOINT_LEFT_HAND, out); return;
    case EFF_RIGHT_HAND: joint_at(pa, JOINT_RIGHT_HAND, out); return;
    case EFF_LEFT_FOOT: joint_at(pa, JOINT_LEFT_FOOT, out); return;
    case EFF_RIGHT_FOOT: joint_at(pa, JOINT_RIGHT_FOOT, out); return;
    case EFF_HEAD: joint_at(pa, JOINT_HEAD, out); return;
    }
}

// The ball joint's offset that puts the ball in the hands.
void ball_in_hands(const Pose& p, Effector held, float off[3])
{
    const float zero[3] = {0, 0, 0};
    PoseAnim pa(p, zero);
    float mid[3], root[3];
    effector_absolute(pa, held, mid);
    mid[1] -= p.ball_drop;
    if (p.ball_to_foot > 0) {
        // On the laces: a little above and ahead of the ankle.
        float foot[3];
        effector_absolute(pa, EFF_RIGHT_FOOT, foot);
        const float lace[3] = {0, 9, 9};
        for (int i = 0; i < 3; ++i) mid[i] += (foot[i] + lace[i] - mid[i]) * p.ball_to_foot;
    }
    joint_at(pa, JOINT_ROOT, root);
    double m[9];
    const PafRotKey& r = pa.rot[0];
    const float q[4] = {r.w, r.x, r.y, r.z};
    interp_key_a(q, m);
    double d[3] = {mid[0] - root[0], mid[1] - root[1], mid[2] - root[2]};
    // The skeleton turns offsets by the transpose of m; m itself undoes it.
    const TcaMesh& ball = player_model.model->meshes[player_model.default_skeleton.mesh_of_joint[JOINT_BALL]];
    for (int i = 0; i < 3; ++i)
        off[i] = static_cast<float>(m[i * 3] * d[0] + m[i * 3 + 1] * d[1] + m[i * 3 + 2] * d[2]) -
                 ball.vectors[TCA_PIVOT][i];
}

float distance2(const float a[3], const float b[3])
{
    float s = 0;
    for (int i = 0; i < 3; ++i) s += (a[i] - b[i]) * (a[i] - b[i]);
    return s;
}

} // namespace

Pose resolved(const Pose& p)
{
    Pose r = p;
    if (p.squat != 0) {
        for (int hip : {1, 4}) r.rx[hip] -= p.squat;
        for (int knee : {2, 5}) r.rx[knee] += 2 * p.squat;
        for (int foot : {3, 6}) r.rx[foot] -= p.squat;
        r.height -= 86 * (1 - std::cos(p.squat));
        r.squat = 0;
    }
    return r;
}

float smooth(float t)
{
    if (t <= 0) return 0;
    if (t >= 1) return 1;
    return t * t * (3 - 2 * t);
}

Pose blend(const Pose& a, const Pose& b, float t)
{
    Pose r;
    auto mix = [t](float x, float y) { return x + (y - x) * t; };
    r.height = mix(a.height, b.height);
    r.yaw = mix(a.yaw, b.yaw), r.pitch = mix(a.pitch, b.pitch), r.roll = mix(a.roll, b.roll);
    r.travel_x = mix(a.travel_x, b.travel_x), r.travel_z = mix(a.travel_z, b.travel_z);
    for (int j = 0; j < SKELETON_JOINTS; ++j) {
        r.rx[j] = mix(a.rx[j], b.rx[j]);
        r.ry[j] = mix(a.ry[j], b.ry[j]);
        r.rz[j] = mix(a.rz[j], b.rz[j]);
    }
    r.squat = mix(a.squat, b.squat);
    r.ball_drop = mix(a.ball_drop, b.ball_drop);
    r.ball_to_foot = mix(a.ball_to_foot, b.ball_to_foot);
    return r;
}

void effector_position(const Pose& p, Effector e, float out[3])
{
    const float zero[3] = {0, 0, 0};
    PoseAnim pa(p, zero);
    float root[3];
    effector_absolute(pa, e, out);
    joint_at(pa, JOINT_ROOT, root);
    out[0] -= root[0];
    out[2] -= root[2];
}

void solve_reach(Pose& p, Effector e, const float target[3], IkFreedom* free, int count)
{
    float at[3];
    effector_position(p, e, at);
    float best = distance2(at, target);
    for (float step = 0.25f; step > 0.001f; step *= 0.5f) {
        for (int round = 0; round < 6; ++round) {
            bool moved = false;
            for (int i = 0; i < count; ++i) {
                for (float dir : {step, -step}) {
                    float old = *free[i].value;
                    float v = old + dir;
                    if (v < free[i].lo || v > free[i].hi) continue;
                    *free[i].value = v;
                    effector_position(p, e, at);
                    float d = distance2(at, target);
                    if (d < best) {
                        best = d;
                        moved = true;
                        break;
                    }
                    *free[i].value = old;
                }
            }
            if (!moved) break;
        }
    }
}

PafFileData build_motion(const Motion& m, const MotionContext& c)
{
    PafFileData f;
    f.root_motion = 1;
    f.tracks.resize(SKELETON_JOINTS);
    Pose previous;
    for (int k = 0; k <= c.frames; ++k) {
        Pose raw = motion_pose(m, c, static_cast<float>(k));
        float ball[3];
        ball_in_hands(raw, m.ball, ball);
        Pose p = resolved(raw);
        uint32_t t = static_cast<uint32_t>(k) * PAF_FRAME_US;
        for (int j = 0; j < SKELETON_JOINTS; ++j) {
            float q[4];
            if (j == 0)
                joint_quat(p.roll, p.pitch, p.yaw, true, q);
            else
                joint_quat(p.rz[j], p.rx[j], p.ry[j], false, q);
            f.tracks[j].rot.push_back({t, q[0], q[1], q[2], q[3]});
        }
        float dx = k ? p.travel_x - previous.travel_x : 0, dz = k ? p.travel_z - previous.travel_z : 0;
        f.tracks[0].pos.push_back({t, dx, p.height, dz});
        f.tracks[JOINT_BALL].pos.push_back({t, ball[0], ball[1], ball[2]});
        previous = p;
    }
    return f;
}
