// Loading and releasing the software match's pictures, tables, sprite files
// and meshes.
#include "swrender/sw_resources.h"

#include "gl3d/angle_maths.h"
#include "gl3d/sprite_queue.h"
#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/iff.h"
#include "platform/memory.h"
#include "platform/message_pump.h"
#include "screen/screen.h"
#include "swrender/sw_display_state.h"
#include "swrender/sw_spans.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

// The clubs' kit directories, one a club number (the clubs' own names).
const char team_sprite_dirs[SW_TEAMS][SW_TEAM_DIR_SIZE] = {
    "Tallowmere", "Brindlecombe", "Quarrymede", "Westwarren",    "Cinderhurst", "Culvermoor", "Ferndunny", "Port Yallamin",
    "Gullarbrook", "Mirrabeen Bay", "Yarrowdeen", "Kindlebark", "Hollenvale", "Carnellow",  "Saltmarren", "Wendellgrove",
};

uint32_t shared_sprite_offsets[SW_SHARED_TABLES][SW_STORED_VIEWS];
sprite_set_table home_sprite_sets, away_sprite_sets, official_sprite_sets, other_official_sprite_sets;
uint32_t sw_multiply_table[256][256];

pitch_piece pitch_piece_table[SW_PITCH_PIECES] = {
    {"game_gfx\\software\\Vetrakob.lbm", -1, 256, 64, 0, {{-1600, 0, -3400}, {1600, 0, -3400}, {1600, 0, -4600}, {-1600, 0, -4600}}, nullptr},
    {"game_gfx\\software\\lkkob.lbm", -1, 256, 64, 12, {{-1600, 0, 4600}, {1600, 0, 4600}, {1600, 0, 3400}, {-1600, 0, 3400}}, nullptr},
    {"game_gfx\\software\\50_30_1.lbm", -1, 64, 64, 14, {{-5470, 0, 2700}, {-5070, 0, 2700}, {-5070, 0, 2300}, {-5470, 0, 2300}}, nullptr},
    {"game_gfx\\software\\50_30_2.lbm", -1, 64, 64, 14, {{-5470, 0, -2300}, {-5070, 0, -2300}, {-5070, 0, -2700}, {-5470, 0, -2700}}, nullptr},
    {"game_gfx\\software\\50_90.lbm", -1, 64, 64, 14, {{-4800, 0, 200}, {-4400, 0, 200}, {-4400, 0, -200}, {-4800, 0, -200}}, nullptr},
    {nullptr, 3, 64, 64, 14, {{5070, 0, 2700}, {5470, 0, 2700}, {5470, 0, 2300}, {5070, 0, 2300}}, nullptr},
    {nullptr, 2, 64, 64, 14, {{5070, 0, -2300}, {5470, 0, -2300}, {5470, 0, -2700}, {5070, 0, -2700}}, nullptr},
    {nullptr, 4, 64, 64, 14, {{4400, 0, 200}, {4800, 0, 200}, {4800, 0, -200}, {4400, 0, -200}}, nullptr},
};
int32_t pitch_pieces_on = 1;

uint8_t* pitch_texture = nullptr;
uint8_t* ground_texture = nullptr;
uint8_t* shadow_texture = nullptr;
uint8_t shadow_alpha_table[4][256];
uint8_t* marker_textures[SW_MARKERS] = {};
uint8_t* target_picture = nullptr;
uint8_t* controlled_marker_frames[SW_MARKER_FRAMES] = {};
uint8_t* kick_frames[SW_KICK_FRAMES] = {};
uint8_t* pass_frames[SW_KICK_FRAMES] = {};
uint8_t* arrow_work_texture = nullptr;
uint8_t arrow_alpha_table[4][256];
uint8_t* sky_picture = nullptr;
uint8_t* sprite_scaling_work = nullptr;
uint8_t sw_match_palette[768];
uint8_t sw_weather_palette[768];
uint8_t team_palettes[2][768];
char current_palette_file[64];

x_mesh sw_pitch_mesh, sw_stadium_mesh, sw_behind_posts, sw_goal_posts, sw_sky_mesh;
int32_t ground_outline[16][3];
double sw_pitch_x_scale = 1.0, sw_pitch_z_scale = 1.0;

