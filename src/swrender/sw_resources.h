// What the software frame draws with: the grass textures, the pitch pieces,
// the sky, the shared man sprite file and the teams' sprite sets, the shadow,
// marker and kick-arrow textures with their remap tables, the weather palette
// and the meshes; loaded by the match set-up on the software path and freed
// after the match. Every file is checked against what it must hold.
#pragma once

#include "swrender/sw_display_list.h"
#include "swrender/x_mesh.h"

#include <cstdint>

constexpr int32_t SW_TEAMS = 16;
constexpr int32_t SW_TEAM_DIR_SIZE = 20;
constexpr int32_t SW_SHARED_TABLES = 11;
constexpr int32_t SW_PITCH_PIECES = 8;
constexpr int32_t SW_MARKERS = 7;
constexpr int32_t SW_KICK_FRAMES = 8;
constexpr uint32_t SW_SMALL_TEXTURE = 64 * 64;
constexpr uint32_t SW_GROUND_TEXTURE = 128 * 128;
constexpr uint32_t SW_GROUND_BUFFER = SW_GROUND_TEXTURE + 8;
constexpr int32_t SW_SKY_WIDTH = 320, SW_SKY_HEIGHT = 240;
constexpr uint32_t SW_SCALING_BUFFER = 640 * 480;

// The tables kept in "sw team gfx\kob.spr", 256 frames each, in this order;
// each frame's first byte holds its table's number.
enum : int32_t {
    SHARED_ARMS = 0,      // sets 2 and 3
    SHARED_HANDS = 1,     // sets 4 and 5
    SHARED_FEET = 2,      // sets 12 and 13
    SHARED_HEAD = 3,      // set 7
    OFFICIAL_A_BODY = 4,  // sets 0 and 1
    OFFICIAL_A_THIGH = 5, // sets 8 and 9
    OFFICIAL_A_SHIN = 6,  // sets 10 and 11
    OFFICIAL_B_BODY = 7,
    OFFICIAL_B_THIGH = 8,
    OFFICIAL_B_SHIN = 9,
    SHARED_BALL = 10,
};

extern const char team_sprite_dirs[SW_TEAMS][SW_TEAM_DIR_SIZE];
extern uint32_t shared_sprite_offsets[SW_SHARED_TABLES][SW_STORED_VIEWS];
extern sprite_set_table home_sprite_sets, away_sprite_sets, official_sprite_sets, other_official_sprite_sets;
// [a][b] = a x b, and 0 where b is 255.
extern uint32_t sw_multiply_table[256][256];
// Entry [w][t] = t x w, and 0 for t = 255 (row 255 reads row 0).
void build_multiply_table();

struct pitch_piece {
    const char* file; // null: shares the picture of record `shares`
    int32_t shares;
    int32_t width, height;
    uint32_t flags;
    int32_t corners[4][3];
    uint8_t* picture;
};
extern pitch_piece pitch_piece_table[SW_PITCH_PIECES];
extern int32_t pitch_pieces_on;

// Textures: 8-bit indices. The ground buffers hold 4 guard bytes each side.
extern uint8_t* pitch_texture;
extern uint8_t* ground_texture;
extern uint8_t* shadow_texture;
extern uint8_t shadow_alpha_table[4][256];
extern uint8_t* marker_textures[SW_MARKERS];
// The markers by use: the ball holder, the controlled man (and his turning
// ring's four frames), the landing point, the throw-in rings, the set-play
// spot and the reach of a loose ball.
enum : int32_t {
    MARKER_TEXTURE_HOLDER = 0,
    MARKER_TEXTURE_CONTROLLED = 1,
    MARKER_TEXTURE_LANDING = 2,
    MARKER_TEXTURE_RING = 3,
    MARKER_TEXTURE_SPOT = 4,
    MARKER_TEXTURE_REACH = 5,
};
constexpr int32_t SW_MARKER_FRAMES = 4;
extern uint8_t* controlled_marker_frames[SW_MARKER_FRAMES];
extern uint8_t* target_picture;
extern uint8_t* kick_frames[SW_KICK_FRAMES];
extern uint8_t* pass_frames[SW_KICK_FRAMES];
extern uint8_t* arrow_work_texture;
extern uint8_t arrow_alpha_table[4][256];
extern uint8_t* sky_picture;
extern uint8_t* sprite_scaling_work;
extern uint8_t sw_match_palette[768];   // pictures are decoded against it
extern uint8_t sw_weather_palette[768]; // the display's, and the shade tables'
extern uint8_t team_palettes[2][768];
extern char current_palette_file[64];

// The meshes: pitch, stadium, behind posts, goal posts, sky.
extern x_mesh sw_pitch_mesh, sw_stadium_mesh, sw_behind_posts, sw_goal_posts, sw_sky_mesh;
extern int32_t ground_outline[16][3];
extern double sw_pitch_x_scale, sw_pitch_z_scale;

void init_sprite_system(const char* sprite_file, Surface* surface, const uint32_t* ball_offsets);
void free_sprite_buffer();
void load_team_sprites(int32_t home_team, int32_t away_team);
void free_team_sprites();
void load_sw_pitch_textures();
void load_sw_pitch_texture_pair(const char* first, uint8_t** first_out, const char* second, uint8_t** second_out);
void load_sw_shadow_texture(const char* path, uint8_t** texture_out, uint8_t alpha_out[4][256]);
void build_arrow_alpha_table();
void load_marker_textures();
void build_controlled_marker_frames();
void free_marker_textures();
void load_kick_frames();
void free_kick_frames();
void load_pitch_logo();
void free_pitch_lines();
const char* choose_sky_picture(int32_t sky_index);
const char* weather_palette_file(int32_t weather_index);
void load_sw_weather_palette(int32_t weather_index);
int32_t load_sw_meshes(int32_t unused, const char* sky_path, uint8_t** sky_out);
void free_sw_meshes();
void free_sw_textures();
// The match's buffers in the order the end of a match frees them: the sprite
// scaling buffer, the grass textures, then the team sprites and the shadow.
void free_first_match_buffer();
void free_ground_geometry_buffers();
void free_further_match_buffers();

// The whole set-up of a software match, and the release after it.
struct SwMatchChoice {
    int32_t home_team, away_team, weather, sky;
};
void set_up_sw_match(const SwMatchChoice& choice, Surface* back_buffer);
void release_sw_match();
