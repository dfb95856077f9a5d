// Picture breaks of the menu and loading screens.
#include "gl3d/menu_objects.h"

#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"
#include "gl3d/timer_pool.h"
#include "host/clock.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int32_t TILE_TEXTURES = 2 * MENU_TILE_BANK;
constexpr float MAX_LAP_MS = 200.0f;
constexpr float DEGREES = 0.017453292f;

int32_t g_tile_ids[TILE_TEXTURES];
int32_t g_tiles_loaded = 0;

std::unique_ptr<menu_3d_object> g_objects[MENU_OBJECT_SLOTS];
int32_t g_order[MENU_OBJECT_SLOTS] = {-1, -1};
int32_t g_order_count = 0;
int32_t g_finished = 0;
int32_t g_width = 0, g_height = 0;
uint32_t g_filter = 0, g_z_buffer = 0, g_blend = 0;

void tile_name(int32_t n, char* out, size_t size) { std::snprintf(out, size, "_128_128_%02d.tga", n); }

menu_3d_object* resolve(int32_t slot, int32_t index)
{
    if (slot < 0) {
        if (index < 0 || index >= g_order_count) return nullptr;
        slot = g_order[index];
    }
    return slot >= 0 && slot < MENU_OBJECT_SLOTS ? g_objects[slot].get() : nullptr;
}

uint8_t channel(float v)
{
    const long r = std::lround(v);
    return static_cast<uint8_t>(r < 0 ? 0 : (r > 255 ? 255 : r));
}

void shade(const menu_3d_object& o, float x, float y, float brightness, uint8_t* rgba)
{
    float r = 255, g = 255, b = 255;
    quad_shade(o.quad, x, y, &r, &g, &b);
    rgba[0] = channel(r * brightness), rgba[1] = channel(g * brightness), rgba[2] = channel(b * brightness);
}

// --- Tiles ---

void build_tiles(menu_3d_object& o, const uint32_t* pixels)
{
    const int32_t across = static_cast<int32_t>(std::floor(g_width * 0.0078125 + 0.999));
    const int32_t down = static_cast<int32_t>(std::floor(g_height * 0.0078125 + 0.999));
    o.tiles.resize(static_cast<size_t>(across * down));
    int32_t n = 0;
    for (int32_t top = 0; top < g_height; top += MENU_TILE_SIZE)
        for (int32_t left = 0; left < g_width; left += MENU_TILE_SIZE, ++n) {
            menu_3d_tile& t = o.tiles[static_cast<size_t>(n)];
            t.top = top, t.left = left;
            t.width = std::min(MENU_TILE_SIZE, g_width - left), t.height = std::min(MENU_TILE_SIZE, g_height - top);
            t.texture_width = round_up_pow2(t.width), t.texture_height = round_up_pow2(t.height);
            // The bank still drawn by the other object is left alone.
            const int32_t texture = get_texture_use_count(g_tile_ids[n]) != 0 ? n + MENU_TILE_BANK : n;
            char name[32];
            tile_name(texture, name, sizeof name);
            if (named_texture* named = tex_find_by_name(name); named && named->bitmap && named->bitmap->bits == 32) {
                DibSection& bitmap = *named->bitmap;
                for (int32_t row = 0; row < t.height && row < bitmap.height; ++row) {
                    uint8_t* to = bitmap.row(row);
                    const uint32_t* from = pixels + static_cast<size_t>(top + row) * static_cast<size_t>(g_width) + left;
                    for (int32_t column = 0; column < t.width && column < bitmap.width; ++column) {
                        const uint32_t p = from[column];
                        to[column * 4] = static_cast<uint8_t>(p), to[column * 4 + 1] = static_cast<uint8_t>(p >> 8);
                        to[column * 4 + 2] = static_cast<uint8_t>(p >> 16), to[column * 4 + 3] = static_cast<uint8_t>(p >> 24);
                    }
                }
            }
            // The first use puts the texture back on the device with its new pixels.
            t.texture = find_or_load_texture(name);
        }
}

// --- Pieces ---