namespace {

uint8_t* g_shared_file = nullptr;
uint32_t g_shared_size = 0;
uint8_t* g_team_spr[2] = {};
uint32_t g_team_spr_size[2] = {};
uint32_t g_team_offsets[2][3][SW_STORED_VIEWS];

const char* const k_marker_files[SW_MARKERS] = {
    "game_gfx\\software\\redx.lbm", "game_gfx\\software\\yello.lbm",  "game_gfx\\software\\yellox.lbm",
    "game_gfx\\software\\blue.lbm", "game_gfx\\software\\silv.lbm",   "game_gfx\\software\\orange.lbm",
    "game_gfx\\software\\black.lbm",
};
const char* const k_sky_files[4] = {"sw display\\gfx\\clouds1.lbm", "sw display\\gfx\\dusk.lbm",
                                    "sw display\\gfx\\storm.lbm", "sw display\\gfx\\whisp.lbm"};
const char* const k_weather_files[4] = {"palette\\PAL_kob.lbm", "palette\\PAL_kob_d.lbm", "palette\\PAL_kob_s.lbm",
                                        "palette\\PAL_kob_w.lbm"};
const uint32_t k_shadow_tints[4] = {8, 32, 64, 96};
const uint32_t k_arrow_tints[4] = {1, 268435584, 4160, 268435584};

// The outline of the ground round the oval, as stored (point 5 is raised).
const float k_outline[16][3] = {
    {0.0f, 0.0f, 3279.5f},
    {1884.7117919921875f, 0.0f, 3029.86279296875f},
    {3482.493408203125f, 0.0f, 2318.95654296875f},
    {4550.0966796875f, 0.0f, 1255.01025390625f},
    {4924.9892578125f, 0.0f, 0.000143f},
    {4550.0966796875f, 75.0f, -1255.01025390625f},
    {3482.493408203125f, 0.0f, -2318.95654296875f},
    {1884.7117919921875f, 0.0f, -3029.86279296875f},
    {0.0f, 0.0f, -3279.5f},
    {-1884.7117919921875f, 0.0f, -3029.86279296875f},
    {-3482.493408203125f, 0.0f, -2318.95654296875f},
    {-4550.0966796875f, 0.0f, -1255.01025390625f},
    {-4924.9892578125f, 0.0f, -0.000143f},
    {-4550.0966796875f, 0.0f, 1255.01025390625f},
    {-3482.493408203125f, 0.0f, 2318.95654296875f},
    {-1884.7117919921875f, 0.0f, 3029.86279296875f},
};

[[noreturn]] void bad_file(const char* name) { fatal_error_sub(FATAL_CANT_LOAD_FILE, 0, name, 0); }

// A decoded picture; its bytes (rows of the width rounded to 16) go to size_out.
uint8_t* load_picture(const char* name, uint32_t* size_out, uint8_t* palette = sw_match_palette)
{
    uint32_t size = 0;
    uint8_t* file = load_file(data_path(name), &size);
    uint32_t w = 0, h = 0;
    uint8_t* pic = load_iff_picture_sized(file, size, palette, &w, &h);
    free_mem(file);
    if (!pic) bad_file(name);
    *size_out = w * h;
    return pic;
}

// The first `bytes` of the picture in a buffer of its own, `before` bytes in.
uint8_t* load_texture(const char* name, uint32_t bytes, const char* tag, uint32_t buffer_size, uint32_t before)
{
    uint32_t have = 0;
    uint8_t* pic = load_picture(name, &have);
    if (have < bytes) {
        free_mem(pic);
        bad_file(name);
    }
    uint8_t* t = static_cast<uint8_t*>(alloc_mem(buffer_size, tag));
    std::memset(t, 0, buffer_size);
    std::memcpy(t + before, pic, bytes);
    free_mem(pic);
    return t;
}

void free_block(uint8_t*& p)
{
    if (p) free_mem(p);
    p = nullptr;
}

// The 11 tables of the shared file: the frames in order, each checked whole
// and marked with its table's number.
void walk_shared_frames(const char* name)
{
    uint64_t at = 0;
    for (int32_t t = 0; t < SW_SHARED_TABLES; ++t)
        for (int32_t v = 0; v < SW_STORED_VIEWS; ++v) {
            if (at + SW_FRAME_HEADER > g_shared_size) bad_file(name);
            const uint8_t* f = g_shared_file + at;
            uint64_t next = at + SW_FRAME_HEADER + uint64_t(f[1]) * f[4];
            if (f[0] != t || next > g_shared_size) bad_file(name);
            shared_sprite_offsets[t][v] = uint32_t(at);
            at = next;
        }
}

sprite_set_row shared_row(int32_t table) { return sprite_set_row{shared_sprite_offsets[table], g_shared_file, g_shared_size}; }

void fill_shared_rows(sprite_set_table& s)
{
    s.sets[2] = s.sets[3] = shared_row(SHARED_ARMS);
    s.sets[4] = s.sets[5] = shared_row(SHARED_HANDS);
    s.sets[12] = s.sets[13] = shared_row(SHARED_FEET);
    s.sets[6] = s.sets[7] = shared_row(SHARED_HEAD);
}

void fill_official_rows(sprite_set_table& s, int32_t body)
{
    fill_shared_rows(s);
    s.sets[0] = s.sets[1] = shared_row(body);
    s.sets[8] = s.sets[9] = shared_row(body + 1);
    s.sets[10] = s.sets[11] = shared_row(body + 2);
}

} // namespace

