// Screen-space bar models and the frame-rate meter.
#include "display/bar_models.h"

#include "display/match_scene.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/texture_cache.h"
#include "platform/files.h"

#include <chrono>
#include <cstring>
#include <string>

BarModel side_bars[SIDE_BARS];
BarModel colour_bars[COLOUR_BARS];
BarModel install_bars[2];

namespace {
uint32_t steady_ms()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

uint32_t (*frame_rate_clock)() = steady_ms;

namespace {

const char* const kColourBars[COLOUR_BARS] = {"barred", "barmulti", "barblack", "barwhite"};

// The corner quads of the two fill directions (the other kinds keep theirs).
const float kLeftQuad[12] = {0, -1, 0, -1, -1, 0, 0, 0, 0, -1, 0, 0};
const float kRightQuad[12] = {1, -1, 0, 0, -1, 0, 1, 0, 0, 0, 0, 0};

std::string tca(const char* name) { return std::string("3d display\\tcas\\") + name + ".tca"; }

float animation_fill;

struct FrameMeter {
    uint32_t times[100];
    int32_t calls;
    int32_t rate;
} meter;

} // namespace

bool load_model_with_lists(BarModel* bar, const char* file, int32_t kind)
{
    free_bar_model(bar);
    ModelInstance& in = bar->instance;
    in = ModelInstance{};
    in.shadow_index = -1;
    in.height_factor = 1.0f;
    in.model = load_model_container(file);
    if (!in.model) return false;
    in.owns_model = 1;
    const TcaMesh* mesh = in.model->mesh_count > 0 ? &in.model->meshes[0] : nullptr;
    if (!mesh || mesh->vertex_count < 4 || mesh->facet_count < 2 || mesh->uv_count < 4) {
        free_bar_model(bar);
        return false;
    }
    bar->kind = kind;
    load_overlay_texture(bar);
    RenderBatch& b = in.batch[0];
    b.indices.clear();
    for (int f = 0; f < 2; ++f)
        for (int k = 2; k >= 0; --k) b.indices.push_back(mesh->facets[f][k] < 4 ? mesh->facets[f][k] : 0);
    b.triangle_count = 2;
    b.vertices.assign(12, 0.0f);
    b.vertex_count = 4;
    b.uvs.clear();
    for (int v = 0; v < 4; ++v) b.uvs.push_back(mesh->uvs[v].u), b.uvs.push_back(mesh->uvs[v].v);
    b.uv_count = 4;
    b.colours.assign(16, 255);
    b.colour_count = 4;
    in.mesh_slot[0] = 0;
    in.scale[0] = in.scale[1] = in.scale[2] = 1.0f;
    if (kind == 0 || kind == 4) std::memcpy(bar->quad, kLeftQuad, sizeof bar->quad);
    if (kind == 1 || kind == 5) std::memcpy(bar->quad, kRightQuad, sizeof bar->quad);
    return true;
}

bool init_bar_model(BarModel* bar, const char* file, int32_t kind) { return load_model_with_lists(bar, file, kind); }

void free_bar_model(BarModel* bar)
{
    if (bar->instance.model) {
        if (bar->instance.owns_model) free_model_container(bar->instance.model);
        if (bar->texture != NO_TEXTURE) release_texture(bar->texture, 1);
    }
    *bar = BarModel{};
    bar->texture = NO_TEXTURE;
}

void load_overlay_texture(BarModel* bar)
{
    const ModelContainer* c = bar->instance.model;
    if (!c || c->mesh_count == 0) return;
    const std::string name = std::string("3d display\\textures\\") + c->meshes[0].texture;
    bar->texture = file_exists(name.c_str()) ? find_or_load_texture(name.c_str()) : NO_TEXTURE;
}

void release_overlay_texture(BarModel* bar)
{
    if (bar->texture != NO_TEXTURE) release_texture(bar->texture, 0);
}

void place_screen_model(BarModel* bar, const float point[2], int32_t height, int32_t width, float fill)
{
    ModelInstance& in = bar->instance;
    if (!in.model || in.model->mesh_count == 0) return;
    in.active = 1;
    RenderBatch& b = in.batch[0];
    const TcaMesh& mesh = in.model->meshes[0];
    float v[12];
    for (int c = 0; c < 4; ++c) {
        v[3 * c] = bar->quad[3 * c] * static_cast<float>(width);
        v[3 * c + 1] = bar->quad[3 * c + 1] * static_cast<float>(height);
        v[3 * c + 2] = bar->quad[3 * c + 2];
    }
    float u[4];
    for (int c = 0; c < 4; ++c) u[c] = mesh.uvs[c].u;
    const float f = fill * 0.01f;
    if (bar->kind == 0 || bar->kind == 4) {
        v[3] *= f, v[9] *= f;
        if (bar->kind == 4) u[1] = u[0] + (u[1] - u[0]) * f, u[3] = u[2] + (u[3] - u[2]) * f;
    } else if (bar->kind == 1 || bar->kind == 5) {
        v[0] *= f, v[6] *= f;
        if (bar->kind == 5) u[0] = u[1] + (u[0] - u[1]) * f, u[2] = u[3] + (u[2] - u[3]) * f;
    }
    for (int c = 0; c < 4; ++c) {
        b.uvs[2 * c] = u[c];
        b.uvs[2 * c + 1] = mesh.uvs[c].v;
    }
    // Placing copies the corners into the batch, moved to the point.
    for (int c = 0; c < 4; ++c) {
        b.vertices[3 * c] = v[3 * c] + point[0];
        b.vertices[3 * c + 1] = v[3 * c + 1] + point[1];
        b.vertices[3 * c + 2] = v[3 * c + 2];
    }
    in.position[0] = point[0], in.position[1] = point[1], in.position[2] = 0;
}

void place_screen_model(int32_t bar, const float point[2], int32_t height, int32_t width, float fill)
{
    if (bar >= 0 && bar < SIDE_BARS) place_screen_model(&side_bars[bar], point, height, width, fill);
}

namespace {

void draw_bar(BarModel* bar)
{
    const uint32_t z = get_z_buffer();
    set_z_buffer(0);
    bind_texture(bar->texture);
    begin_2d_overlay();
    draw_model_batch(&bar->instance, 0);
    end_2d_overlay();
    set_z_buffer(z);
}

} // namespace

void draw_overlay_model_at(BarModel* bar, float x, float y, int32_t width, int32_t height, float fill)
{
    if (!bar->instance.model) return;
    const float point[2] = {320 - x, 240 - y};
    place_screen_model(bar, point, height, width, fill);
    draw_bar(bar);
    bar->instance.active = 0;
}

void draw_side_bars()
{
    for (BarModel& bar : side_bars) {
        if (!bar.instance.active || !bar.instance.model) continue;
        draw_bar(&bar);
        bar.instance.active = 0;
    }
}

void animate_side_bars()
{
    animation_fill += 1.0f;
    if (animation_fill > 100.0f) animation_fill = 0;
    const float left[2] = {0, 0}, right[2] = {0, 20.0f};
    place_screen_model(&side_bars[0], left, 50, 200, animation_fill);
    place_screen_model(&side_bars[1], right, 50, 200, animation_fill);
}

void load_install_models()
{
    load_model_with_lists(&install_bars[0], data_path("3d display\\tcas\\install1.tca"), 4);
    load_model_with_lists(&install_bars[1], data_path("3d display\\tcas\\install2.tca"), 4);
}

void free_install_models()
{
    for (BarModel& b : install_bars) free_bar_model(&b);
}

void load_colour_bars()
{
    for (int i = 0; i < COLOUR_BARS; ++i) load_model_with_lists(&colour_bars[i], tca(kColourBars[i]).c_str(), 4);
}

void free_colour_bars()
{
    for (BarModel& b : colour_bars) free_bar_model(&b);
}

void load_side_bars()
{
    init_bar_model(&side_bars[0], tca("L2R1").c_str(), 4);
    init_bar_model(&side_bars[1], tca("R2L1").c_str(), 5);
}

void free_side_bars()
{
    for (BarModel& b : side_bars) free_bar_model(&b);
}

int32_t measure_frame_rate()
{
    std::memmove(meter.times + 1, meter.times, sizeof meter.times - sizeof meter.times[0]);
    meter.times[0] = frame_rate_clock();
    if (meter.calls < 100) ++meter.calls;
    // Until a span of time has passed the rate stays as it was.
    const uint32_t span = meter.times[0] - meter.times[99];
    if (meter.calls == 100 && span != 0) meter.rate = static_cast<int32_t>(100000u / span);
    return meter.rate;
}

void reset_frame_rate_meter()
{
    meter = FrameMeter{};
    animation_fill = 0;
    frame_rate_clock = steady_ms;
}

uint32_t get_frame_period_us() { return 16667; }