void free_pieces(menu_3d_object& o)
{
    o.pieces.clear();
    for (menu_3d_tile& t : o.tiles) {
        t.vertices.clear(), t.uv.clear(), t.indices.clear();
        t.out_vertices.clear(), t.out_uv.clear(), t.out_indices.clear(), t.colours.clear();
        t.out_vertex_count = t.out_index_count = t.skipped_vertices = 0;
    }
}

void build_pieces(menu_3d_object& o, int32_t pw, int32_t ph)
{
    free_pieces(o);
    const int32_t columns = static_cast<int32_t>(std::floor(static_cast<double>(g_width) / pw + 0.999));
    const int32_t rows = static_cast<int32_t>(std::floor(static_cast<double>(g_height) / ph + 0.999));
    o.pieces.reserve(static_cast<size_t>(columns * rows));
    const float hw = static_cast<float>(g_width / 2), hh = static_cast<float>(g_height / 2);
    for (int32_t y = 0; y < g_height; y += ph)
        for (int32_t x = 0; x < g_width; x += pw) {
            const int32_t right = std::min(x + pw, g_width), bottom = std::min(y + ph, g_height);
            const long cx = std::lround((x + right) * 0.5), cy = std::lround((y + bottom) * 0.5);
            uint32_t tile = 0;
            while (tile + 1 < o.tiles.size()) {
                const menu_3d_tile& t = o.tiles[tile];
                if (t.left <= cx && cx <= t.left + t.width && t.top <= cy && cy <= t.top + t.height) break;
                ++tile;
            }
            menu_3d_tile& t = o.tiles[tile];
            // Laid out at the tile texture's own size, whatever the tile's.
            const float tw = MENU_TILE_SIZE, th = MENU_TILE_SIZE;
            const float ua = static_cast<float>(x - t.left) / tw, ub = static_cast<float>(right - t.left) / tw;
            const float va = static_cast<float>(y - t.top) / th, vb = static_cast<float>(bottom - t.top) / th;
            const uint32_t k = static_cast<uint32_t>(t.vertices.size() / 3);
            const float x0 = static_cast<float>(x) - hw, x1 = static_cast<float>(right) - hw;
            const float y0 = static_cast<float>(y) - hh, y1 = static_cast<float>(bottom) - hh;
            t.vertices.insert(t.vertices.end(), {x0, y0, 0, x1, y0, 0, x1, y1, 0, x0, y1, 0});
            t.uv.insert(t.uv.end(), {ua, va, ub, va, ub, vb, ua, vb});
            const uint32_t i = static_cast<uint32_t>(t.indices.size());
            t.indices.insert(t.indices.end(), {k, k + 1, k + 2, k, k + 2, k + 3});
            menu_3d_piece piece;
            piece.first_vertex = static_cast<int32_t>(k);
            piece.first_index = i;
            piece.tile = tile;
            o.pieces.push_back(piece);
        }
    for (menu_3d_tile& t : o.tiles) {
        t.out_vertices.assign(t.vertices.size(), 0.0f);
        t.out_uv.assign(t.uv.size(), 0.0f);
        t.out_indices.assign(t.indices.size(), 0);
        t.colours.assign(t.vertices.size() / 3 * 4, 255);
    }
}

void setup_explode(menu_3d_object& o, float speed)
{
    o.motion = MOTION_TRANSLATE | MOTION_PIVOT | MOTION_TURN_X | MOTION_TURN_Y | MOTION_TURN_Z;
    for (menu_3d_piece& p : o.pieces) {
        const float* v = &o.tiles[p.tile].vertices[static_cast<size_t>(p.first_vertex) * 3];
        for (int a = 0; a < 3; ++a) p.pivot[a] = (v[a] + v[3 + a] + v[6 + a] + v[9 + a]) * 0.25f;
        float s[3];
        for (float& value : s) value = static_cast<float>(host_rand()) / 32767.0f * 2.6666667f - 1.3333334f;
        p.angular_rate[0] = s[1] * speed, p.angular_rate[1] = s[0] * speed, p.angular_rate[2] = s[2] * speed;
        // Out from the screen centre; the piece on the centre stays where it is.
        const float length = std::sqrt(p.pivot[0] * p.pivot[0] + p.pivot[1] * p.pivot[1] + p.pivot[2] * p.pivot[2]);
        for (int a = 0; a < 3; ++a) p.velocity[a] = length > 0 ? p.pivot[a] / length * speed : 0.0f;
    }
}