void build_multiply_table()
{
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b) sw_multiply_table[a][b] = b == 255 ? 0 : a * b;
}

void init_sprite_system(const char* sprite_file, Surface* surface, const uint32_t* ball_offsets)
{
    build_sincos_table();
    build_view_direction_table();
    build_multiply_table();
    free_sprite_buffer();
    g_shared_file = load_file(data_path(sprite_file), &g_shared_size);
    walk_shared_frames(sprite_file);
    sw_shared_sprite_file = g_shared_file;
    sw_shared_sprite_size = g_shared_size;
    ball_sprite_offsets = ball_offsets ? ball_offsets : shared_sprite_offsets[SHARED_BALL];
    fill_official_rows(official_sprite_sets, OFFICIAL_A_BODY);
    fill_official_rows(other_official_sprite_sets, OFFICIAL_B_BODY);
    fill_shared_rows(home_sprite_sets);
    fill_shared_rows(away_sprite_sets);
    sw_man_surface = surface;
    reset_sw_display_lists();
}

void free_sprite_buffer()
{
    free_block(g_shared_file);
    g_shared_size = 0;
    sw_shared_sprite_file = nullptr;
    sw_shared_sprite_size = 0;
    ball_sprite_offsets = nullptr;
}

void load_team_sprites(int32_t home_team, int32_t away_team)
{
    free_team_sprites();
    const int32_t teams[2] = {home_team, away_team};
    const char* const sides[2] = {"home", "away"};
    sprite_set_table* tables[2] = {&home_sprite_sets, &away_sprite_sets};
    for (int32_t i = 0; i < 2; ++i) {
        if (teams[i] < 0 || teams[i] >= SW_TEAMS) fatal_error_sub(FATAL_CANT_LOAD_FILE, uint32_t(teams[i]), "team sprites", 0);
        std::string dir = std::string("sw team gfx\\") + team_sprite_dirs[teams[i]] + "\\spr\\CCup\\" + sides[i] + "\\";
        std::string spr = dir + "Team.spr", dwd = dir + "Team.dwd", pal = dir + "Team.pal";
        g_team_spr[i] = load_file(data_path(spr.c_str()), &g_team_spr_size[i]);
        uint32_t size = 0;
        uint8_t* table = load_file(data_path(dwd.c_str()), &size);
        bool whole = size >= 3 * SW_STORED_VIEWS * 4;
        for (int32_t t = 0; whole && t < 3; ++t)
            for (int32_t v = 0; v < SW_STORED_VIEWS; ++v) {
                const uint8_t* p = table + (t * SW_STORED_VIEWS + v) * 4;
                g_team_offsets[i][t][v] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
                sprite_set_row row{g_team_offsets[i][t], g_team_spr[i], g_team_spr_size[i]};
                if (!sprite_frame(row, v)) whole = false;
            }
        free_mem(table);
        if (!whole) bad_file(dwd.c_str());
        uint8_t* palette = load_file(data_path(pal.c_str()), &size);
        if (size < 768) {
            free_mem(palette);
            bad_file(pal.c_str());
        }
        std::memcpy(team_palettes[i], palette, 768);
        free_mem(palette);
        sprite_set_table& s = *tables[i];
        for (int32_t t = 0; t < 3; ++t) {
            sprite_set_row row{g_team_offsets[i][t], g_team_spr[i], g_team_spr_size[i]};
            const int32_t first = t == 0 ? 0 : t == 1 ? 8 : 10;
            s.sets[first] = s.sets[first + 1] = row;
        }
    }
}

