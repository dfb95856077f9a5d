// Model instances: drawable copies of model containers. Their meshes share
// one table of 16 hardware textures; each instance keeps a render batch per
// texture slot, filled by placing a rigid model or posing a figure.
#pragma once

#include "model/skeleton.h"
#include "model/tca_model.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int TEXTURE_SLOTS = 16;

struct TextureSlot {
    std::string name; // the full path, compared exactly
    int32_t texture;
};
extern TextureSlot texture_slots[TEXTURE_SLOTS];
extern int32_t loaded_slot_count;
extern int32_t background_slot_count;

struct RenderBatch {
    std::vector<uint32_t> indices; // triples
    int32_t triangle_count;
    std::vector<float> vertices;   // xyz
    int32_t vertex_count;
    std::vector<float> uvs;
    int32_t uv_count;
    std::vector<uint8_t> colours;  // blue, green, red, alpha
    int32_t colour_count;
};

// The index list and triangle count of every slot at one detail level.
struct LevelBatches {
    std::vector<uint32_t> indices[TEXTURE_SLOTS];
    int32_t triangle_count[TEXTURE_SLOTS];
    bool built;
};

// A skin's lists for one texture slot: every flexible vertex follows a vertex
// of a rigid batch (the slot and the vertex there), so that a skin stretches
// between the meshes of two bones.
struct FlexiBatch {
    std::vector<float> vertices;          // xyz
    std::vector<uint8_t> rigid_slots;     // the rigid batch each vertex follows
    std::vector<uint32_t> vertex_indices; // and its vertex there
    std::vector<uint32_t> facets;         // triples
    std::vector<float> uvs;
    std::vector<uint8_t> colours; // blue, green, red, alpha
    int32_t vertex_count, triangle_count, uv_count, colour_count;
};

// One posed joint of the software path: its matrix and its position.
struct JointPose {
    double matrix[9];
    float position[3];
};

constexpr int MAX_INSTANCE_MESHES = 64;
constexpr int MAX_INSTANCE_SKINS = 32;

struct ModelInstance {
    ModelContainer* model;
    int32_t owns_model;
    int16_t attach_nodes[16];
    float attach[16][3]; // posed joints, scene units, x not negated
    int8_t mesh_slot[MAX_INSTANCE_MESHES];
    int8_t skin_slot[MAX_INSTANCE_SKINS];
    uint32_t mesh_base[MAX_INSTANCE_MESHES]; // each mesh's first vertex in its batch
    int32_t level;
    RenderBatch batch[TEXTURE_SLOTS];
    FlexiBatch flexi[TEXTURE_SLOTS];
    LevelBatches levels[2];
    std::vector<JointPose> pose_list; // the software path's posed joints
    int32_t shadow_index;
    float height_factor;
    uint8_t lit_colour[4];
    int32_t active;
    float position[3], angles[3], scale[3];
};

// Mode 1: a mesh textured "PLAYER.TGA" takes the kit directory, every other
// mesh the texture directory; other modes take the kit directory for all
// (the texture directory when it is null). A 17th texture is fatal.
void bind_model_textures(ModelInstance* instance, const char* kit_directory, int32_t mode);
void alloc_render_lists(ModelInstance* instance);
void build_instance_lists(ModelInstance* instance);
void build_figure_batches(ModelInstance* instance);
void place_model(ModelInstance* instance, const float position[3], const float angles[3], const float scale[3]);
// Poses a figure from its animation slots at `position` (scene units,
// x along, y height, z across) turned by heading (16384 to a turn). On the
// 3D path a figure with a shadow entry casts its shadow from the new pose,
// the held ball's disc with it when ball_in_hand is set.
void pose_skinned_model(ModelInstance* instance, const AnimSlot& primary, const float position[3], int32_t heading,
                        const AnimSlot& blend, int32_t ball_in_hand);
// One animation slot as the posing reads it: the animation (null for none),
// its time kept inside the animation, and the key interval holding the time
// (every track keys at the same times).
struct PoseSource {
    const PafAnimation* animation;
    uint32_t time;
    uint32_t key;
};
// A joint as composed: its running rotation (scalar first) and its place
// (scene units, x not yet negated).
struct PosedJoint {
    float rotation[4];
    float position[3];
};
// The bones below `parent`, depth-first in the hierarchy's order: each
// child's rotation and place from its keys and its mesh stored, on a
// mirrored row walking each child's mirror twin in the other side's mesh.
// The torso takes its keys from the blend slot when it holds an animation.
void compose_skeleton(ModelInstance* instance, const PoseSource& primary, const PoseSource& blend, int32_t mirrored,
                      int32_t parent, const PosedJoint& parent_pose);
// The skins' lists, once the rigid batches are built; and after each posing
// every flexible vertex takes the posed place of the rigid vertex it follows.
void build_flexi_lists(ModelInstance* instance);
void copy_flexi_vertices(ModelInstance* instance);
// Counts per slot the vertices, triangles and texture coordinates of the
// meshes bound to it.
void size_render_lists(const ModelInstance* instance, int32_t vertices[TEXTURE_SLOTS],
                       int32_t triangles[TEXTURE_SLOTS], int32_t uvs[TEXTURE_SLOTS]);
// Every skin triangle wound the other way (first and third index swapped).
void reverse_skin_winding(ModelContainer* model);
// Turns a root rotation (scalar first) about the vertical axis by heading
// (16384 to a turn; negated for a mirrored row), and its offset with it
// unless the animation moves the root itself.
void turn_root_by_heading(float q[4], float offset[3], int32_t heading, int32_t mirrored, int32_t turn_offset);
// A byte flag kept beside its complement.
extern uint8_t model_flag[2];
void store_model_flag(uint8_t flag);
// The direction the models are lit from, kept normalised; it becomes the
// match display's one light.
extern float model_light_direction[3];
void store_model_light_direction(float x, float y, float z);
// Switches one instance's batches to level 0 (with the ball joint) or 1.
void select_instance_lod(ModelInstance* instance, int32_t level);
void clear_bone_channels(ModelInstance* instance, int32_t first, int32_t end, uint32_t mask);
void scale_player_model(ModelContainer* model, float factor);
void free_model_instance(ModelInstance* instance);
// Draws one slot's batch; nothing for an empty one. The second draws the
// slot's skin lists.
void draw_model_batch(ModelInstance* instance, int32_t slot);
void draw_model_batch_alt(ModelInstance* instance, int32_t slot);

// Frees every used slot's texture (mode 1) and empties the table; answers
// the count it started from.
int32_t clear_texture_slots();
// The slot whose full name this is, or -1.
int32_t find_texture_slot(const std::string& name);
void reset_texture_slots();
