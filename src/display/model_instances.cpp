#include "display/model_instances.h"

#include "gl3d/render_state.h"
#include "gl3d/texture_cache.h"
#include "model/anim_table.h"
#include "model/rotation.h"
#include "model/rotation_keys.h"
#include "platform/fatal_error.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

TextureSlot texture_slots[TEXTURE_SLOTS];
int32_t loaded_slot_count;
int32_t background_slot_count;

namespace {

const char kTextureDirectory[] = "3d display\\textures\\";
// Joint n of a mirrored row wears the mesh of joint map[n].
constexpr int8_t kMirrorJoint[SKELETON_JOINTS] = {0, 4, 5, 6, 1, 2, 3, 7, 8, 12, 13, 14, 9, 10, 11, 15};
constexpr double kTwoPi = 6.283185307179586;

int32_t bind_texture_name(const std::string& full)
{
    const int32_t found = find_texture_slot(full);
    if (found >= 0) return found;
    if (loaded_slot_count >= TEXTURE_SLOTS) {
        const std::string text = "too many match textures: " + full;
        fatal_error_sub(0, 0, text.c_str(), 0);
    }
    TextureSlot& s = texture_slots[loaded_slot_count];
    s.name = full;
    s.texture = find_or_load_texture(full.c_str());
    return loaded_slot_count++;
}

uint8_t channel(float f)
{
    const float c = std::round(f * 255.0f);
    return static_cast<uint8_t>(c < 0 ? 0 : c > 255 ? 255 : c);
}

// The mesh's triangles, texture coordinates and colours after its vertices:
// exactly one coordinate and one colour a vertex, missing ones white or 0.
void add_mesh_extras(RenderBatch& b, const TcaMesh& m, uint32_t base, std::vector<uint32_t>& indices,
                     int32_t& triangles)
{
    const int v = m.vertex_count;
    for (int f = 0; f < m.facet_count; ++f) {
        const uint16_t* fc = m.facets[f];
        indices.push_back(fc[2] + base), indices.push_back(fc[1] + base), indices.push_back(fc[0] + base);
        ++triangles;
    }
    for (int i = 0; i < v; ++i) {
        const bool has = i < m.uv_count && m.uvs;
        b.uvs.push_back(has ? m.uvs[i].u : 0), b.uvs.push_back(has ? m.uvs[i].v : 0);
        if (i < m.normal_count && m.normals) {
            const TcaVec3& n = m.normals[i];
            b.colours.push_back(channel(n.z)), b.colours.push_back(channel(n.y));
            b.colours.push_back(channel(n.x)), b.colours.push_back(255);
        } else {
            for (int k = 0; k < 4; ++k) b.colours.push_back(255);
        }
    }
    b.uv_count += v;
    b.colour_count += v;
}

void append_vertex(RenderBatch& b, float x, float y, float z)
{
    b.vertices.push_back(-x), b.vertices.push_back(-y), b.vertices.push_back(z);
    ++b.vertex_count;
}

void clear_batches(ModelInstance* in)
{
    for (RenderBatch& b : in->batch) b = RenderBatch{};
}

int mesh_count(const ModelInstance* in) { return std::min<int>(in->model->mesh_count, MAX_INSTANCE_MESHES); }

int16_t mesh_of_joint(const ModelContainer* c, int joint)
{
    // Figures carry one mesh a joint, in joint order.
    return joint < c->mesh_count ? static_cast<int16_t>(joint) : -1;
}

// Depth-first joint order of a detail level: the root, then the children.
void joint_order(int level, int joint, std::vector<int>& out)
{
    out.push_back(joint);
    for (const int8_t* c = skeleton_hierarchy[level][joint]; *c >= 0; ++c) joint_order(level, *c, out);
}

} // namespace

int32_t find_texture_slot(const std::string& name)
{
    for (int i = 0; i < loaded_slot_count; ++i)
        if (texture_slots[i].name == name) return i;
    return -1;
}

