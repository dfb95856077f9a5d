#include "display/scene_lighting.h"

#include "display/men_display.h"
#include "display/match_scene.h"
#include "display/model_instances.h"
#include "display/shadows.h"
#include "gl3d/angle_maths.h"
#include "gl3d/render_state.h"
#include "gl3d/texture_cache.h"
#include "match/match_records.h"
#include "match/scene_choice.h"
#include "platform/files.h"
#include "platform/settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

LightSource* lights;
int32_t light_count;
uint8_t shadow_colour[4] = {190, 190, 190, 255};
uint8_t second_shadow_colour[4] = {250, 250, 250, 255};
uint8_t shadow_colour_difference[4] = {60, 60, 60, 0};
PitchLightingMap pitch_lighting_map;

namespace {

void append_light(uint32_t flags, float x, float y, float z)
{
    if (!lights || light_count >= MAX_LIGHTS) return;
    LightSource& l = lights[light_count++];
    l.flags = flags;
    if (flags & 1) {
        float d[3] = {x, y, z};
        normalise_vector(d);
        std::memcpy(l.direction, d, sizeof d);
    } else {
        l.position[0] = x, l.position[1] = y, l.position[2] = z;
    }
}

// A light number counted from 1 that names a light.
LightSource* light_number(int32_t n) { return n >= 1 && n <= light_count && lights ? &lights[n - 1] : nullptr; }

} // namespace

int32_t shadow_quality_setting() { return static_cast<int32_t>(user_settings.pitch_render_quality); }

bool pitch_lighting_on() { return scene_choice.lighting_switch && pitch_lighting_map.values; }

uint32_t lit_colour_word(const uint8_t c[4])
{
    return static_cast<uint32_t>(c[3]) << 24 | static_cast<uint32_t>(c[0]) << 16 | static_cast<uint32_t>(c[1]) << 8 | c[2];
}

void clear_lights() { light_count = 0; }
void add_directional_light(float x, float y, float z) { append_light(1, x, y, z); }
void add_point_light(float x, float y, float z) { append_light(0, x, y, z); }
int32_t get_light_count() { return light_count; }

void remove_light(int32_t n)
{
    if (!light_number(n)) return;
    for (int i = n; i < light_count; ++i) lights[i - 1] = lights[i];
    --light_count;
}

void set_light_direction(int32_t n, float x, float y, float z)
{
    LightSource* l = light_number(n);
    if (!l || !(l->flags & 1)) return;
    float d[3] = {x, y, z};
    normalise_vector(d);
    std::memcpy(l->direction, d, sizeof d);
}

void set_light_position(int32_t n, float x, float y, float z)
{
    LightSource* l = light_number(n);
    if (!l || (l->flags & 1)) return;
    l->position[0] = x, l->position[1] = y, l->position[2] = z;
}

void set_shadow_colours(const uint8_t shadow[4], const uint8_t second[4])
{
    for (int i = 0; i < 4; ++i) {
        shadow_colour[i] = shadow[i];
        second_shadow_colour[i] = second[i];
        shadow_colour_difference[i] = static_cast<uint8_t>(second[i] - shadow[i]);
    }
    fill_shadow_buffer_colours(2700);
}

void alloc_shadow_lists()
{
    free_shadow_lists();
    alloc_shadow_entries();
    lights = new LightSource[MAX_LIGHTS]{};
    light_count = 0;
    const int32_t time = match_globals.time_of_day;
    const int32_t quality = shadow_quality_setting();
    if (time != 0) {
        for (int i = 0; i < scene_choice.sun_count && light_count < MAX_LIGHTS; ++i) {
            const float* s = scene_choice.sun;
            if (std::fabs(s[0]) >= 0.25f && std::fabs(s[2]) >= 0.25f && std::fabs(s[1]) >= 1.0f)
                add_directional_light(s[0], s[1], s[2]);
        }
    } else if (quality < 2) {
        add_directional_light(-1, 1.5f, 1);
    } else {
        add_point_light(-10000, -15000, 10000);
        add_point_light(10000, -15000, 10000);
        add_point_light(10000, -15000, -10000);
        add_point_light(-10000, -15000, -10000);
    }
    if (light_count == 0) add_directional_light(-1, 1.5f, 1);
    const uint8_t grey = time == 0 ? (light_count > 1 ? 232 : 210) : time == 1 ? 180 : 190;
    shadow_colour[0] = shadow_colour[1] = shadow_colour[2] = grey;
    shadow_colour[3] = 255;
    alloc_shadow_buffers(light_count);
    fill_shadow_buffer_colours(4050);
}

void free_shadow_lists()
{
    if (get_render_option()) set_render_option(0);
    delete[] lights;
    lights = nullptr;
    light_count = 0;
    free_shadow_buffers();
}