void setup_swing(menu_3d_object& o, const float pivot[3], const float rates[3])
{
    o.motion = MOTION_PIVOT | MOTION_TURN_X | MOTION_TURN_Y | MOTION_TURN_Z;
    for (menu_3d_piece& p : o.pieces)
        for (int a = 0; a < 3; ++a) p.pivot[a] = pivot[a], p.angular_rate[a] = rates[a];
}

void setup_scale(menu_3d_object& o, const float pivot[3], const float scale[3], const float factors[3])
{
    o.motion = MOTION_PIVOT | MOTION_SCALE;
    for (menu_3d_piece& p : o.pieces)
        for (int a = 0; a < 3; ++a) p.pivot[a] = pivot[a], p.scale[a] = scale[a], p.scale_factor[a] = factors[a];
}

void setup_hinge(menu_3d_object& o, int32_t kind, const float rates[3])
{
    o.motion = MOTION_PIVOT | (kind < 2 ? MOTION_TURN_Y : MOTION_TURN_X);
    const int corner = kind == 1 ? 1 : (kind == 3 ? 2 : 0);
    for (menu_3d_piece& p : o.pieces) {
        const float* v = &o.tiles[p.tile].vertices[(static_cast<size_t>(p.first_vertex) + corner) * 3];
        for (int a = 0; a < 3; ++a) p.pivot[a] = v[a], p.angular_rate[a] = rates[a];
    }
}

void setup_tint(menu_3d_object& o)
{
    o.motion = MOTION_TINT;
    for (menu_3d_tile& t : o.tiles)
        for (size_t v = 0; v * 3 < t.vertices.size(); ++v) shade(o, t.vertices[v * 3], t.vertices[v * 3 + 1], 1.0f, &t.colours[v * 4]);
}

void setup_colour_effect(menu_3d_object& o, const QuadColour start[4], float target, bool random_durations)
{
    quad_setcorners(o.quad, start);
    uint32_t ms[3] = {750, 750, 750};
    if (random_durations)
        for (uint32_t& d : ms) d = static_cast<uint32_t>(750 + host_rand() * 800 / 32767 - 400);
    const QuadColour to{target, target, target};
    const QuadColour targets[4] = {to, to, to, to};
    quad_settarget(o.quad, ms[0], ms[1], ms[2], targets, {0, 0, 0}, {255, 255, 255});
    setup_tint(o);
}

QuadColour grey(float v) { return {v, v, v}; }

