#include "model/skeleton.h"

#include "model/attach_points.h"
#include "model/rotation_keys.h"
#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/app_state.h"
#include "model/anim_table.h"
#include "model/rotation.h"

#include <cmath>
#include <cstdio>
#include <cstring>

// clang-format off
const int8_t skeleton_hierarchy[2][SKELETON_JOINTS][8] = {
    {   {1, 4, 7, 15, -1}, {2, -1}, {3, -1}, {-1}, {5, -1}, {6, -1}, {-1}, {8, 12, 9, -1},
        {-1}, {10, -1}, {11, -1}, {-1}, {13, -1}, {14, -1}, {-1}, {-1} },
    {   {1, 4, 7, -1},     {2, -1}, {3, -1}, {-1}, {5, -1}, {6, -1}, {-1}, {8, 12, 9, -1},
        {-1}, {10, -1}, {11, -1}, {-1}, {13, -1}, {14, -1}, {-1}, {-1} },
};
// clang-format on

PlayerModelGlobals player_model;

namespace {

const char kHardwareModel[] = "3d display\\pgfs\\midplayer_shorthair.pgf";
const char kSoftwareModel[] = "sw display\\swtest.pgf";
const double kModelToFine = 655.36;               // model units to 1/256 ground units
const double kRadiansTo16k = 0.5 * 5215.189175235227; // 8192 / pi
const double kTwoPi = 6.283185307179586;

[[noreturn]] void model_failure(int code, const char* path, const char* what)
{
    char text[400];
    std::snprintf(text, sizeof text, "player model %s: %s", path, what);
    fatal_error_sub(code, 0, text, 0);
}

// Pivot normalised and scaled by 10; a pivot of no length gives no lead, so
// the hand stays a number.
void hand_lead(const TcaMesh& m, float out[3])
{
    const float* p = m.vectors[TCA_PIVOT];
    double len = std::sqrt(static_cast<double>(p[0]) * p[0] + static_cast<double>(p[1]) * p[1] +
                           static_cast<double>(p[2]) * p[2]);
    for (int i = 0; i < 3; ++i) out[i] = len > 0 ? static_cast<float>(p[i] / len * 10.0) : 0.0f;
}

const float* mesh_pivot(const SkeletonContext* ctx, int joint)
{
    static const float zero[3] = {0, 0, 0};
    int16_t m = ctx->mesh_of_joint[joint];
    if (!ctx->model || m < 0 || m >= ctx->model->mesh_count) return zero;
    return ctx->model->meshes[m].vectors[TCA_PIVOT];
}

// The offset v turned by rotation q: v times q's matrix, the way the figure
// is drawn.
void turn_by(const float q[4], const float v[3], float out[3])
{
    double m[9];
    interp_key_a(q, m);
    vec_mul_mat3(v, m, out);
}

// Depth-first path from the root's children to joint; its length, 0 if none.
int find_path(int hierarchy, int from, int joint, int8_t* path, int depth)
{
    for (const int8_t* c = skeleton_hierarchy[hierarchy][from]; *c >= 0; ++c) {
        path[depth] = *c;
        if (*c == joint) return depth + 1;
        int n = find_path(hierarchy, *c, joint, path, depth + 1);
        if (n) return n;
    }
    return 0;
}

template <class Key> uint32_t find_key(const Key* keys, uint32_t count, uint32_t t, uint32_t k)
{
    if (count == 0) return 0;
    if (k >= count || t < keys[k].time) k = 0;
    while (k + 1 < count && t >= keys[k + 1].time) ++k;
    return k;
}

// Root offset and rotation at a time.
void root_pose(const SkeletonContext* ctx, const PafAnimation* a, uint32_t t, float q[4], float pos[3])
{
    uint32_t k = find_rot_key(a->tracks[0], t, 0);
    float off[3];
    interpolate_joint(a, 0, t, k, ctx->height_factor, q, off);
    const float* pivot = mesh_pivot(ctx, 0);
    for (int i = 0; i < 3; ++i) pos[i] = pivot[i] + off[i];
}

} // namespace

uint32_t find_rot_key(const PafTrack& track, uint32_t t, uint32_t k) { return find_key(track.rot, track.rot_count, t, k); }
uint32_t find_pos_key(const PafTrack& track, uint32_t t, uint32_t k) { return find_key(track.pos, track.pos_count, t, k); }