void bind_model_textures(ModelInstance* in, const char* kit_directory, int32_t mode)
{
    const std::string own = kit_directory ? kit_directory : kTextureDirectory;
    for (int i = 0; i < mesh_count(in); ++i) {
        std::string tex = in->model->meshes[i].texture;
        for (char& ch : tex) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        const std::string dir = mode == 1 && tex != "PLAYER.TGA" ? kTextureDirectory : own;
        in->mesh_slot[i] = static_cast<int8_t>(bind_texture_name(dir + tex));
    }
    for (int i = 0; i < in->model->skin_count; ++i) {
        std::string tex = in->model->skins[i].name;
        for (char& ch : tex) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        bind_texture_name(own + tex);
    }
    alloc_render_lists(in);
}

void alloc_render_lists(ModelInstance* in)
{
    clear_batches(in);
    size_t vertices[TEXTURE_SLOTS] = {}, facets[TEXTURE_SLOTS] = {};
    for (int i = 0; i < mesh_count(in); ++i) {
        const int s = in->mesh_slot[i];
        vertices[s] += static_cast<size_t>(in->model->meshes[i].vertex_count);
        facets[s] += static_cast<size_t>(in->model->meshes[i].facet_count);
    }
    for (int s = 0; s < TEXTURE_SLOTS; ++s) {
        RenderBatch& b = in->batch[s];
        b.indices.reserve(facets[s] * 3);
        b.vertices.reserve(vertices[s] * 3);
        b.uvs.reserve(vertices[s] * 2);
        b.colours.reserve(vertices[s] * 4);
    }
}

void build_instance_lists(ModelInstance* in)
{
    clear_batches(in);
    for (int i = 0; i < mesh_count(in); ++i) {
        const TcaMesh& m = in->model->meshes[i];
        RenderBatch& b = in->batch[in->mesh_slot[i]];
        const uint32_t base = static_cast<uint32_t>(b.vertex_count);
        for (int v = 0; v < m.vertex_count; ++v) append_vertex(b, m.vertices[v].x, m.vertices[v].y, m.vertices[v].z);
        add_mesh_extras(b, m, base, b.indices, b.triangle_count);
    }
}

void build_figure_batches(ModelInstance* in)
{
    for (int level = 1; level >= 0; --level) {
        clear_batches(in);
        LevelBatches& saved = in->levels[level];
        saved = LevelBatches{};
        std::vector<int> order;
        joint_order(level, 0, order);
        for (int joint : order) {
            const int16_t mi = mesh_of_joint(in->model, joint);
            if (mi < 0) continue;
            const TcaMesh& m = in->model->meshes[mi];
            const int s = in->mesh_slot[mi];
            RenderBatch& b = in->batch[s];
            const uint32_t base = static_cast<uint32_t>(b.vertex_count);
            b.vertex_count += m.vertex_count;
            add_mesh_extras(b, m, base, saved.indices[s], saved.triangle_count[s]);
        }
        // Level 0 holds the ball joint's mesh: a figure without one keeps level 1.
        saved.built = level == 1 || in->model->mesh_count >= SKELETON_JOINTS;
    }
    in->level = -1;
    select_instance_lod(in, 1);
}

void select_instance_lod(ModelInstance* in, int32_t level)
{
    if (level == 0 && !in->levels[0].built) level = 1;
    if (level == in->level) return;
    in->level = level;
    for (int s = 0; s < TEXTURE_SLOTS; ++s) {
        in->batch[s].indices = in->levels[level].indices[s];
        in->batch[s].triangle_count = in->levels[level].triangle_count[s];
    }
}