void setup_effect(menu_3d_object& o, int32_t style, int32_t effect)
{
    static const int32_t piece_size[7][2] = {{128, 128}, {32, 32}, {64, 64}, {128, 128}, {128, 128}, {32, 128}, {128, 32}};
    if (style >= 0 && style <= 6) build_pieces(o, piece_size[style][0], piece_size[style][1]);
    else free_pieces(o);
    static const int32_t shrink_pick[8] = {4, 5, 6, 7, 8, 9, 10, 4};
    if (effect == 11) effect = shrink_pick[host_rand() & 7];
    else if (effect == 17) effect = 13 + (host_rand() & 3);
    else if (effect == 22) effect = 18 + (host_rand() & 3);
    if (effect < 0 || effect > 25) return;
    o.running = 0;
    const float hw = static_cast<float>(g_width / 2), hh = static_cast<float>(g_height / 2);
    switch (effect) {
    case 0:
        o.finished_test = MenuFinishedTest::none;
        return;
    case 1: case 2: case 3: case 23: case 24: case 25: {
        QuadColour start[4];
        if (effect == 1) for (QuadColour& c : start) c = grey(0);
        if (effect == 2) start[0] = grey(-350), start[1] = grey(-150), start[2] = grey(-1), start[3] = grey(-200);
        if (effect == 23) for (QuadColour& c : start) c = grey(255);
        if (effect == 24) start[0] = grey(255), start[1] = grey(505), start[2] = grey(655), start[3] = grey(405);
        if (effect == 3 || effect == 25)
            for (QuadColour& c : start)
                for (float* value : {&c.red, &c.green, &c.blue}) {
                    const float spread = static_cast<float>(host_rand() * 1200 / 32767);
                    *value = effect == 3 ? -spread : 255 + spread;
                }
        setup_colour_effect(o, start, effect <= 3 ? 255.0f : 0.0f, effect == 3 || effect == 25);
        o.finished_test = MenuFinishedTest::with_quad;
        return;
    }
    case 12:
        setup_explode(o, 0.5f);
        o.finished_test = MenuFinishedTest::when_unseen;
        return;
    default:
        break;
    }
    if (effect >= 4 && effect <= 10) {
        // pivot x, y; scale x, y; factor x, y
        const float rows[7][6] = {{0, 0, 0.996f, 0.996f, 0.9875f, 0.9875f},   {0, 0, 0.996f, 0.98f, 0.9875f, 0.96875f},
                                  {0, 0, 0.98f, 0.996f, 0.96875f, 0.9875f},   {hw, 0, 0.996f, 1, 0.9875f, 1},
                                  {-hw, 0, 0.996f, 1, 0.9875f, 1},            {0, -hh, 1, 0.996f, 1, 0.9875f},
                                  {0, hh, 1, 0.996f, 1, 0.9875f}};
        const float* r = rows[effect - 4];
        const float pivot[3] = {r[0], r[1], 0}, scale[3] = {r[2], r[3], 1}, factors[3] = {r[4], r[5], 1};
        setup_scale(o, pivot, scale, factors);
        o.finished_test = MenuFinishedTest::by_scale;
    } else if (effect >= 13 && effect <= 16) {
        const float rows[4][4] = {{320, 0, 0, -0.18f}, {-320, 0, 0, 0.18f}, {0, -240, 0.18f, 0}, {0, 240, -0.18f, 0}};
        const float* r = rows[effect - 13];
        const float pivot[3] = {r[0], r[1], 0}, rates[3] = {r[2], r[3], 0};
        setup_swing(o, pivot, rates);
        o.finished_test = MenuFinishedTest::by_angle;
    } else if (effect >= 18 && effect <= 21) {
        static const int32_t kinds[4] = {2, 3, 0, 1};
        const float about_x[3] = {0.18f, 0, 0}, about_y[3] = {0, 0.18f, 0}, about_y_back[3] = {0, -0.18f, 0};
        const int32_t kind = kinds[effect - 18];
        setup_hinge(o, kind, kind >= 2 ? about_x : (kind == 0 ? about_y : about_y_back));
        o.finished_test = MenuFinishedTest::by_angle;
    }
}

// --- Each frame ---

void run_finished_test(menu_3d_object& o)
{
    const int32_t count = static_cast<int32_t>(o.pieces.size());
    switch (o.finished_test) {
    case MenuFinishedTest::none:
        break;
    case MenuFinishedTest::when_unseen:
        o.active_pieces = count;
        break;
    case MenuFinishedTest::by_angle:
        o.active_pieces = 0;
        for (menu_3d_piece& p : o.pieces) {
            if (!p.active) continue;
            bool within = true;
            for (float a : p.angle) within = within && a >= -90.0f && a <= 90.0f;
            if (within) ++o.active_pieces;
            else p.active = 0;
        }
        break;
    case MenuFinishedTest::by_scale:
        o.active_pieces = count;
        for (const menu_3d_piece& p : o.pieces)
            if (p.active && (p.scale[0] < 0.002f || p.scale[1] < 0.002f || p.scale[2] < 0.002f)) --o.active_pieces;
        break;
    case MenuFinishedTest::with_quad:
        o.active_pieces = o.quad_finished ? 0 : count;
        break;
    }
}