void interpolate_joint(const PafAnimation* a, int joint, uint32_t t, uint32_t k, float height_factor, float q_out[4],
                       float pos_out[3])
{
    const PafTrack& track = a->tracks[joint];
    float f = 0;
    if (track.rot_count == 0) {
        q_out[0] = 1, q_out[1] = q_out[2] = q_out[3] = 0;
    } else {
        if (k >= track.rot_count) k = track.rot_count - 1;
        const PafRotKey& k0 = track.rot[k];
        const PafRotKey* k1 = k + 1 < track.rot_count ? &track.rot[k + 1] : nullptr;
        const float q0[4] = {k0.w, k0.x, k0.y, k0.z};
        if (!k1 || t <= k0.time || k1->time <= k0.time) {
            std::memcpy(q_out, q0, sizeof q0);
        } else if (t >= k1->time) {
            q_out[0] = k1->w, q_out[1] = k1->x, q_out[2] = k1->y, q_out[3] = k1->z;
            f = 1;
        } else {
            f = static_cast<float>(t - k0.time) / static_cast<float>(k1->time - k0.time);
            const float q1[4] = {k1->w, k1->x, k1->y, k1->z};
            quat_interpolate(q0, q1, q_out, f);
        }
    }
    pos_out[0] = pos_out[1] = pos_out[2] = 0;
    if (track.pos_count) {
        uint32_t k0 = k < track.pos_count ? k : track.pos_count - 1;
        uint32_t k1 = k0 + 1 < track.pos_count ? k0 + 1 : k0;
        const PafPosKey& p0 = track.pos[k0];
        const PafPosKey& p1 = track.pos[k1];
        pos_out[0] = p0.x + (p1.x - p0.x) * f;
        pos_out[1] = p0.y + (p1.y - p0.y) * f;
        pos_out[2] = p0.z + (p1.z - p0.z) * f;
    }
    if (joint == 0) {
        pos_out[1] *= height_factor;
    } else {
        for (int i = 0; i < 3; ++i) pos_out[i] *= height_factor;
    }
}

bool pose_skeleton(const SkeletonContext* ctx, const PafAnimation* a, const PafAnimation* second, uint32_t time,
                   uint32_t second_time, int joint, float angles_out[3], float position_out[3])
{
    position_out[0] = position_out[1] = position_out[2] = 0;
    if (!a || joint < 0 || joint >= SKELETON_JOINTS || a->track_count < SKELETON_JOINTS) return false;
    if (second && second->track_count < SKELETON_JOINTS) second = nullptr;
    float q[4], pos[3];
    if (joint == 0) {
        root_pose(ctx, a, time, q, position_out);
        float x = 0, y = 0, z = 1;
        double m[9];
        interp_key_a(q, m);
        mat3_transposed_product(m, &x, &y, &z);
        angles_out[0] = 0;
        angles_out[1] = std::atan2(-x, z);
        angles_out[2] = 0;
        return true;
    }
    int8_t path[SKELETON_JOINTS];
    int depth = find_path(ctx->hierarchy, 0, joint, path, 0);
    if (depth == 0) return false;
    // A second animation moves only the torso and what hangs from it.
    bool blend = second && path[0] == JOINT_TORSO;
    const PafAnimation* src = blend ? second : a;
    uint32_t t = blend ? second_time : time;
    root_pose(ctx, src, t, q, pos);
    for (int i = 0; i < depth; ++i) {
        int j = path[i];
        float jq[4], off[3], turned[3];
        uint32_t k = find_rot_key(src->tracks[j], t, 0);
        interpolate_joint(src, j, t, k, ctx->height_factor, jq, off);
        const float* pivot = mesh_pivot(ctx, j);
        for (int c = 0; c < 3; ++c) off[c] += pivot[c];
        turn_by(q, off, turned);
        for (int c = 0; c < 3; ++c) pos[c] += turned[c];
        interp_key_b(q, jq, q);
    }
    const float* hand = joint == JOINT_RIGHT_HAND  ? player_model.hand_offset_14
                        : joint == JOINT_LEFT_HAND ? player_model.hand_offset_11
                                                   : nullptr;
    if (hand) {
        float turned[3];
        turn_by(q, hand, turned);
        for (int c = 0; c < 3; ++c) pos[c] += turned[c];
    }
    std::memcpy(position_out, pos, sizeof pos);
    double m[9];
    interp_key_a(q, m);
    float ex, ey, ez;
    mat3_to_euler(m, &ex, &ey, &ez);
    angles_out[0] = ex, angles_out[1] = -ey, angles_out[2] = ez;
    return true;
}

