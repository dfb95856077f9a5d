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

struct ModelInstance {
    ModelContainer* model;
    int32_t owns_model;
    int16_t attach_nodes[16];
    float attach[16][3]; // posed joints, scene units, x not negated
    int8_t mesh_slot[64];
    int32_t level;
    RenderBatch batch[TEXTURE_SLOTS];
    LevelBatches levels[2];
    int32_t shadow_index;
    float height_factor;
    uint8_t lit_colour[4];
    int32_t active;
    float position[3], angles[3], scale[3];
};

constexpr int MAX_INSTANCE_MESHES = 64;

// Mode 1: a mesh textured "PLAYER.TGA" takes the kit directory, every other
// mesh the texture directory; other modes take the kit directory for all
// (the texture directory when it is null). A 17th texture is fatal.
void bind_model_textures(ModelInstance* instance, const char* kit_directory, int32_t mode);
void alloc_render_lists(ModelInstance* instance);
void build_instance_lists(ModelInstance* instance);
void build_figure_batches(ModelInstance* instance);
void place_model(ModelInstance* instance, const float position[3], const float angles[3], const float scale[3]);
// Poses a figure from its animation slots at `position` (scene units,
// x along, y height, z across) turned by heading (16384 to a turn).
void pose_skinned_model(ModelInstance* instance, const AnimSlot& primary, const float position[3], int32_t heading,
                        const AnimSlot& blend);
// Switches one instance's batches to level 0 (with the ball joint) or 1.
void select_instance_lod(ModelInstance* instance, int32_t level);
void clear_bone_channels(ModelInstance* instance, int32_t first, int32_t end, uint32_t mask);
void scale_player_model(ModelContainer* model, float factor);
void free_model_instance(ModelInstance* instance);
// Draws one slot's batch; nothing for an empty one.
void draw_model_batch(ModelInstance* instance, int32_t slot);

// Frees every table slot's texture (mode 1) and empties the table.
void free_texture_slots();
// The slot whose full name this is, or -1.
int32_t find_texture_slot(const std::string& name);
void reset_texture_slots();