void move_vertex(const menu_3d_object& o, const menu_3d_piece& p, const float* in, float* out, uint8_t* rgba)
{
    float x = in[0], y = in[1], z = in[2];
    float nx = 0, ny = 0, nz = -1;
    if (o.motion & MOTION_PIVOT) x -= p.pivot[0], y -= p.pivot[1], z -= p.pivot[2];
    if (o.motion & MOTION_SCALE) x *= p.scale[0], y *= p.scale[1], z *= p.scale[2];
    if (o.motion & MOTION_TURN_X) {
        const float a = p.angle[0] * DEGREES, c = std::cos(a), s = std::sin(a);
        const float y2 = y * c - z * s, z2 = y * s + z * c;
        y = y2, z = z2;
        nx = 0, ny = s, nz = -c;
    }
    if (o.motion & MOTION_TURN_Y) {
        const float b = p.angle[1] * DEGREES, c = std::cos(b), s = std::sin(b);
        const float x2 = x * c - z * s, z2 = x * s + z * c;
        x = x2, z = z2;
        nx = -s * nz, nz = c * nz;
    }
    if (o.motion & MOTION_TURN_Z) {
        const float g = p.angle[2] * DEGREES, c = std::cos(g), s = std::sin(g);
        const float x2 = x * c - y * s, y2 = y * c + x * s;
        x = x2, y = y2;
        const float nx2 = nx * c - ny * s, ny2 = ny * c + nx * s;
        nx = nx2, ny = ny2;
    }
    if (o.motion & MOTION_PIVOT) x += p.pivot[0], y += p.pivot[1], z += p.pivot[2];
    if (o.motion & MOTION_TRANSLATE) x += p.offset[0], y += p.offset[1], z += p.offset[2];
    out[0] = x, out[1] = y, out[2] = z;
    const float f = std::fabs(nz);
    shade(o, x, y, f * f, rgba);
}

void advance_piece(const menu_3d_object& o, menu_3d_piece& p)
{
    const int32_t laps = static_cast<int32_t>(o.lap);
    if (o.motion & (MOTION_TURN_X | MOTION_TURN_Y | MOTION_TURN_Z)) {
        for (int a = 0; a < 3; ++a) p.angle[a] += p.angular_rate[a] * o.lap;
        for (int32_t n = 0; n < laps; ++n)
            for (int a = 0; a < 3; ++a) p.angular_rate[a] *= p.angular_rate_factor[a];
    }
    if (o.motion & MOTION_TRANSLATE) {
        for (int a = 0; a < 3; ++a) p.offset[a] += p.velocity[a] * o.lap;
        for (int32_t n = 0; n < laps; ++n)
            for (int a = 0; a < 3; ++a) p.velocity[a] *= p.velocity_factor[a];
    }
    if (o.motion & MOTION_SCALE)
        for (int32_t n = 0; n < laps; ++n)
            for (int a = 0; a < 3; ++a) p.scale[a] *= p.scale_factor[a];
}

void update_object(menu_3d_object& o)
{
    o.quad_finished = static_cast<uint8_t>(quad_update(o.quad) ? 1 : 0);
    o.lap = static_cast<float>(timer_lap(o.timer));
    if (o.lap > MAX_LAP_MS) o.lap = MAX_LAP_MS;
    for (menu_3d_tile& t : o.tiles) t.out_vertex_count = t.out_index_count = t.skipped_vertices = 0;
    for (menu_3d_piece& p : o.pieces) {
        menu_3d_tile& t = o.tiles[p.tile];
        if (!p.active) {
            t.skipped_vertices += p.vertex_count;
            continue;
        }
        p.output_first_vertex = t.out_vertex_count;
        for (uint32_t i = 0; i < p.index_count; ++i)
            t.out_indices[t.out_index_count + i] = t.indices[p.first_index + i] - t.skipped_vertices;
        t.out_index_count += p.index_count;
        for (uint32_t v = 0; v < p.vertex_count; ++v) {
            const size_t from = static_cast<size_t>(p.first_vertex) + v, to = t.out_vertex_count + v;
            t.out_uv[to * 2] = t.uv[from * 2], t.out_uv[to * 2 + 1] = t.uv[from * 2 + 1];
            if (!o.running) {
                std::memcpy(&t.out_vertices[to * 3], &t.vertices[from * 3], 3 * sizeof(float));
                if (o.motion & MOTION_TINT) shade(o, t.vertices[from * 3], t.vertices[from * 3 + 1], 1.0f, &t.colours[to * 4]);
            } else {
                move_vertex(o, p, &t.vertices[from * 3], &t.out_vertices[to * 3], &t.colours[to * 4]);
            }
        }
        t.out_vertex_count += p.vertex_count;
        if (!o.running) ++o.active_pieces;
        else advance_piece(o, p);
    }
    run_finished_test(o);
}