void eval_animation(SkeletonContext* ctx, int32_t position_out[3], float angles_out[3], int animation, uint32_t time,
                    int joint, int32_t heading)
{
    position_out[0] = position_out[1] = position_out[2] = 0;
    angles_out[0] = angles_out[1] = angles_out[2] = 0;
    if (!ctx || !use_3d_hardware) ctx = &player_model.default_skeleton;
    if (animation < 0 || animation >= ANIM_ROW_COUNT) return;
    const AnimationRow& row = animation_table[animation];
    if (!row.data) return;
    int32_t saved = ctx->hierarchy;
    ctx->hierarchy = 0;
    float pos[3], ang[3] = {0, 0, 0};
    pose_skeleton(ctx, row.data, nullptr, time, 0, joint, ang, pos);
    if (row.data->root_motion == 1) {
        float root[3];
        pose_skeleton(ctx, row.data, nullptr, time, 0, 0, ang, root);
        pos[0] -= root[0];
        pos[2] -= root[2];
    }
    ctx->hierarchy = saved;
    float a0 = static_cast<float>(ang[0] * kRadiansTo16k);
    float a1 = static_cast<float>(-ang[1] * kRadiansTo16k);
    float a2 = static_cast<float>(ang[2] * kRadiansTo16k);
    if (row.mirror) pos[0] = -pos[0], a1 = -a1, a2 = -a2;
    double a = -(heading * kTwoPi / 16384.0);
    double x = pos[0] * std::cos(a) - pos[2] * std::sin(a);
    double z = pos[0] * std::sin(a) + pos[2] * std::cos(a);
    position_out[0] = static_cast<int32_t>(std::lrint(x * kModelToFine));
    position_out[1] = static_cast<int32_t>(std::lrint(pos[1] * kModelToFine));
    position_out[2] = static_cast<int32_t>(std::lrint(z * kModelToFine));
    angles_out[0] = a0, angles_out[1] = a1, angles_out[2] = a2;
}

int32_t anim_turn_at(int animation, int frame)
{
    int32_t pos[3];
    float ang[3];
    eval_animation(nullptr, pos, ang, animation, static_cast<uint32_t>(frame) * PAF_FRAME_US, JOINT_ROOT, 0);
    return static_cast<int32_t>(std::lrint(ang[1]));
}

void root_travel(const PafAnimation* a, uint32_t t0, uint32_t t1, float* x_out, float* y_out, float* z_out,
                 uint32_t* key_cache, uint32_t mirror)
{
    *x_out = *y_out = *z_out = 0;
    if (!a || a->track_count == 0) return;
    const PafTrack& root = a->tracks[0];
    if (root.pos_count < 2) return;
    uint32_t cache = key_cache ? *key_cache : 0;
    uint32_t k = find_pos_key(root, t0, cache);
    if (key_cache) *key_cache = k;
    if (k + 1 >= root.pos_count) return; // at or past the last key: no travel left
    const PafPosKey* keys = root.pos;
    auto share = [](uint32_t from, uint32_t to, uint32_t t0k, uint32_t t1k) {
        return t1k > t0k ? (static_cast<double>(to) - from) / (static_cast<double>(t1k) - t0k) : 0.0;
    };
    double f0 = share(keys[k].time, t0, keys[k].time, keys[k + 1].time);
    double x, z;
    if (t1 < keys[k + 1].time) {
        double f1 = share(keys[k].time, t1, keys[k].time, keys[k + 1].time);
        x = keys[k + 1].x * (f1 - f0);
        z = keys[k + 1].z * (f1 - f0);
    } else {
        x = keys[k + 1].x * (1 - f0);
        z = keys[k + 1].z * (1 - f0);
        for (uint32_t j = k + 2; j < root.pos_count && keys[j - 1].time < t1; ++j) {
            uint32_t end = t1 < keys[j].time ? t1 : keys[j].time;
            double f = share(keys[j - 1].time, end, keys[j - 1].time, keys[j].time);
            x += keys[j].x * f;
            z += keys[j].z * f;
        }
    }
    *x_out = static_cast<float>(mirror ? -x : x);
    *z_out = static_cast<float>(z);
}