void free_team_sprites()
{
    for (int32_t i = 0; i < 2; ++i) {
        free_block(g_team_spr[i]);
        g_team_spr_size[i] = 0;
    }
    for (sprite_set_table* s : {&home_sprite_sets, &away_sprite_sets})
        for (int32_t set : {0, 1, 8, 9, 10, 11}) s->sets[set] = sprite_set_row{};
}

void load_sw_pitch_texture_pair(const char* first, uint8_t** first_out, const char* second, uint8_t** second_out)
{
    const char* names[2] = {first, second};
    uint8_t** outs[2] = {first_out, second_out};
    const char* tags[2] = {"pitch_texture", "ground_texture"};
    for (int i = 0; i < 2; ++i) {
        uint8_t* t = load_texture(names[i], SW_GROUND_TEXTURE, tags[i], SW_GROUND_BUFFER, 4);
        // The guards repeat the far end, so a fill may read a little past either end.
        std::memcpy(t, t + 4 + SW_GROUND_TEXTURE - 4, 4);
        std::memcpy(t + 4 + SW_GROUND_TEXTURE, t + 4, 4);
        *outs[i] = t;
    }
}

void load_sw_pitch_textures()
{
    free_block(pitch_texture);
    free_block(ground_texture);
    load_sw_pitch_texture_pair("sw display\\gfx\\grassy.lbm", &pitch_texture, "sw display\\gfx\\grss_p.lbm", &ground_texture);
}

void load_sw_shadow_texture(const char* path, uint8_t** texture_out, uint8_t alpha_out[4][256])
{
    *texture_out = load_texture(path, SW_SMALL_TEXTURE, "Shadow texture", SW_SMALL_TEXTURE, 0);
    uint8_t* alpha = static_cast<uint8_t*>(alloc_mem(4 * 256, "Shadow alpha table"));
    for (int i = 0; i < 4; ++i) build_shade_table(sw_weather_palette, alpha + 256 * i, k_shadow_tints[i]);
    std::memcpy(alpha_out, alpha, 4 * 256);
    free_mem(alpha);
}

void build_arrow_alpha_table()
{
    for (int i = 0; i < 4; ++i) build_shade_table(sw_weather_palette, arrow_alpha_table[i], k_arrow_tints[i]);
}

void load_marker_textures()
{
    free_marker_textures();
    for (int i = 0; i < SW_MARKERS; ++i)
        marker_textures[i] = load_texture(k_marker_files[i], SW_SMALL_TEXTURE, "circle texture", SW_SMALL_TEXTURE, 0);
    uint32_t size = 0;
    target_picture = load_picture("game_gfx\\software\\target2.lbm", &size);
    build_controlled_marker_frames();
}

// The controlled man's ring turns: each frame leaves out two opposite
// eighths of it, a step further round.
void build_controlled_marker_frames()
{
    const uint8_t* ring = marker_textures[MARKER_TEXTURE_CONTROLLED];
    for (int32_t k = 0; k < SW_MARKER_FRAMES; ++k) {
        free_block(controlled_marker_frames[k]);
        if (!ring) continue;
        auto* frame = static_cast<uint8_t*>(alloc_mem(SW_SMALL_TEXTURE, "circle texture"));
        for (int32_t y = 0; y < 64; ++y)
            for (int32_t x = 0; x < 64; ++x) {
                const double a = std::atan2(y - 31.5, x - 31.5) + 3.141592653589793;
                const int32_t eighth = static_cast<int32_t>(a * 4.0 / 3.141592653589793) & 7;
                frame[y * 64 + x] = (eighth & 3) == k ? 0 : ring[y * 64 + x];
            }
        controlled_marker_frames[k] = frame;
    }
}