void load_pitch_lighting_map(const char* file)
{
    free_pitch_lighting_map();
    if (!file_exists(file)) {
        scene_choice.lighting_switch = 0;
        return;
    }
    uint32_t w = 0, h = 0;
    uint32_t* pixels = load_image_file(file, &w, &h);
    // Without pixels, or too small to average, there is no map.
    if (!pixels || w < 2 || h < 2) {
        std::free(pixels);
        scene_choice.lighting_switch = 0;
        return;
    }
    PitchLightingMap& m = pitch_lighting_map;
    m.width = static_cast<int32_t>(w / 2);
    m.height = static_cast<int32_t>(h / 2);
    m.values = new uint8_t[static_cast<size_t>(m.width) * m.height];
    auto red = [&](uint32_t x, uint32_t y) { return (pixels[static_cast<size_t>(y) * w + x] >> 16) & 255; };
    for (int j = 0; j < m.height; ++j)
        for (int i = 0; i < m.width; ++i) {
            const uint32_t x = 2 * i, y = 2 * j;
            m.values[j * m.width + i] =
                static_cast<uint8_t>((red(x, y) + red(x + 1, y) + red(x, y + 1) + red(x + 1, y + 1)) / 4);
        }
    std::free(pixels);
    m.centre_row = m.height / 2;
    m.centre_column = m.width / 2;
    m.rows_per_unit = static_cast<float>(m.height) / 25632.0f;
    m.columns_per_unit = static_cast<float>(m.width) / 16896.0f;
}

void free_pitch_lighting_map()
{
    delete[] pitch_lighting_map.values;
    pitch_lighting_map = PitchLightingMap{};
}

void scale_lighting_map(int32_t value, int32_t mode)
{
    PitchLightingMap& m = pitch_lighting_map;
    if (value >= 256 || value < 0 || !m.values) return;
    const size_t n = static_cast<size_t>(m.width) * m.height;
    int max = 0, min = 255;
    for (size_t i = 0; i < n; ++i) {
        max = std::max<int>(max, m.values[i]);
        min = std::min<int>(min, m.values[i]);
    }
    const int range = max - min;
    for (size_t i = 0; i < n; ++i) {
        uint8_t& v = m.values[i];
        switch (mode) {
        case 0:
            if (max > value && v > value) v = static_cast<uint8_t>(value);
            break;
        case 1:
            if (min < value && v < value) v = static_cast<uint8_t>(value);
            break;
        case 2:
            if (range) v = static_cast<uint8_t>(static_cast<float>(v - min) / range * value);
            break;
        case 3:
            if (range) v = static_cast<uint8_t>(value + static_cast<float>(v - min) / range * (255 - value));
            break;
        default:
            return;
        }
    }
}

void lighting_map_colour(const float position[3], uint8_t out[4])
{
    const PitchLightingMap& m = pitch_lighting_map;
    out[0] = out[1] = out[2] = out[3] = 255;
    if (!m.values) return;
    // Beyond the pitch sections the nearest edge of the map holds.
    int row = static_cast<int>(static_cast<float>(m.centre_row) - position[0] * m.rows_per_unit);
    int column = static_cast<int>(position[2] * m.columns_per_unit + static_cast<float>(m.centre_column));
    row = std::clamp(row, 0, m.height - 1);
    column = std::clamp(column, 0, m.width - 1);
    const uint8_t v = m.values[row * m.width + column];
    out[0] = out[1] = out[2] = v;
}

void light_figures_from_map()
{
    light_men_from_map();
    if (ModelInstance* ball = scene_ball(); ball && ball->active) lighting_map_colour(ball->position, ball->lit_colour);
}

void build_lighting_normals(const ModelInstance* in, LightingNormals* out)
{
    *out = LightingNormals{};
    const ModelContainer* c = in->model;
    const int meshes = std::min<int>(c->mesh_count, 40);
    for (int mi = 0; mi < meshes; ++mi) {
        const TcaMesh& m = c->meshes[mi];
        out->count[mi] = m.vertex_count;
        out->normals[mi] = new float[static_cast<size_t>(m.vertex_count) * 3]();
        float* n = out->normals[mi];
        for (int f = 0; f < m.facet_count; ++f) {
            const TcaVec3* corner[3];
            bool inside = true;
            for (int k = 0; k < 3; ++k) {
                if (m.facets[f][k] >= m.vertex_count) inside = false;
                else corner[k] = &m.vertices[m.facets[f][k]];
            }
            if (!inside) continue;
            const TcaVec3 &p = *corner[0], &q = *corner[1], &r = *corner[2];
            float a[3] = {r.x - q.x, r.y - q.y, r.z - q.z}, b[3] = {q.x - p.x, q.y - p.y, q.z - p.z};
            normalise_vector(a), normalise_vector(b);
            float fn[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
            normalise_vector(fn);
            for (int j = 0; j < m.vertex_count; ++j)
                for (int k = 0; k < 3; ++k) {
                    const TcaVec3& v = m.vertices[j];
                    if (std::fabs(v.x - corner[k]->x) < 0.01f && std::fabs(v.y - corner[k]->y) < 0.01f &&
                        std::fabs(v.z - corner[k]->z) < 0.01f)
                        for (int i = 0; i < 3; ++i) n[j * 3 + i] += fn[i];
                }
        }
        for (int j = 0; j < m.vertex_count; ++j) normalise_vector(&n[j * 3]);
    }
}

void free_lighting_normals(LightingNormals* normals)
{
    for (float*& n : normals->normals) delete[] n, n = nullptr;
    *normals = LightingNormals{};
}

void reset_scene_lighting()
{
    free_shadow_lists();
    free_pitch_lighting_map();
    const uint8_t grey[4] = {190, 190, 190, 255}, second[4] = {250, 250, 250, 255};
    std::memcpy(shadow_colour, grey, 4);
    std::memcpy(second_shadow_colour, second, 4);
    shadow_colour_difference[0] = shadow_colour_difference[1] = shadow_colour_difference[2] = 60;
    shadow_colour_difference[3] = 0;
}
