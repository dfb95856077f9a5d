// STAND-IN: see menu_objects_standin.h.
#include "standin/menu_objects_standin.h"

#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"
#include "host/clock.h"
#include "standin/provisional_subsystems.h"

#include <string>

namespace {

constexpr uint32_t EFFECT_MS = 250;

struct MenuObject {
    bool used = false;
    int32_t texture = -1;
    int32_t effect = 0;
    bool shown = false, running = false;
    uint32_t started = 0;
};
MenuObject g_objects[2];
int32_t g_order[2] = {-1, -1};
int32_t g_finished = 1;
int32_t g_made = 0;

int32_t resolve(int32_t slot, int32_t index)
{
    if (slot >= 0) return slot < 2 ? slot : -1;
    return index >= 0 && index < 2 ? g_order[index] : -1;
}

bool carries_away(int32_t effect) { return effect >= 4; }

float progress(const MenuObject& o)
{
    if (!o.running) return 1.0f;
    uint32_t t = host_time_ms() - o.started;
    return t >= EFFECT_MS ? 1.0f : static_cast<float>(t) / EFFECT_MS;
}

} // namespace

void load_tile_textures() { provisional_calls.emplace_back("load_tile_textures"); }
void release_tile_textures() { provisional_calls.emplace_back("release_tile_textures"); }

int32_t create_3d_object(const uint32_t* pixels, int32_t, int32_t effect, int32_t shown)
{
    int32_t slot = !g_objects[0].used ? 0 : (!g_objects[1].used ? 1 : -1);
    if (slot < 0) return -1;
    MenuObject& o = g_objects[slot];
    o = MenuObject{};
    o.used = true;
    o.effect = effect;
    o.shown = shown != 0;
    const int32_t w = layer_screen_width(), h = layer_screen_height();
    TextureImage image{0, static_cast<uint32_t>(w), static_cast<uint32_t>(h), static_cast<uint32_t>(w) * 4, 1, 32, pixels};
    std::string name = "menu object " + std::to_string(g_made++);
    o.texture = create_texture_from_image(name.c_str(), &image);
    if (g_order[0] < 0) g_order[0] = slot;
    else g_order[1] = slot;
    return slot;
}

void start_3d_object(int32_t slot, int32_t index, int32_t, int32_t effect)
{
    slot = resolve(slot, index);
    if (slot >= 0 && g_objects[slot].used) g_objects[slot].effect = effect;
}

void show_3d_object(int32_t slot, int32_t index)
{
    if (slot < 0 && index == 0) {
        for (MenuObject& o : g_objects) o.shown = o.used;
        return;
    }
    slot = resolve(slot, index);
    if (slot >= 0) g_objects[slot].shown = g_objects[slot].used;
}

void restart_3d_object_timer(int32_t slot, int32_t index)
{
    slot = resolve(slot, index);
    if (slot < 0 || !g_objects[slot].used) return;
    g_objects[slot].running = true;
    g_objects[slot].started = host_time_ms();
    g_finished = 0;
}

void free_3d_object(int32_t slot, int32_t index)
{
    slot = resolve(slot, index);
    g_finished = 1;
    if (slot < 0 || !g_objects[slot].used) return;
    if (g_objects[slot].texture >= 0) release_texture(g_objects[slot].texture, 1);
    g_objects[slot] = MenuObject{};
    if (g_order[0] == slot) {
        g_order[0] = g_order[1];
        g_order[1] = -1;
    } else if (g_order[1] == slot) {
        g_order[1] = -1;
    }
}

void free_all_3d_objects()
{
    provisional_calls.emplace_back("free_all_3d_objects");
    for (int32_t s = 0; s < 2; ++s)
        if (g_objects[s].used) free_3d_object(s, 0);
}

void draw_3d_objects()
{
    bool all_done = true;
    for (int32_t i = 0; i < 2; ++i) {
        int32_t slot = g_order[i];
        if (slot < 0) continue;
        MenuObject& o = g_objects[slot];
        float t = progress(o);
        if (o.running && t < 1.0f) all_done = false;
        if (o.running && t >= 1.0f) o.running = false;
        if (!o.shown || o.texture < 0) continue;
        float alpha = carries_away(o.effect) && o.effect != 0 ? 1.0f - t : (o.effect ? t : 1.0f);
        if (o.effect == 0) alpha = 1.0f;
        const float hw = static_cast<float>(layer_screen_width()) / 2, hh = static_cast<float>(layer_screen_height()) / 2;
        float xyz[12] = {-hw, -hh, 0, hw, -hh, 0, hw, hh, 0, -hw, hh, 0};
        const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
        const uint8_t a = static_cast<uint8_t>(alpha * 255.0f);
        const uint8_t rgba[16] = {255, 255, 255, a, 255, 255, 255, a, 255, 255, 255, a, 255, 255, 255, a};
        const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
        begin_2d_overlay();
        const uint32_t blend = get_alpha_blend(), z = get_z_buffer();
        set_alpha_blend(1);
        set_z_buffer(0);
        bind_texture(o.texture);
        set_vertex_array(4, 1, xyz);
        set_texcoord_array(4, 1, uv);
        set_colour_array(4, 1, rgba);
        draw_vertex_arrays(6, indices);
        set_alpha_blend(blend);
        set_z_buffer(z);
        end_2d_overlay();
    }
    if (all_done) g_finished = 1;
}

int32_t any_3d_object_active()
{
    for (const MenuObject& o : g_objects)
        if (o.used && o.shown) return 1;
    return 0;
}

int32_t objects_finished() { return g_finished; }
