#include "display/model_instances.h"

#include "display/scene_lighting.h"
#include "display/shadows.h"
#include "gl3d/angle_maths.h"
#include "gl3d/render_state.h"
#include "gl3d/texture_cache.h"
#include "model/anim_table.h"
#include "model/rotation.h"
#include "model/rotation_keys.h"
#include "platform/app_state.h"
#include "platform/fatal_error.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

TextureSlot texture_slots[TEXTURE_SLOTS];
int32_t loaded_slot_count;
int32_t background_slot_count;
uint8_t model_flag[2];
float model_light_direction[3];

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
        fatal_error_sub(FATAL_CANT_LOAD_FILE, 0, text.c_str(), 0);
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

void push_colour(std::vector<uint8_t>& colours, const TcaVec3* n)
{
    if (n) {
        colours.push_back(channel(n->z)), colours.push_back(channel(n->y));
        colours.push_back(channel(n->x)), colours.push_back(255);
    } else {
        for (int k = 0; k < 4; ++k) colours.push_back(255);
    }
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
        push_colour(b.colours, i < m.normal_count && m.normals ? &m.normals[i] : nullptr);
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

int skin_count(const ModelInstance* in) { return std::min<int>(in->model->skin_count, MAX_INSTANCE_SKINS); }

std::string upper(const char* name)
{
    std::string s = name;
    for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

// A joint's mesh placed by its matrix and position: its vertices appended to
// its slot's batch on the 3D path, a record of the joint on the software path.
void store_joint_pose(ModelInstance* in, int16_t mesh, const double m[9], const float position[3])
{
    if (!use_3d_hardware) {
        JointPose p;
        std::memcpy(p.matrix, m, sizeof p.matrix);
        std::memcpy(p.position, position, sizeof p.position);
        in->pose_list.push_back(p);
        return;
    }
    const TcaMesh& mesh_record = in->model->meshes[mesh];
    RenderBatch& b = in->batch[in->mesh_slot[mesh]];
    for (int v = 0; v < mesh_record.vertex_count; ++v) {
        const float src[3] = {mesh_record.vertices[v].x, mesh_record.vertices[v].y, mesh_record.vertices[v].z};
        float r[3];
        vec_mul_mat3(src, m, r);
        append_vertex(b, r[0] + position[0], r[1] + position[1], r[2] + position[2]);
    }
}

// The turn about the vertical axis by a heading, as a matrix taking a row
// vector: x' = x cos - z sin, z' = x sin + z cos.
void heading_matrix(int32_t heading, double t[9])
{
    const double turn = -(heading * kTwoPi / 16384.0);
    const double ct = std::cos(turn), st = std::sin(turn);
    const double m[9] = {ct, 0, st, 0, 1, 0, -st, 0, ct};
    std::memcpy(t, m, sizeof m);
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
    // In mode 1 only the kit's own picture comes from the kit's directory.
    auto full = [&](const char* name) {
        const std::string tex = upper(name);
        return (mode == 1 && tex != "PLAYER.TGA" ? std::string(kTextureDirectory) : own) + tex;
    };
    for (int i = 0; i < mesh_count(in); ++i)
        in->mesh_slot[i] = static_cast<int8_t>(bind_texture_name(full(in->model->meshes[i].texture)));
    for (int i = 0; i < skin_count(in); ++i)
        in->skin_slot[i] = static_cast<int8_t>(bind_texture_name(full(in->model->skins[i].name)));
    alloc_render_lists(in);
}

void size_render_lists(const ModelInstance* in, int32_t vertices[TEXTURE_SLOTS], int32_t triangles[TEXTURE_SLOTS],
                       int32_t uvs[TEXTURE_SLOTS])
{
    for (int s = 0; s < TEXTURE_SLOTS; ++s) vertices[s] = triangles[s] = uvs[s] = 0;
    for (int i = 0; i < mesh_count(in); ++i) {
        const int s = in->mesh_slot[i];
        if (s < 0 || s >= TEXTURE_SLOTS) continue;
        const TcaMesh& m = in->model->meshes[i];
        vertices[s] += m.vertex_count;
        triangles[s] += m.facet_count;
        uvs[s] += m.vertex_count; // one coordinate a vertex, however many the file gave
    }
}

void alloc_render_lists(ModelInstance* in)
{
    clear_batches(in);
    int32_t vertices[TEXTURE_SLOTS], triangles[TEXTURE_SLOTS], uvs[TEXTURE_SLOTS];
    size_render_lists(in, vertices, triangles, uvs);
    for (int s = 0; s < TEXTURE_SLOTS; ++s) {
        RenderBatch& b = in->batch[s];
        b.indices.reserve(static_cast<size_t>(triangles[s]) * 3);
        b.vertices.reserve(static_cast<size_t>(vertices[s]) * 3);
        b.uvs.reserve(static_cast<size_t>(uvs[s]) * 2);
        b.colours.reserve(static_cast<size_t>(vertices[s]) * 4);
    }
}

void build_flexi_lists(ModelInstance* in)
{
    for (FlexiBatch& f : in->flexi) f = FlexiBatch{};
    const ModelContainer* c = in->model;
    for (int s = 0; s < TEXTURE_SLOTS; ++s) {
        FlexiBatch& f = in->flexi[s];
        for (int k = 0; k < skin_count(in); ++k) {
            if (in->skin_slot[k] != s) continue;
            const TcaSkin& skin = c->skins[k];
            const uint32_t first = static_cast<uint32_t>(f.vertex_count);
            for (int v = 0; v < skin.vertex_count; ++v) {
                const int m = skin.mesh_of[v];
                const bool known = m < mesh_count(in);
                f.rigid_slots.push_back(static_cast<uint8_t>(known ? in->mesh_slot[m] : 0));
                f.vertex_indices.push_back(known ? in->mesh_base[m] + skin.vertex_of[v] : UINT32_MAX);
                for (int i = 0; i < 3; ++i) f.vertices.push_back(0);
                f.uvs.push_back(skin.uvs ? skin.uvs[v].u : 0), f.uvs.push_back(skin.uvs ? skin.uvs[v].v : 0);
                push_colour(f.colours, skin.normals ? &skin.normals[v] : nullptr);
            }
            f.vertex_count += skin.vertex_count;
            for (int t = 0; t < skin.triangle_count; ++t) {
                const uint32_t* tri = skin.triangles[t];
                f.facets.push_back(tri[2] + first), f.facets.push_back(tri[1] + first), f.facets.push_back(tri[0] + first);
                ++f.triangle_count;
            }
        }
        f.uv_count = f.colour_count = f.vertex_count;
    }
}

void copy_flexi_vertices(ModelInstance* in)
{
    for (FlexiBatch& f : in->flexi)
        for (int v = 0; v < f.vertex_count; ++v) {
            const RenderBatch& b = in->batch[f.rigid_slots[v]];
            const uint32_t i = f.vertex_indices[v];
            // A bone not posed at this detail level leaves its skin where it was.
            if (i >= static_cast<uint32_t>(b.vertex_count) || 3 * size_t{i} + 2 >= b.vertices.size()) continue;
            std::memcpy(&f.vertices[3 * size_t(v)], &b.vertices[3 * size_t{i}], 3 * sizeof(float));
        }
}



void build_instance_lists(ModelInstance* in)
{
    clear_batches(in);
    for (int i = 0; i < mesh_count(in); ++i) {
        const TcaMesh& m = in->model->meshes[i];
        RenderBatch& b = in->batch[in->mesh_slot[i]];
        const uint32_t base = static_cast<uint32_t>(b.vertex_count);
        in->mesh_base[i] = base;
        for (int v = 0; v < m.vertex_count; ++v) append_vertex(b, m.vertices[v].x, m.vertices[v].y, m.vertices[v].z);
        add_mesh_extras(b, m, base, b.indices, b.triangle_count);
    }
    build_flexi_lists(in);
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
            in->mesh_base[mi] = base; // the same at both levels: the ball joint comes last
            b.vertex_count += m.vertex_count;
            add_mesh_extras(b, m, base, saved.indices[s], saved.triangle_count[s]);
        }
        // Level 0 holds the ball joint's mesh: a figure without one keeps level 1.
        saved.built = level == 1 || in->model->mesh_count >= SKELETON_JOINTS;
    }
    build_flexi_lists(in);
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

namespace {

// A mirrored row walks the other side's limbs in their place.
int mirror_twin(int joint)
{
    switch (joint) {
    case 1: return 4;
    case 4: return 1;
    case 9: return 12;
    case 12: return 9;
    default: return joint;
    }
}

void mirrored_matrix(double m[9])
{
    double out[9];
    mat3_mirror(m, out);
    std::memcpy(m, out, sizeof out);
}

const float* mesh_pivot(const ModelContainer* c, int16_t mesh)
{
    static const float zero[3] = {0, 0, 0};
    return mesh < 0 ? zero : c->meshes[mesh].vectors[TCA_PIVOT];
}

// A slot's animation, its time held inside it and the interval holding that
// time, searched from the slot's own cached interval.
PoseSource pose_source(const AnimSlot& slot)
{
    PoseSource src{nullptr, 0, 0};
    if (slot.animation < 0 || slot.animation >= ANIM_ROW_COUNT) return src;
    const PafAnimation* a = animation_table[slot.animation].data;
    if (!a || a->track_count < SKELETON_JOINTS) return src;
    const uint32_t length = paf_length(a);
    src.animation = a;
    src.time = length > 0 && slot.time >= length ? length - 1 : slot.time;
    src.key = find_rot_key(a->tracks[0], src.time, slot.rot_key[0]);
    return src;
}

} // namespace

void compose_skeleton(ModelInstance* in, const PoseSource& primary, const PoseSource& blend, int32_t mirrored,
                      int32_t parent, const PosedJoint& parent_pose)
{
    const int level = in->level < 0 ? 1 : in->level;
    for (const int8_t* child = skeleton_hierarchy[level][parent]; *child >= 0; ++child) {
        const int c = mirrored ? mirror_twin(*child) : *child;
        const int worn = mirrored ? kMirrorJoint[c] : c;
        const int16_t mesh = mesh_of_joint(in->model, worn);
        const PoseSource& src = blend.animation && c == JOINT_TORSO ? blend : primary;
        float q[4], offset[3];
        interpolate_joint(src.animation, c, src.time, src.key, in->height_factor, q, offset);
        if (c == JOINT_BALL)
            for (float& o : offset) o *= in->height_factor;
        PosedJoint pose;
        interp_key_b(parent_pose.rotation, q, pose.rotation);
        double parent_matrix[9], matrix[9];
        interp_key_a(parent_pose.rotation, parent_matrix);
        interp_key_a(pose.rotation, matrix);
        if (mirrored) {
            mirrored_matrix(parent_matrix);
            mirrored_matrix(matrix);
            offset[0] = -offset[0];
        }
        const float* pivot = mesh_pivot(in->model, mesh);
        const float reach[3] = {pivot[0] + offset[0], pivot[1] + offset[1], pivot[2] + offset[2]};
        float turned[3];
        vec_mul_mat3(reach, parent_matrix, turned);
        for (int i = 0; i < 3; ++i) pose.position[i] = parent_pose.position[i] + turned[i];
        std::memcpy(in->attach[worn], pose.position, sizeof pose.position);
        // A joint without a mesh still carries the joints below it.
        if (mesh >= 0) store_joint_pose(in, mesh, matrix, pose.position);
        compose_skeleton(in, primary, blend, mirrored, c, pose);
    }
}

void pose_skinned_model(ModelInstance* in, const AnimSlot& primary, const float position[3], int32_t heading,
                        const AnimSlot& blend, int32_t ball_in_hand)
{
    for (RenderBatch& b : in->batch) b.vertex_count = 0, b.vertices.clear();
    in->pose_list.clear();
    const PoseSource body = pose_source(primary);
    if (!body.animation) return;
    const PafAnimation* a = body.animation;
    const int32_t mirrored = animation_table[primary.animation].mirror != 0;
    const PoseSource torso = pose_source(blend);

    // The root: its rotation turned to the heading (the other way on a
    // mirrored row, whose matrices are mirrored), its offset turned with it
    // unless the animation carries the man itself, when only its height counts.
    PosedJoint root;
    float offset[3];
    interpolate_joint(a, JOINT_ROOT, body.time, body.key, in->height_factor, root.rotation, offset);
    if (a->root_motion) offset[0] = offset[2] = 0;
    const int16_t root_mesh = mesh_of_joint(in->model, JOINT_ROOT);
    const float* pivot = mesh_pivot(in->model, root_mesh);
    float reach[3] = {pivot[0] + offset[0], pivot[1] + offset[1], pivot[2] + offset[2]};
    turn_root_by_heading(root.rotation, reach, heading, mirrored, 1);
    // The mirror's sway is on the other side, as the game logic reads it.
    if (mirrored) reach[0] = -reach[0];
    for (int i = 0; i < 3; ++i) root.position[i] = position[i] + reach[i];
    double matrix[9];
    interp_key_a(root.rotation, matrix);
    if (mirrored) mirrored_matrix(matrix);
    std::memcpy(in->attach[JOINT_ROOT], root.position, sizeof root.position);
    if (root_mesh >= 0) store_joint_pose(in, root_mesh, matrix, root.position);

    compose_skeleton(in, body, torso, mirrored, JOINT_ROOT, root);
    if (use_3d_hardware && in->shadow_index >= 0) cast_object_shadow(in, in->shadow_index, ball_in_hand);
    copy_flexi_vertices(in);
}

void turn_root_by_heading(float q[4], float offset[3], int32_t heading, int32_t mirrored, int32_t turn_offset)
{
    double t[9];
    heading_matrix(mirrored ? -heading : heading, t);
    float qt[4], turned[4];
    mat3_to_quat(t, qt);
    // The root's own rotation first, then the turn.
    interp_key_b(qt, q, turned);
    std::memcpy(q, turned, sizeof turned);
    if (turn_offset) vec_mul_mat3(offset, t, offset);
}

void reverse_skin_winding(ModelContainer* c)
{
    for (int k = 0; k < c->skin_count; ++k)
        for (int t = 0; t < c->skins[k].triangle_count; ++t) std::swap(c->skins[k].triangles[t][0], c->skins[k].triangles[t][2]);
}

void store_model_flag(uint8_t flag)
{
    model_flag[0] = flag;
    model_flag[1] = static_cast<uint8_t>(~flag);
}

void store_model_light_direction(float x, float y, float z)
{
    float d[3] = {x, y, z};
    normalise_vector(d);
    std::memcpy(model_light_direction, d, sizeof d);
    clear_lights();
    add_directional_light(d[0], d[1], d[2]);
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
    for (FlexiBatch& f : in->flexi) f = FlexiBatch{};
    in->pose_list.clear();
    in->levels[0] = in->levels[1] = LevelBatches{};
    in->model = nullptr;
    in->active = 0;
}

namespace {

// Both kinds of batch hand the device the same four lists.
void draw_lists(int32_t triangles, int32_t vertices, std::vector<float>& xyz, int32_t uv_count, std::vector<float>& uvs,
                std::vector<uint8_t>& colours, const std::vector<uint32_t>& indices)
{
    if (triangles == 0 || vertices == 0) return;
    set_vertex_array(static_cast<uint32_t>(vertices), 0, xyz.data());
    set_texcoord_array(static_cast<uint32_t>(uv_count), 0, uvs.data());
    set_colour_array(static_cast<uint32_t>(vertices), 0, colours.data());
    draw_vertex_arrays(3 * triangles, indices.data());
}

} // namespace

void draw_model_batch_alt(ModelInstance* in, int32_t slot)
{
    if (slot < 0 || slot >= TEXTURE_SLOTS) return;
    FlexiBatch& f = in->flexi[slot];
    draw_lists(f.triangle_count, f.vertex_count, f.vertices, f.uv_count, f.uvs, f.colours, f.facets);
}

void draw_model_batch(ModelInstance* in, int32_t slot)
{
    if (slot < 0 || slot >= TEXTURE_SLOTS) return;
    RenderBatch& b = in->batch[slot];
    draw_lists(b.triangle_count, b.vertex_count, b.vertices, b.uv_count, b.uvs, b.colours, b.indices);
}

int32_t clear_texture_slots()
{
    const int32_t used = loaded_slot_count;
    for (int i = 0; i < used; ++i) {
        texture_slots[i].name.clear();
        release_texture(texture_slots[i].texture, 1);
        texture_slots[i].texture = NO_TEXTURE;
    }
    loaded_slot_count = 0;
    return used;
}

void reset_texture_slots()
{
    for (TextureSlot& s : texture_slots) s = TextureSlot{std::string(), NO_TEXTURE};
    loaded_slot_count = 0;
    background_slot_count = 0;
}
