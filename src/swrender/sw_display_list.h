// Men on the software path: each posed bone becomes one pre-rendered sprite,
// picked from a set of views by the part's orientation, scaled by depth and
// rolled in the screen plane; the sprites, the loose ball and the goal posts
// meet in one depth-ordered list drawn far to near onto the back buffer.
#pragma once

#include "screen/surface.h"
#include "swrender/x_mesh.h"

#include <array>
#include <cstdint>

constexpr int32_t SW_MAX_MEN = 58;
constexpr int32_t SW_MAX_DEPTH_ITEMS = 761;
constexpr int32_t SW_SPRITE_SETS = 14;
constexpr int32_t SW_BALL_SET = 14;
constexpr int32_t SW_STORED_VIEWS = 256;
constexpr int32_t SW_VIEWS = 512;
constexpr int32_t SW_FRAME_HEADER = 5;

constexpr uint8_t DEPTH_MIRRORED = 1;
constexpr uint8_t DEPTH_MESH = 8;

struct sw_bone_record {
    float x, y, z;
    double m[9];
};

// One sprite set: its 256 frame offsets into a sprite file.
struct sprite_set_row {
    const uint32_t* offsets;
    const uint8_t* base;
    uint32_t base_size;
};
struct sprite_set_table {
    sprite_set_row sets[SW_SPRITE_SETS];
};

struct sw_display_entry {
    sw_bone_record bones[16];
    const sprite_set_table* sets;
    int32_t kind; // 0: 15 bones; 1: 16, the ball in his hand
    int32_t scale;
};

struct sw_depth_item {
    const void* item; // a sprite frame (its header) or an x_mesh
    int32_t x_scale, y_scale; // 16.16; a mesh keeps its world z in y_scale
    int32_t x, y;             // screen, or a mesh's world x and y
    int32_t depth;
    int16_t roll;
    uint8_t flags;
};

struct view_direction {
    int16_t base_angle; // 65536 to a turn
    double factor;
};
struct view_fold {
    int16_t view;
    uint8_t roll_step;
};

extern sw_display_entry sw_display_list[SW_MAX_MEN];
extern int32_t sw_display_count;
extern sw_depth_item sw_depth_list[SW_MAX_DEPTH_ITEMS];
extern int32_t sw_depth_count;
extern view_direction view_direction_table[SW_VIEWS];
extern const std::array<view_fold, SW_VIEWS> view_fold_table;

// The shared man sprite file and the ball's offsets (the sprite system's
// start sets them), and the surface display_3D_man draws on.
extern const uint8_t* sw_shared_sprite_file;
extern uint32_t sw_shared_sprite_size;
extern const uint32_t* ball_sprite_offsets;
extern Surface* sw_man_surface;
extern uint8_t* sw_back_buffer; // the locked back buffer, for the span fills too
// The post meshes the depth list draws.
extern x_mesh* sw_goal_post_mesh;
extern x_mesh* sw_behind_post_mesh;

void add_sw_display_entry(const sw_bone_record* bones, const sprite_set_table* sets, int32_t scale, int32_t kind);
void add_sw_display_entry_flags(const sw_bone_record* bones, const sprite_set_table* sets, int32_t flags, int32_t scale);
void display_3D_man();
void queue_goal_posts();
void add_depth_item(const void* item, int32_t x_scale, int32_t y_scale, int32_t roll, int32_t x, int32_t y,
                    int32_t depth, uint8_t flags);
int32_t project_sw_points(int32_t count, float* points);
int16_t screen_part_angle(int32_t from_set, int32_t to_set, int32_t view);
int16_t angle_from_xy(int32_t a, int32_t b);
void build_view_direction_table();
void sort_sprite_list();
void place_man_parts(const sw_display_entry& entry);
void draw_scaled_rotated_sprite(const uint8_t* pixels, int32_t width, int32_t height, int32_t x_origin,
                                int32_t y_origin, int32_t x_scale, int32_t y_scale, int32_t roll, uint8_t* surface,
                                int32_t screen_x, int32_t screen_y, int32_t mirrored);
// The frame a set's view points to; null when the offset leaves the file.
const uint8_t* sprite_frame(const sprite_set_row& row, int32_t view);
void reset_sw_display_lists();

// A single object as one view-dependent sprite.
void place_sw_object(const uint32_t* offsets, int32_t x, int32_t y, int32_t z, const double* orientation);
void make_rotation_matrix_xyz(int32_t ax, int32_t ay, int32_t az, double* out);
void rotate_matrix_xyz(int32_t ax, int32_t ay, int32_t az, double* m);