void place_model(ModelInstance* in, const float position[3], const float angles[3], const float scale[3])
{
    double m[9];
    mat3_from_angles(m, angles[0], angles[1], angles[2]);
    for (RenderBatch& b : in->batch) b.vertex_count = 0, b.vertices.clear();
    for (int i = 0; i < mesh_count(in); ++i) {
        const TcaMesh& mesh = in->model->meshes[i];
        RenderBatch& b = in->batch[in->mesh_slot[i]];
        for (int v = 0; v < mesh.vertex_count; ++v) {
            const float p[3] = {mesh.vertices[v].x * scale[0], mesh.vertices[v].y * scale[1],
                                mesh.vertices[v].z * scale[2]};
            float r[3];
            vec_mul_mat3(p, m, r);
            append_vertex(b, r[0] + position[0], r[1] + position[1], r[2] + position[2]);
        }
    }
    for (int i = 0; i < 3; ++i) in->position[i] = position[i], in->angles[i] = angles[i], in->scale[i] = scale[i];
}

void pose_skinned_model(ModelInstance* in, const AnimSlot& primary, const float position[3], int32_t heading,
                        const AnimSlot& blend)
{
    for (RenderBatch& b : in->batch) b.vertex_count = 0, b.vertices.clear();
    if (primary.animation < 0 || primary.animation >= ANIM_ROW_COUNT) return;
    const AnimationRow& row = animation_table[primary.animation];
    const PafAnimation* a = row.data;
    if (!a || a->track_count < SKELETON_JOINTS) return;
    const PafAnimation* second = nullptr;
    uint32_t second_time = 0;
    if (blend.animation >= 0 && blend.animation < ANIM_ROW_COUNT && animation_table[blend.animation].data &&
        animation_table[blend.animation].data->track_count >= SKELETON_JOINTS) {
        second = animation_table[blend.animation].data;
        second_time = blend.time;
    }
    const bool mirror = row.mirror != 0;
    const ModelContainer* c = in->model;
    const int level = in->level < 0 ? 1 : in->level;
    const double turn = -(heading * kTwoPi / 16384.0);
    const double ct = std::cos(turn), st = std::sin(turn);

    struct Joint {
        float q[4];
        float pos[3];
    } joints[SKELETON_JOINTS];
    auto pivot = [&](int j) -> const float* {
        static const float zero[3] = {0, 0, 0};
        const int16_t m = mesh_of_joint(c, j);
        return m < 0 ? zero : c->meshes[m].vectors[TCA_PIVOT];
    };
    // The root.
    {
        const uint32_t k = find_rot_key(a->tracks[0], primary.time, 0);
        float off[3];
        interpolate_joint(a, 0, primary.time, k, in->height_factor, joints[0].q, off);
        if (a->root_motion) off[0] = off[2] = 0;
        for (int i = 0; i < 3; ++i) joints[0].pos[i] = pivot(0)[i] + off[i];
    }
    std::vector<int> order;
    joint_order(level, 0, order);
    int parent_of[SKELETON_JOINTS];
    for (int p = 0; p < SKELETON_JOINTS; ++p)
        for (const int8_t* ch = skeleton_hierarchy[0][p]; *ch >= 0; ++ch) parent_of[*ch] = p;
    for (size_t n = 1; n < order.size(); ++n) {
        const int j = order[n];
        const int p = parent_of[j];
        // The torso and what hangs from it follow the blend animation.
        const bool use_blend = second && j == JOINT_TORSO;
        const PafAnimation* src = use_blend ? second : a;
        const uint32_t t = use_blend ? second_time : primary.time;
        float jq[4], off[3], turned[3];
        const uint32_t k = find_rot_key(src->tracks[j], t, 0);
        interpolate_joint(src, j, t, k, in->height_factor, jq, off);
        if (j == JOINT_BALL)
            for (float& o : off) o *= in->height_factor;
        for (int i = 0; i < 3; ++i) off[i] += pivot(j)[i];
        double pm[9];
        interp_key_a(joints[p].q, pm);
        vec_mul_mat3(off, pm, turned);
        for (int i = 0; i < 3; ++i) joints[j].pos[i] = joints[p].pos[i] + turned[i];
        interp_key_b(joints[p].q, jq, joints[j].q);
    }
    // Vertices go in the order the batches were built: each mesh in joint
    // order, worn by its mirror twin's joint on a mirrored row.
    for (int j : order) {
        const int posed = mirror ? kMirrorJoint[j] : j;
        float jp[3] = {joints[posed].pos[0], joints[posed].pos[1], joints[posed].pos[2]};
        if (mirror) jp[0] = -jp[0];
        in->attach[j][0] = static_cast<float>(jp[0] * ct - jp[2] * st) + position[0];
        in->attach[j][1] = jp[1] + position[1];
        in->attach[j][2] = static_cast<float>(jp[0] * st + jp[2] * ct) + position[2];
        const int16_t mi = mesh_of_joint(c, j);
        if (mi < 0) continue;
        const TcaMesh& m = c->meshes[mi];
        RenderBatch& b = in->batch[in->mesh_slot[mi]];
        double jm[9];
        interp_key_a(joints[posed].q, jm);
        if (mirror) {
            double mm[9];
            mat3_mirror(jm, mm);
            std::memcpy(jm, mm, sizeof jm);
        }
        for (int v = 0; v < m.vertex_count; ++v) {
            const float src[3] = {m.vertices[v].x, m.vertices[v].y, m.vertices[v].z};
            float r[3];
            vec_mul_mat3(src, jm, r);
            const double x = r[0] + jp[0], z = r[2] + jp[2];
            append_vertex(b, static_cast<float>(x * ct - z * st) + position[0], r[1] + jp[1] + position[1],
                          static_cast<float>(x * st + z * ct) + position[2]);
        }
    }
}