void free_marker_textures()
{
    for (uint8_t*& t : marker_textures) free_block(t);
    for (uint8_t*& t : controlled_marker_frames) free_block(t);
    free_block(target_picture);
}

void load_kick_frames()
{
    free_kick_frames();
    char name[64];
    for (int i = 0; i < SW_KICK_FRAMES; ++i) {
        std::snprintf(name, sizeof name, "game_gfx\\software\\kick%04d.lbm", i + 1);
        kick_frames[i] = load_texture(name, SW_SMALL_TEXTURE, "arrow texture", SW_SMALL_TEXTURE, 0);
        std::snprintf(name, sizeof name, "game_gfx\\software\\pass%d.lbm", i);
        pass_frames[i] = load_texture(name, SW_SMALL_TEXTURE, "arrow texture", SW_SMALL_TEXTURE, 0);
    }
    arrow_work_texture = static_cast<uint8_t*>(alloc_mem(SW_SMALL_TEXTURE, "arrow texture"));
    std::memset(arrow_work_texture, 0, SW_SMALL_TEXTURE);
}

void free_kick_frames()
{
    for (int i = 0; i < SW_KICK_FRAMES; ++i) {
        free_block(kick_frames[i]);
        free_block(pass_frames[i]);
    }
    free_block(arrow_work_texture);
}

void load_pitch_logo()
{
    if (!pitch_pieces_on) return;
    free_pitch_lines();
    for (pitch_piece& p : pitch_piece_table) {
        if (!p.file) continue;
        p.picture = load_texture(p.file, uint32_t(p.width * p.height), "pitch piece", 65536, 0);
    }
}

void free_pitch_lines()
{
    if (!pitch_pieces_on) return;
    for (pitch_piece& p : pitch_piece_table)
        if (p.file) free_block(p.picture);
}

const char* choose_sky_picture(int32_t sky_index) { return k_sky_files[uint32_t(sky_index) & 3]; }
const char* weather_palette_file(int32_t weather_index) { return k_weather_files[uint32_t(weather_index) & 3]; }

void load_sw_weather_palette(int32_t weather_index)
{
    const char* name = weather_palette_file(weather_index);
    uint32_t size = 0;
    uint8_t* pic = load_picture(name, &size, sw_weather_palette);
    free_mem(pic);
    set_palette_6bit(sw_weather_palette, 0, 256);
    std::snprintf(current_palette_file, sizeof current_palette_file, "%s", name);
}

int32_t load_sw_meshes(int32_t, const char* sky_path, uint8_t** sky_out)
{
    for (x_mesh* m : {&sw_pitch_mesh, &sw_stadium_mesh, &sw_behind_posts, &sw_goal_posts, &sw_sky_mesh}) free_x_mesh(m);
    const double unit[3] = {1.0, 1.0, 1.0};
    if (parse_x_mesh(&sw_pitch_mesh, "sw display\\mesh\\pitch.x", unit, 0) == 1) {
        const std::vector<double>& v = sw_pitch_mesh.vertex_double;
        if (sw_pitch_mesh.vertex_count < 3) fatal_error_sub(FATAL_SILENT, 0, "pitch.x", 0);
        double dx = v[6] - v[0], dz = v[5] - v[2];
        if (dx == 0.0 || dz == 0.0) fatal_error_sub(FATAL_SILENT, 0, "pitch.x", 0);
        sw_pitch_x_scale = 24200.0 / dx;
        sw_pitch_z_scale = 15800.0 / dz;
        for (int i = 0; i < 16; ++i) {
            ground_outline[i][0] = int32_t(k_outline[i][0] * (2.0 / 3.0 * sw_pitch_x_scale));
            ground_outline[i][1] = int32_t(k_outline[i][1]);
            ground_outline[i][2] = int32_t(k_outline[i][2] * (2.0 / 3.0 * sw_pitch_z_scale));
        }
    }
    const int32_t rect[5] = {0, 0, 640, sw_screen_height(), 0};
    d3d_meshes_on = 1;
    const double stadium[3] = {2.0 / 3.0 * sw_pitch_z_scale, 1.874, 2.0 / 3.0 * sw_pitch_x_scale};
    const double posts[3] = {sw_pitch_z_scale, 4.216444132, sw_pitch_x_scale};
    load_clipped_mesh(&sw_stadium_mesh, "sw display\\mesh\\stadium.x", rect, stadium, 1);
    sw_stadium_mesh.flags = MESH_NO_DEPTH_SLICES;
    load_clipped_mesh(&sw_behind_posts, "sw display\\mesh\\post02.x", rect, posts, 1);
    load_clipped_mesh(&sw_goal_posts, "sw display\\mesh\\post01.x", rect, posts, 1);
    load_clipped_mesh(&sw_sky_mesh, "sw display\\mesh\\sky.x", rect, stadium, 1);
    sw_sky_mesh.flags = MESH_ROWS_ONLY;
    sw_goal_post_mesh = &sw_goal_posts;
    sw_behind_post_mesh = &sw_behind_posts;

    uint32_t size = 0;
    uint8_t* pic = load_picture(sky_path, &size);
    if (size < uint32_t(SW_SKY_WIDTH * SW_SKY_HEIGHT)) {
        free_mem(pic);
        bad_file(sky_path);
    }
    free_block(sky_picture);
    sky_picture = static_cast<uint8_t*>(alloc_mem(SW_SKY_WIDTH * SW_SKY_HEIGHT, "sky picture"));
    std::memcpy(sky_picture, pic, SW_SKY_WIDTH * SW_SKY_HEIGHT);
    free_mem(pic);
    *sky_out = sky_picture;
    return 1;
}