void draw_object(menu_3d_object& o)
{
    update_object(o);
    for (size_t n = 0; n < o.tiles.size(); ++n) {
        menu_3d_tile& t = o.tiles[n];
        if (t.out_vertex_count == 0) continue;
        bind_texture(t.texture);
        set_vertex_array(t.out_vertex_count, 1, t.out_vertices.data());
        set_texcoord_array(t.out_vertex_count, 1, t.out_uv.data());
        set_colour_array(t.out_vertex_count, 1, t.colours.data());
        draw_vertex_arrays(static_cast<int32_t>(t.out_index_count), t.out_indices.data());
        for (menu_3d_piece& p : o.pieces) {
            if (p.tile != n || !p.active) continue;
            if (gl_range_visible(static_cast<int32_t>(p.output_first_vertex), p.vertex_count)) ++o.visible_pieces;
            else p.active = 0;
        }
    }
}

void release_object(menu_3d_object& o)
{
    for (const menu_3d_tile& t : o.tiles) release_texture(t.texture, 0);
    timer_delete(o.timer);
    quad_release(o.quad);
}

} // namespace

void load_tile_textures()
{
    if (g_tiles_loaded) return;
    std::vector<uint32_t> blank(MENU_TILE_SIZE * MENU_TILE_SIZE, 0);
    const TextureImage image{0, MENU_TILE_SIZE, MENU_TILE_SIZE, MENU_TILE_SIZE * 4, 1, 32, blank.data()};
    for (int32_t n = 0; n < TILE_TEXTURES; ++n) {
        char name[32];
        tile_name(n, name, sizeof name);
        g_tile_ids[n] = create_texture_from_image(name, &image);
        release_texture(g_tile_ids[n], 0);
    }
    g_tiles_loaded = 1;
}

void release_tile_textures()
{
    if (!g_tiles_loaded) return;
    for (int32_t id : g_tile_ids) release_texture(id, 1);
    g_tiles_loaded = 0;
}

int32_t tile_textures_loaded() { return g_tiles_loaded; }

int32_t create_3d_object(const uint32_t* pixels, int32_t style, int32_t effect, int32_t shown)
{
    int32_t slot = 0;
    while (slot < MENU_OBJECT_SLOTS && g_objects[slot]) ++slot;
    if (slot == MENU_OBJECT_SLOTS || !pixels) return -1;
    g_width = display_width(), g_height = display_height();
    const int64_t tiles = static_cast<int64_t>(std::floor(g_width * 0.0078125 + 0.999)) *
                          static_cast<int64_t>(std::floor(g_height * 0.0078125 + 0.999));
    if (g_width <= 0 || g_height <= 0 || tiles > MENU_TILE_BANK) return -1;
    if (!g_tiles_loaded) load_tile_textures();
    auto o = std::make_unique<menu_3d_object>();
    o->shown = shown;
    build_tiles(*o, pixels);
    o->quad = quad_create();
    // Edges included, so that the picture's right and bottom rows take the
    // quad's colours too.
    quad_setarea(o->quad, -(g_width / 2), -(g_height / 2), g_width / 2 + 1, g_height / 2 + 1);
    setup_effect(*o, style, effect);
    o->slot = slot;
    o->timer = timer_new();
    g_objects[slot] = std::move(o);
    g_order[g_order_count++] = slot;
    return slot;
}

void start_3d_object(int32_t slot, int32_t index, int32_t style, int32_t effect)
{
    if (menu_3d_object* o = resolve(slot, index)) setup_effect(*o, style, effect);
}

void show_3d_object(int32_t slot, int32_t index)
{
    if (menu_3d_object* o = resolve(slot, index)) {
        o->shown = 1;
        quad_flagon(o->quad);
    }
}