void clear_bone_channels(ModelInstance* in, int32_t first, int32_t end, uint32_t mask)
{
    for (int s = std::max(first, 0); s < std::min(end, TEXTURE_SLOTS); ++s) {
        RenderBatch& b = in->batch[s];
        if (mask & 1) b.triangle_count = 0;
        if (mask & 2) b.vertex_count = 0;
        if (mask & 4) b.uv_count = 0;
        if (mask & 8) b.colour_count = 0;
    }
}

void scale_player_model(ModelContainer* c, float factor)
{
    for (int i = 0; i < std::min<int>(16, c->mesh_count); ++i) {
        TcaMesh& m = c->meshes[i];
        for (float& v : m.vectors[TCA_PIVOT]) v *= factor;
        if (std::strcmp(m.node_name, "WEAPON") == 0)
            for (int v = 0; v < m.vertex_count; ++v)
                m.vertices[v].x *= factor, m.vertices[v].y *= factor, m.vertices[v].z *= factor;
    }
}

void free_model_instance(ModelInstance* in)
{
    clear_batches(in);
    in->levels[0] = in->levels[1] = LevelBatches{};
    in->model = nullptr;
    in->active = 0;
}

void draw_model_batch(ModelInstance* in, int32_t slot)
{
    if (slot < 0 || slot >= TEXTURE_SLOTS) return;
    RenderBatch& b = in->batch[slot];
    if (b.triangle_count == 0 || b.vertex_count == 0) return;
    const uint32_t n = static_cast<uint32_t>(b.vertex_count);
    set_vertex_array(n, 0, b.vertices.data());
    set_texcoord_array(static_cast<uint32_t>(b.uv_count), 0, b.uvs.data());
    set_colour_array(n, 0, b.colours.data());
    draw_vertex_arrays(3 * b.triangle_count, b.indices.data());
}

void free_texture_slots()
{
    for (int i = 0; i < loaded_slot_count; ++i) release_texture(texture_slots[i].texture, 1);
    reset_texture_slots();
}

void reset_texture_slots()
{
    for (TextureSlot& s : texture_slots) s = TextureSlot{std::string(), NO_TEXTURE};
    loaded_slot_count = 0;
    background_slot_count = 0;
}