void free_sw_meshes()
{
    free_block(sky_picture);
    for (x_mesh* m : {&sw_pitch_mesh, &sw_stadium_mesh, &sw_behind_posts, &sw_goal_posts, &sw_sky_mesh}) free_x_mesh(m);
}

void free_sw_textures()
{
    free_ground_geometry_buffers();
    free_block(shadow_texture);
}

void free_first_match_buffer() { free_block(sprite_scaling_work); }

void free_ground_geometry_buffers()
{
    free_block(pitch_texture);
    free_block(ground_texture);
}

void free_further_match_buffers()
{
    free_team_sprites();
    free_block(shadow_texture);
}

void set_up_sw_match(const SwMatchChoice& choice, Surface* back_buffer)
{
    // Nothing of the last match's frames carries into this one's.
    reset_sw_spans();
    free_block(sprite_scaling_work);
    sprite_scaling_work = static_cast<uint8_t*>(alloc_mem(SW_SCALING_BUFFER, "Sprite scaling buffer"));
    load_sw_pitch_textures();
    load_pitch_logo();
    pump_messages();
    const char* sky = choose_sky_picture(choice.sky);
    init_sprite_system("sw team gfx\\kob.spr", back_buffer, nullptr);
    pump_messages();
    init_sprite_engine();
    pump_messages();
    load_team_sprites(choice.home_team, choice.away_team);
    pump_messages();
    load_sw_weather_palette(choice.weather);
    free_block(shadow_texture);
    load_sw_shadow_texture("game_gfx\\software\\shadow2.lbm", &shadow_texture, shadow_alpha_table);
    build_arrow_alpha_table();
    load_marker_textures();
    load_kick_frames();
    pump_messages();
    if (display_state.driver_count == 0) {
        enum_display_modes();
        int32_t driver = SW_CHOOSE, mode = display_state.chosen_mode;
        if (!enum_d3d_drivers(&driver, &mode)) fatal_error_sub(FATAL_DIRECTX, 0, "no software display driver", 0);
        display_state.current_driver = driver;
    }
    if (!start_d3d_device(back_buffer)) fatal_error_sub(FATAL_DIRECTX, 0, "software display device", 0);
    attach_display_palette(back_buffer);
    d3d2_set_initial_states();
    pump_messages();
    uint8_t* sky_out = nullptr;
    if (load_sw_meshes(0, sky, &sky_out)) pump_messages();
}

void release_sw_match()
{
    free_first_match_buffer();
    free_sw_meshes();
    free_sprite_buffer();
    free_ground_geometry_buffers();
    free_further_match_buffers();
    free_marker_textures();
    free_kick_frames();
    free_pitch_lines();
}