void hide_3d_object(int32_t slot, int32_t index)
{
    if (menu_3d_object* o = resolve(slot, index)) {
        o->shown = 0;
        quad_flagoff(o->quad);
    }
}

void restart_3d_object_timer(int32_t slot, int32_t index)
{
    if (menu_3d_object* o = resolve(slot, index)) {
        o->running = 1;
        timer_reset(o->timer);
        quad_start(o->quad);
        g_finished = 0;
    }
}

void stop_3d_object(int32_t slot, int32_t index)
{
    if (menu_3d_object* o = resolve(slot, index)) {
        quad_stop(o->quad);
        o->running = 0;
        g_finished = 1;
    }
}

int32_t object_running(int32_t slot, int32_t index)
{
    const menu_3d_object* o = resolve(slot, index);
    return o ? o->running : 0;
}

void free_3d_object(int32_t slot, int32_t index)
{
    g_finished = 1;
    menu_3d_object* o = resolve(slot, index);
    if (!o) return;
    const int32_t at = o->slot;
    release_object(*o);
    g_objects[at].reset();
    int32_t kept = 0;
    for (int32_t i = 0; i < g_order_count; ++i)
        if (g_order[i] != at) g_order[kept++] = g_order[i];
    for (int32_t i = kept; i < MENU_OBJECT_SLOTS; ++i) g_order[i] = -1;
    g_order_count = kept;
}

void free_all_3d_objects()
{
    for (int32_t slot = 0; slot < MENU_OBJECT_SLOTS; ++slot)
        if (g_objects[slot]) free_3d_object(slot, 0);
}

void draw_3d_objects()
{
    const uint32_t filter = get_bilinear_filter(), z = get_z_buffer(), blend = get_alpha_blend();
    set_bilinear_filter(g_filter);
    set_z_buffer(g_z_buffer);
    set_alpha_blend(g_blend);
    begin_2d_overlay();
    for (int32_t i = g_order_count - 1; i >= 0; --i) {
        menu_3d_object& o = *g_objects[g_order[i]];
        o.active_pieces = o.visible_pieces = 0;
        if (o.shown) draw_object(o);
    }
    end_2d_overlay();
    set_alpha_blend(blend);
    set_bilinear_filter(filter);
    set_z_buffer(z);
    for (int32_t i = g_order_count - 1; i >= 0; --i) {
        menu_3d_object& o = *g_objects[g_order[i]];
        if (o.shown && (o.active_pieces == 0 || o.visible_pieces == 0)) {
            quad_stop(o.quad);
            o.running = 0;
            g_finished = 1;
        }
    }
}

int32_t any_3d_object_active()
{
    for (const auto& o : g_objects)
        if (o && o->shown) return 1;
    return 0;
}

int32_t objects_finished() { return g_finished; }

int32_t next_3d_object(int32_t slot)
{
    for (int32_t i = 0; i + 1 < g_order_count; ++i)
        if (g_order[i] == slot) return g_order[i + 1];
    return -1;
}

void set_3d_object_filter(uint32_t on) { g_filter = on; }
uint32_t get_3d_object_filter() { return g_filter; }
void set_3d_object_z_buffer(uint32_t on) { g_z_buffer = on; }
uint32_t get_3d_object_z_buffer() { return g_z_buffer; }
void set_3d_object_blend(uint32_t on) { g_blend = on; }
uint32_t get_3d_object_blend() { return g_blend; }

int32_t round_up_pow2(int32_t n)
{
    int32_t p = 1;
    while (p < n) p <<= 1;
    return p;
}

float random_in_range(float v) { return static_cast<float>(host_rand()) / 32767.0f * 2 * v - v; }

const menu_3d_object* menu_3d_object_at(int32_t slot)
{
    return slot >= 0 && slot < MENU_OBJECT_SLOTS ? g_objects[slot].get() : nullptr;
}

void reset_menu_objects()
{
    free_all_3d_objects();
    g_order[0] = g_order[1] = -1;
    g_order_count = 0;
    g_finished = 0;
    g_width = g_height = 0;
    g_filter = g_z_buffer = g_blend = 0;
    g_tiles_loaded = 0;
}
