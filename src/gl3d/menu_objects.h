// The menu and loading screens' picture breaks: a full-screen picture laid
// over tile textures and cut into textured pieces that fly apart spinning,
// shrink to a point or an edge, swing about a screen edge, flip about their
// own edges, or stay in place while an animated colour quad fades them. At
// most two such objects live at once; the screen runner creates, shows,
// starts and draws them, and waits on objects_finished.
#pragma once

#include <cstdint>
#include <vector>

constexpr int32_t MENU_OBJECT_SLOTS = 2;
constexpr int32_t MENU_TILE_SIZE = 128;
constexpr int32_t MENU_TILE_BANK = 20; // tiles a picture may need (640 x 480)

// Motion flags of an object's pieces.
constexpr uint8_t MOTION_TRANSLATE = 1, MOTION_PIVOT = 2, MOTION_TURN_X = 4, MOTION_TURN_Y = 8, MOTION_TURN_Z = 16,
                  MOTION_SCALE = 32, MOTION_TINT = 64;

struct menu_3d_piece {
    int32_t active = 1;
    int32_t first_vertex = 0;
    uint32_t vertex_count = 4;
    uint32_t output_first_vertex = 0;
    uint32_t first_index = 0, index_count = 6;
    uint32_t tile = 0;
    float angle[3] = {0, 0, 0};
    float angular_rate[3] = {0, 0, 0};
    float angular_rate_factor[3] = {1, 1, 1};
    float pivot[3] = {0, 0, 0};
    float offset[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};
    float velocity_factor[3] = {1, 1, 1};
    float scale[3] = {0, 0, 0};
    float scale_factor[3] = {1, 1, 1};
};

// One tile of the picture and the geometry of the pieces that use it.
struct menu_3d_tile {
    int32_t texture = -1;
    // Pixels of the picture: top, left, width, height; and the texture size
    // the tile would need (the power of two at or above each side).
    int32_t top = 0, left = 0, width = 0, height = 0, texture_width = 0, texture_height = 0;
    std::vector<float> vertices, uv;   // 3 and 2 floats a vertex
    std::vector<uint32_t> indices;     // 6 a piece
    // Rebuilt every frame from the pieces still in play.
    std::vector<float> out_vertices, out_uv;
    std::vector<uint32_t> out_indices;
    uint32_t out_vertex_count = 0, out_index_count = 0;
    uint32_t skipped_vertices = 0;
    std::vector<uint8_t> colours;      // R, G, B, A by output vertex
};

enum class MenuFinishedTest : uint8_t { none, when_unseen, by_angle, by_scale, with_quad };

struct menu_3d_object {
    std::vector<menu_3d_tile> tiles;
    std::vector<menu_3d_piece> pieces;
    int32_t active_pieces = 0, visible_pieces = 0;
    int32_t shown = 0, running = 0;
    uint8_t quad_finished = 0;
    MenuFinishedTest finished_test = MenuFinishedTest::none;
    int32_t slot = -1, timer = -1;
    float lap = 0;
    uint8_t motion = 0;
    int32_t quad = -1;
};

// The 40 tile textures (two banks of 20), made once and kept off the device
// until a picture is laid into them; release frees them all.
void load_tile_textures();
void release_tile_textures();
int32_t tile_textures_loaded();

// pixels: display width x display height words 0xAARRGGBB, rows from the
// top; style 0-6 (the piece size), effect 0-25. The slot, or -1 when both
// slots are taken or the display needs more than 20 tiles (nothing is made).
int32_t create_3d_object(const uint32_t* pixels, int32_t style, int32_t effect, int32_t shown);
// Where an operation takes a slot and an index, a slot below 0 means the
// object at that index of the creation order; any other slot or index out
// of range means no object.
void start_3d_object(int32_t slot, int32_t index, int32_t style, int32_t effect);
void show_3d_object(int32_t slot, int32_t index);
void hide_3d_object(int32_t slot, int32_t index);
void restart_3d_object_timer(int32_t slot, int32_t index);
void stop_3d_object(int32_t slot, int32_t index);
int32_t object_running(int32_t slot, int32_t index);
void free_3d_object(int32_t slot, int32_t index);
void free_all_3d_objects();
void draw_3d_objects();
int32_t any_3d_object_active();
int32_t objects_finished();
// The slot after this one in the creation order, or -1.
int32_t next_3d_object(int32_t slot);

void set_3d_object_filter(uint32_t on);
uint32_t get_3d_object_filter();
void set_3d_object_z_buffer(uint32_t on);
uint32_t get_3d_object_z_buffer();
void set_3d_object_blend(uint32_t on);
uint32_t get_3d_object_blend();

// 1 below 2, else the least power of two at or above n.
int32_t round_up_pow2(int32_t n);
// A C-runtime draw spread over -v..v.
float random_in_range(float v);

// The object in a slot, or null (tests and tools).
const menu_3d_object* menu_3d_object_at(int32_t slot);
// Frees every object (call it before the timer pool and texture cache are
// reset), forgets the tile textures and puts the drawing settings back.
void reset_menu_objects();