void set_anim_slot(FigurePose* figure, int32_t animation, uint32_t time, int mode)
{
    AnimSlot& slot = mode == SLOT_SET_BLEND ? figure->blend : figure->primary;
    slot.animation = animation;
    slot.time = time;
    slot.word = 0;
    std::memset(slot.rot_key, 0, sizeof slot.rot_key);
    std::memset(slot.pos_key, 0, sizeof slot.pos_key);
    if (mode == SLOT_SET_PRIMARY_CLEAR_BLEND) figure->blend.animation = -1;
}

void advance_root_motion(FigurePose* figure, uint32_t t0, uint32_t t1)
{
    int32_t n = figure->primary.animation;
    if (n < 0 || n >= ANIM_ROW_COUNT || !animation_table[n].data) return;
    const AnimationRow& row = animation_table[n];
    float x, y, z;
    root_travel(row.data, t0, t1, &x, &y, &z, &figure->primary.pos_key[0], row.mirror);
    const int32_t h = figure->heading;
    if (h <= 0 && h > -16384 && h % 64 == 0) {
        // A man's heading is one of 256 facings: their turns are worked out once.
        static float turn_cos[256], turn_sin[256];
        static bool turn_known[256];
        const int i = -h / 64;
        if (!turn_known[i]) {
            float c = 1, unused = 0, s = 0;
            rotate_vector(&c, &unused, &s, static_cast<float>(h * kTwoPi / 16384.0));
            turn_cos[i] = c;
            turn_sin[i] = s;
            turn_known[i] = true;
        }
        turn_vector(&x, &z, turn_cos[i], turn_sin[i]);
    } else {
        rotate_vector(&x, &y, &z, static_cast<float>(h * kTwoPi / 16384.0));
    }
    figure->x += static_cast<int32_t>(std::lrint(x * kModelToFine));
    figure->y += static_cast<int32_t>(std::lrint(z * kModelToFine));
}

void load_player_model()
{
    const char* path = use_3d_hardware ? kHardwareModel : kSoftwareModel;
    ModelContainer* model = static_cast<ModelContainer*>(alloc_mem(sizeof(ModelContainer), "player model"));
    if (!load_tca_file(model, path)) {
        free_mem(model);
        // A model that is there but unreadable is not a missing one.
        model_failure(file_exists(path) ? FATAL_CANT_LOAD_FILE : FATAL_FILE_NOT_FOUND, path, tca_error());
    }
    SkeletonContext& ctx = player_model.default_skeleton;
    bind_attach_points(model, ctx.mesh_of_joint);
    for (int j = 0; j < SKELETON_JOINTS; ++j)
        if (ctx.mesh_of_joint[j] < 0) {
            char what[80];
            std::snprintf(what, sizeof what, "no mesh carries %s", attach_point_names[j]);
            free_tca_model(model);
            model_failure(FATAL_CANT_LOAD_FILE, path, what);
        }
    player_model.model = model;
    ctx.height_factor = 1.0f;
    ctx.hierarchy = 0;
    ctx.model = model;
    float lead[3];
    hand_lead(model->meshes[ctx.mesh_of_joint[JOINT_RIGHT_HAND]], lead);
    player_model.hand_offset_14[0] = lead[0] + 2.0f;
    player_model.hand_offset_14[1] = lead[1] - 1.0f;
    player_model.hand_offset_14[2] = lead[2] + 6.0f;
    hand_lead(model->meshes[ctx.mesh_of_joint[JOINT_LEFT_HAND]], lead);
    player_model.hand_offset_11[0] = lead[0] - 2.0f;
    player_model.hand_offset_11[1] = lead[1] - 1.0f;
    player_model.hand_offset_11[2] = lead[2] + 6.0f;
}

void free_player_model()
{
    if (player_model.model) free_tca_model(player_model.model);
    std::memset(&player_model, 0, sizeof player_model);
}
