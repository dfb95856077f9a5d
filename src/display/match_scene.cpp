#include "display/match_scene.h"

#include "display/bar_models.h"
#include "display/camera.h"
#include "display/camera_presets.h"
#include "display/men_display.h"
#include "display/scene_lighting.h"
#include "display/shadows.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/texture_cache.h"
#include "league/game_settings.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "match/scene_choice.h"
#include "match/man_models.h"
#include "model/attach_points.h"
#include "model/rotation.h"
#include "platform/app_state.h"
#include "platform/files.h"

#include <cmath>
#include <cstdio>
#include <cstring>

char stadium_directory[256];
char pitch_directory[256];
char sky_directory[256];
int32_t scene_ready;

namespace {

constexpr float kPi = 3.14159265f;
const char kTcas[] = "3d display\\tcas\\";

// clang-format off
constexpr const char* kGroundCodes[GROUND_COUNT] = {"hbr", "irb", "slt", "qry", "tdw", "rdg", "lgh"};
constexpr const char* kStadiumByWeather[5] = {"normal\\", "dull\\", "dull\\", "normal\\", "normal\\"};
constexpr const char* kFinePitch[5] = {"circle\\", "dirty_lawn\\", "field\\", "lawn\\", "muddy\\"};
constexpr const char* kDullPitch[5] = {"circle_dull\\", "dirty_lawn_dull\\", "field_dull\\", "lawn_dull\\", "muddy_dull\\"};
constexpr const char* kFineSky[5] = {"sunny\\", "sunny2\\", "sunny3\\", "eve\\", "morning\\"};
constexpr const char* kBadSky[4] = {"cloud\\", "dull\\", "gloom\\", "storm\\"};
constexpr const char* kMarkerFiles[9] = {"airball", "pip", "catch", "cir_green", "cir_blue", "cir_purp", "cir_red",
                                         "feet_blue", "feet_red"};
constexpr const char* kOverlayArrowFiles[4] = {"ar_blue", "ar_purp", "ar_red", "ar_green"};
// clang-format on

int marker_container(int marker)
{
    if (marker < 3) return marker;
    if (marker < 7) return 4;
    if (marker < 11) return 5;
    if (marker < 15) return 6;
    if (marker < 19) return 3;
    if (marker < 31) return 7;
    return 8;
}

struct SmallModels {
    ModelContainer* figures[FIGURE_MODELS];
    ModelContainer* markers[9];
    ModelContainer* arrow1;
    ModelContainer* arrow2;
    ModelContainer* rings[2];
    ModelContainer* coin;
    ModelContainer* overlay_arrows[4];
};
SmallModels small;
bool small_loaded;

struct Scene {
    ModelInstance pitch, sky, stadium, ball, pointer, overlay, test_model;
    ModelInstance markers[GROUND_MARKERS];
    ModelInstance marker_arrows[MARKER_ARROWS];
    ModelInstance direction_arrows[DIRECTION_ARROWS];
    ModelInstance rings[RING_INSTANCES];
    ModelInstance overlay_arrows[OVERLAY_ARROWS];
    float overlay_position[3];
    float overlay_angles[3];
    int32_t coin_slot; // -1 until the coin's texture took the arrow slot
};
Scene* scene;

void append(char* buffer, const char* text) { std::strncat(buffer, text, 255 - std::strlen(buffer)); }

std::string tca_path(const char* name) { return std::string(kTcas) + name + ".tca"; }

ModelContainer* read_small(const char* name) { return load_model_container(tca_path(name).c_str()); }

// Instances from a shared container are laid out at rest: rotation 0, scale 1.
void load_shared(ModelInstance& in, ModelContainer* c)
{
    if (!c) return;
    load_model(&in, nullptr, nullptr, c);
    const float zero[3] = {0, 0, 0}, one[3] = {1, 1, 1};
    place_model(&in, zero, zero, one);
}

void for_each_instance(void (*fn)(ModelInstance&))
{
    if (!scene) return;
    Scene& s = *scene;
    for (ModelInstance* in : {&s.pitch, &s.sky, &s.stadium, &s.ball, &s.pointer, &s.overlay, &s.test_model}) fn(*in);
    for (ModelInstance& in : s.markers) fn(in);
    for (ModelInstance& in : s.marker_arrows) fn(in);
    for (ModelInstance& in : s.direction_arrows) fn(in);
    for (ModelInstance& in : s.rings) fn(in);
    for (ModelInstance& in : s.overlay_arrows) fn(in);
}

bool batch_empty(const ModelInstance& in, int slot)
{
    return !in.model || in.batch[slot].triangle_count == 0;
}

// Alpha blending on and filtering off around a group of see-through models.
struct AlphaBracket {
    uint32_t alpha = get_alpha_blend(), filter = get_bilinear_filter();
    AlphaBracket() { set_alpha_blend(1), set_bilinear_filter(0); }
    ~AlphaBracket() { set_alpha_blend(alpha), set_bilinear_filter(filter); }
};

void set_batch_colour(ModelInstance& in, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    if (!in.model || in.model->mesh_count == 0) return;
    RenderBatch& batch = in.batch[in.mesh_slot[0]];
    for (size_t i = 0; i + 3 < batch.colours.size(); i += 4)
        batch.colours[i] = b, batch.colours[i + 1] = g, batch.colours[i + 2] = r, batch.colours[i + 3] = a;
}

int32_t scene_shadow_quality() { return shadow_quality_setting(); }

} // namespace

ModelContainer* figure_model(int record)
{
    return record >= 0 && record < FIGURE_MODELS ? small.figures[record] : nullptr;
}

ModelContainer* load_model_container(const char* file)
{
    ModelContainer* c = new ModelContainer{};
    if (!load_tca_file(c, file)) {
        delete c;
        // A missing model is drawn as nothing; one that is there but does
        // not hold a model is refused.
        if (file && file_exists(file)) refuse_data_file("load_model", file, tca_error());
        return nullptr;
    }
    return c;
}

void free_model_container(ModelContainer* c)
{
    if (!c) return;
    free_tca_arrays(c);
    delete c;
}

bool load_model(ModelInstance* in, const char* file, const char* directory, ModelContainer* shared)
{
    *in = ModelInstance{};
    in->shadow_index = -1;
    in->height_factor = 1.0f;
    in->model = shared ? shared : (file ? load_model_container(file) : nullptr);
    in->owns_model = !shared && in->model;
    if (!in->model) return false;
    bind_model_textures(in, directory, 0);
    build_instance_lists(in);
    in->active = 0;
    return true;
}

void build_stadium_paths()
{
    const SceneChoice& c = scene_choice;
    std::snprintf(stadium_directory, sizeof stadium_directory, "3d display\\stadia\\");
    std::snprintf(pitch_directory, sizeof pitch_directory, "3d display\\stadia\\pitch\\");
    std::snprintf(sky_directory, sizeof sky_directory, "3d display\\stadia\\sky\\");
    char ground[16];
    std::snprintf(ground, sizeof ground, "stad_%s\\", kGroundCodes[c.ground < 0 || c.ground >= GROUND_COUNT ? 0 : c.ground]);
    append(stadium_directory, ground);
    if (c.grand_final) {
        append(stadium_directory, "GrandFinal\\");
        append(pitch_directory, "Grand_Final\\");
        append(sky_directory, kFineSky[c.sky_row % 5]);
        return;
    }
    if (c.night) {
        append(stadium_directory, "night\\");
        append(sky_directory, "night_1\\");
        append(pitch_directory, "muddy_night\\");
        return;
    }
    append(stadium_directory, kStadiumByWeather[c.weather % 5]);
    const bool fine = c.weather == 0 || c.weather == 3;
    append(pitch_directory, (fine ? kFinePitch : kDullPitch)[c.pitch_row % 5]);
    append(sky_directory, fine ? kFineSky[c.sky_row % 5] : kBadSky[c.sky_row & 3]);
}

void set_3d_default_states()
{
    set_blend_mode(4, 5);
    set_colour_mode(2, 0xFFFFFFFFu);
    set_depth_test(1);
    set_bilinear_filter(1);
    set_alpha_blend(0);
    set_render_option(0);
    set_hw_lens(45.0f, 100.0f, 40000.0f);
}

bool small_models_loaded() { return small_loaded; }

void reload_player_models()
{
    free_player_models();
    for (int r = 0; r < FIGURE_MODELS; ++r) {
        const ModelRecord& rec = model_record(r);
        small.figures[r] = load_model_container(rec.name);
        if (small.figures[r]) scale_player_model(small.figures[r], rec.scale);
    }
}

void free_player_models()
{
    for (ModelContainer*& c : small.figures) free_model_container(c), c = nullptr;
}

void load_small_models()
{
    free_small_models();
    reset_texture_slots();
    small_loaded = true;
    reload_player_models();
    for (int i = 0; i < 9; ++i) small.markers[i] = read_small(kMarkerFiles[i]);
    small.arrow1 = read_small("arrow1");
    small.arrow2 = read_small("arrow2");
    small.rings[0] = read_small("boundry");
    small.rings[1] = read_small("boundry2");
    small.coin = read_small("coin");
    for (int i = 0; i < 4; ++i) small.overlay_arrows[i] = read_small(kOverlayArrowFiles[i]);
}

void free_small_models()
{
    small_loaded = false;
    free_player_models();
    for (ModelContainer*& c : small.markers) free_model_container(c), c = nullptr;
    for (ModelContainer** c : {&small.arrow1, &small.arrow2, &small.rings[0], &small.rings[1], &small.coin})
        free_model_container(*c), *c = nullptr;
    for (ModelContainer*& c : small.overlay_arrows) free_model_container(c), c = nullptr;
}

void create_ground_markers()
{
    if (!scene) scene = new Scene{};
    uint32_t bits, alpha;
    get_texture_format(&bits, &alpha);
    set_texture_format(16, 1);
    for (int i = 0; i < GROUND_MARKERS; ++i) load_shared(scene->markers[i], small.markers[marker_container(i)]);
    set_texture_format(bits, alpha);
}

void free_ground_markers()
{
    if (scene)
        for (ModelInstance& in : scene->markers) free_model_instance(&in);
}

void free_arrow_instances()
{
    if (!scene) return;
    for (ModelInstance& in : scene->marker_arrows) free_model_instance(&in);
    for (ModelInstance& in : scene->direction_arrows) free_model_instance(&in);
}

void free_overlay_arrows()
{
    if (scene)
        for (ModelInstance& in : scene->overlay_arrows) free_model_instance(&in);
}

void load_test_model()
{
    if (!scene) scene = new Scene{};
    uint32_t bits, alpha;
    get_texture_format(&bits, &alpha);
    set_texture_format(16, 1);
    if (load_model(&scene->test_model, "3d display\\tcas\\pelltest.tca", nullptr, nullptr))
        for (float& k : scene->test_model.scale) k = 10.0f;
    set_texture_format(bits, alpha);
}

bool create_model_instance(ModelInstance* in, const char* file, float scale, ModelContainer* shared,
                           const char* directory, const char* const* names, int32_t count)
{
    *in = ModelInstance{};
    in->shadow_index = -1;
    in->level = -1;
    in->height_factor = 1.0f;
    ModelContainer* base = shared ? shared : (file ? load_model_container(file) : nullptr);
    if (!base) return false;
    // The figure's own face, hair, number and night kit are the model's
    // variants: the batches are built from a copy with them applied, and the
    // model itself is kept in the copy's place.
    ModelContainer* own = count > 0 && names ? derive_tca_model(base, names, count) : nullptr;
    in->model = own ? own : base;
    bind_attach_points(in->model, in->attach_nodes);
    for (float& k : in->scale) k = scale;
    bind_model_textures(in, directory, 1);
    build_figure_batches(in);
    in->model = base;
    in->owns_model = !shared;
    free_derived_tca_model(&own);
    return true;
}

void load_sky_and_pitch()
{
    if (!scene) scene = new Scene{};
    Scene& s = *scene;
    s.coin_slot = -1;
    const bool moon = scene_choice.moon;
    const float zero[3] = {0, 0, 0}, one[3] = {1, 1, 1};
    if (moon)
        load_model(&s.sky, "3d display\\stadia\\stad_moon\\moonsky.tca", "3d display\\stadia\\stad_moon\\normal\\", nullptr);
    else
        load_model(&s.sky, "3d display\\stadia\\sky\\sky.tca", sky_directory, nullptr);
    load_model(&s.pitch, "3d display\\stadia\\pitch\\pitch.tca", moon ? "3d display\\stadia\\pitch\\moon\\" : pitch_directory,
               nullptr);
    for (ModelInstance* in : {&s.sky, &s.pitch})
        if (in->model) place_model(in, zero, zero, one), in->active = 1;
    load_pitch_lighting_map("3d display\\stadia\\lighting\\floodlit.tga");
    scale_lighting_map(120, 3);
    scale_lighting_map(130, 1);
    create_ground_markers();
    uint32_t bits, alpha;
    get_texture_format(&bits, &alpha);
    set_texture_format(16, 1);
    for (int i = 0; i < MARKER_ARROWS; ++i) load_shared(s.marker_arrows[i], small.arrow1);
    for (int i = 0; i < DIRECTION_ARROWS; ++i) load_shared(s.direction_arrows[i], small.arrow2);
    for (int i = 0; i < RING_INSTANCES; ++i) load_shared(s.rings[i], small.rings[i / 32]);
    set_texture_format(bits, alpha);
    background_slot_count = loaded_slot_count;
}

void load_match_scene()
{
    if (!scene) scene = new Scene{};
    Scene& s = *scene;
    const float zero[3] = {0, 0, 0}, one[3] = {1, 1, 1};
    if (scene_choice.moon) {
        load_model(&s.stadium, "3d display\\stadia\\stad_moon\\moon.tca", "3d display\\stadia\\stad_moon\\normal\\",
                   nullptr);
    } else {
        char file[128];
        const char* code = kGroundCodes[scene_choice.ground < 0 || scene_choice.ground >= GROUND_COUNT ? 0 : scene_choice.ground];
        std::snprintf(file, sizeof file, "3d display\\stadia\\stad_%s\\%s.tca", code, code);
        load_model(&s.stadium, file, stadium_directory, nullptr);
    }
    if (s.stadium.model) place_model(&s.stadium, zero, zero, one), s.stadium.active = 1;
    alloc_shadow_lists();
    if (s.pitch.model) find_pitch_sections(&s.pitch);
    load_model(&s.ball,
               scene_choice.night ? "3d display\\tcas\\YELLOWBALLHIGH.tca" : "3d display\\tcas\\REDBALLHIGH.tca",
               nullptr, nullptr);
    load_model(&s.pointer, "3d display\\tcas\\arrow_o.tca", nullptr, nullptr);
    load_side_bars();
    // The coloured bars live with the match, so that their textures are
    // given back with the scene's.
    load_colour_bars();
    uint32_t bits, alpha;
    get_texture_format(&bits, &alpha);
    set_texture_format(16, 1);
    const float turned[3] = {kPi / 2, 0, 0};
    for (int i = 0; i < OVERLAY_ARROWS; ++i) {
        load_shared(s.overlay_arrows[i], small.overlay_arrows[i / 4]);
        if (s.overlay_arrows[i].model) place_model(&s.overlay_arrows[i], zero, turned, one);
    }
    set_texture_format(bits, alpha);
}

void free_match_scene()
{
    free_pitch_lighting_map();
    free_shadow_lists();
    for_each_instance([](ModelInstance& in) {
        if (in.owns_model) free_model_container(in.model);
        free_model_instance(&in);
    });
    delete scene;
    scene = nullptr;
    free_side_bars();
    free_colour_bars();
    clear_texture_slots();
    background_slot_count = 0;
    free_figure_instances();
}

ModelInstance* scene_ball() { return scene && scene->ball.model ? &scene->ball : nullptr; }
ModelInstance* scene_pitch() { return scene && scene->pitch.model ? &scene->pitch : nullptr; }

void place_figure_marker(const int32_t position[3], int32_t index, float scale, int32_t fade)
{
    if (!scene || index < 0 || index >= GROUND_MARKERS || !scene->markers[index].model) return;
    ModelInstance& in = scene->markers[index];
    const float p[3] = {position[0] / 655.36f, 2.0f, position[2] / 655.36f};
    const float zero[3] = {0, 0, 0};
    const float s[3] = {scale, in.scale[1] ? in.scale[1] : 1.0f, scale};
    place_model(&in, p, zero, s);
    const int grey = 255 - 60 * fade;
    const uint8_t g = static_cast<uint8_t>(grey < 0 ? 0 : grey > 255 ? 255 : grey);
    set_batch_colour(in, g, g, g, 192);
    in.active = 1;
}

void place_direction_arrow(const int32_t position[3], int32_t index, float scale)
{
    if (!scene || index < 0 || index >= DIRECTION_ARROWS || !scene->direction_arrows[index].model) return;
    ModelInstance& in = scene->direction_arrows[index];
    const float a = static_cast<float>(index) * kPi / 4;
    const float p[3] = {position[0] / 655.36f + 100 * std::sin(a), 2.0f, position[2] / 655.36f + 100 * std::cos(a)};
    const float angles[3] = {0, -a, 0};
    const float s[3] = {scale, in.scale[1] ? in.scale[1] : 1.0f, 0.7f};
    place_model(&in, p, angles, s);
    in.active = 1;
}

void hide_figure_markers()
{
    if (scene)
        for (ModelInstance& in : scene->markers) in.active = 0;
}

void hide_direction_arrows()
{
    if (scene)
        for (ModelInstance& in : scene->direction_arrows) in.active = 0;
}

void place_marker_arrow(const int32_t position[3], int32_t index, int32_t shade)
{
    if (!scene || index < 0 || index >= MARKER_ARROWS || !scene->marker_arrows[index].model) return;
    ModelInstance& in = scene->marker_arrows[index];
    const float a = static_cast<float>(index) * kPi / 4;
    const float p[3] = {position[0] / 655.36f + 135.7f * std::sin(a), 2.0f,
                        position[2] / 655.36f + 135.7f * std::cos(a)};
    const float angles[3] = {0, -a, 0};
    const float s[3] = {0.8f, in.scale[1] ? in.scale[1] : 1.0f, 0.7f};
    place_model(&in, p, angles, s);
    const uint8_t g = static_cast<uint8_t>(255 - (shade & 255));
    set_batch_colour(in, g, g, g, 255);
    in.active = 1;
}

void place_model_ring(float x, float z, float radius_x, float radius_z, float turn, int32_t ring)
{
    if (!scene || ring < 0 || ring > 1) return;
    for (int i = 0; i < 32; ++i) {
        ModelInstance& in = scene->rings[ring * 32 + i];
        if (!in.model) continue;
        const float a = static_cast<float>(i) * 2 * kPi / 32;
        float ox = std::cos(a) * radius_x, oy = 0, oz = std::sin(a) * radius_z;
        rotate_vector(&ox, &oy, &oz, turn);
        const float p[3] = {x + ox, 0, z + oz};
        const float zero[3] = {0, 0, 0};
        const float s[3] = {0.3f, in.scale[1] ? in.scale[1] : 1.0f, 0.3f};
        place_model(&in, p, zero, s);
        in.active = 1;
    }
}

void place_pointer_arrow(int32_t value, int32_t side)
{
    if (!scene || !scene->pointer.model) return;
    const float s = side == 2 ? -1.0f : 1.0f;
    const float p[3] = {0, 400.0f, 0};
    const float angles[3] = {0, (-kPi / 2 - static_cast<float>(value) * -kPi / 70) * s, 0};
    const float scale[3] = {0.1f, 0.1f, 0.1f};
    place_model(&scene->pointer, p, angles, scale);
    scene->pointer.active = 1;
}

void place_overlay_model(const float point[2], int32_t index, uint32_t colour)
{
    if (!scene || index < 0 || index >= OVERLAY_ARROWS || !scene->overlay_arrows[index].model) return;
    ModelInstance& in = scene->overlay_arrows[index];
    const float sx = 320 - point[0], sy = 240 - point[1];
    const float p[3] = {sx, sy, 0};
    const float angles[3] = {kPi / 2, 0, std::atan2(sx, -sy)};
    const float s[3] = {0.2f, 0.2f, 0.2f};
    place_model(&in, p, angles, s);
    set_batch_colour(in, static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                     static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 24));
    in.active = 1;
}

void reload_overlay_model()
{
    if (!scene || !small.coin) return;
    Scene& s = *scene;
    const int32_t arrow_slot = s.marker_arrows[0].model ? s.marker_arrows[0].mesh_slot[0] : -1;
    // Unbinding keeps the cache entry, so doing it twice is harmless and the
    // arrows still draw.
    if (arrow_slot >= 0) release_texture(texture_slots[arrow_slot].texture, 0);
    load_model(&s.overlay, nullptr, nullptr, small.coin);
    if (s.overlay.model && s.overlay.model->mesh_count > 0) s.coin_slot = s.overlay.mesh_slot[0];
    if (arrow_slot >= 0) texture_slots[arrow_slot].texture = find_or_load_texture(texture_slots[arrow_slot].name.c_str());
}

void activate_coin_model(float x, float y, float z, float angle)
{
    if (!scene || !scene->overlay.model) return;
    Scene& s = *scene;
    s.overlay_position[0] = x, s.overlay_position[1] = y, s.overlay_position[2] = z;
    s.overlay_angles[0] = angle, s.overlay_angles[1] = 0, s.overlay_angles[2] = 0;
    s.overlay.active = 1;
}

void pop_texture_slot()
{
    if (!scene || loaded_slot_count == 0) return;
    // Only the coin's own texture is given back: never a figure's.
    const int32_t last = loaded_slot_count - 1;
    if (scene->coin_slot != last) return;
    release_texture(texture_slots[last].texture, 1);
    texture_slots[last] = TextureSlot{std::string(), NO_TEXTURE};
    --loaded_slot_count;
    scene->coin_slot = -1;
    free_model_instance(&scene->overlay);
    const ModelInstance& arrow = scene->marker_arrows[0];
    if (arrow.model) {
        TextureSlot& t = texture_slots[arrow.mesh_slot[0]];
        t.texture = find_or_load_texture(t.name.c_str());
    }
}

void setup_3d_camera()
{
    CameraGlobals& g = camera_globals;
    if (camera_view == 3 && !auto_camera_active) g.x = g.x > 9200 ? 9200 : g.x < -9200 ? -9200 : g.x;
    if (presentation::replay_playback_active() && camera_view == 9) {
        g.x = g.x > 10000 ? 10000 : g.x < -10000 ? -10000 : g.x;
        g.z = g.z > 6800 ? 6800 : g.z < -6800 ? -6800 : g.z;
    }
    const float eye[3] = {static_cast<float>(-g.x), static_cast<float>(-g.y), static_cast<float>(g.z)};
    const double p = -g.pitch * 3.14159265358979 / 8192, w = g.yaw * 3.14159265358979 / 8192;
    const double h = 100 * std::cos(p);
    const float target[3] = {static_cast<float>(eye[0] - h * std::sin(w)), static_cast<float>(eye[1] - 100 * std::sin(p)),
                             static_cast<float>(eye[2] + h * std::cos(w))};
    set_hw_camera_view(eye, target, 0);
    set_hw_fov(static_cast<float>(g.fov));
}

void place_scene_objects()
{
    init_man_texture_slots();
    prepare_men_display();
    prepare_display_misc();
    init_man_appearances();
    ball_to_world();
    place_overlay_model_small();
}

void place_overlay_model_small()
{
    if (scene && scene->overlay.active && scene->overlay.model) {
        const float s[3] = {0.01f, 0.01f, 0.01f};
        place_model(&scene->overlay, scene->overlay_position, scene->overlay_angles, s);
    }
}

void draw_ground_markers(int32_t slot)
{
    if (!scene || batch_empty(scene->markers[0], slot)) return;
    AlphaBracket bracket;
    for (ModelInstance& in : scene->markers)
        if (in.active && in.model) draw_model_batch(&in, slot);
}

void draw_rings(int32_t slot)
{
    if (!scene || batch_empty(scene->rings[0], slot)) return;
    AlphaBracket bracket;
    for (ModelInstance& in : scene->rings)
        if (in.active && in.model) draw_model_batch(&in, slot), in.active = 0;
}

void draw_ball_batch(int32_t slot)
{
    if (!scene) return;
    ModelInstance& ball = scene->ball;
    if (!ball.active || !ball.model) return;
    if (scene_shadow_quality() >= 2 && pitch_lighting_on()) {
        uint32_t colour;
        const uint32_t mode = get_colour_mode(&colour);
        set_colour_mode(1, lit_colour_word(ball.lit_colour));
        draw_model_batch(&ball, slot);
        set_colour_mode(mode, colour);
    } else {
        draw_model_batch(&ball, slot);
    }
}

void draw_pointer_arrow(int32_t slot)
{
    if (!scene) return;
    ModelInstance& pointer = scene->pointer;
    if (pointer.active != 1 || batch_empty(pointer, slot)) return;
    const uint32_t z = get_z_buffer();
    set_z_buffer(1);
    draw_model_batch(&pointer, slot);
    set_z_buffer(z);
    pointer.active = 0;
}

void draw_texture_slot(int32_t slot)
{
    if (!scene) return;
    Scene& s = *scene;
    for (ModelInstance* in : {&s.pitch, &s.sky, &s.stadium})
        if (in->model) draw_model_batch(in, slot);
    if (scene_ready) {
        draw_ground_markers(slot);
        if (!batch_empty(s.marker_arrows[0], slot) || !batch_empty(s.direction_arrows[0], slot)) {
            AlphaBracket bracket;
            for (int i = 0; i < MARKER_ARROWS; ++i)
                for (ModelInstance* in : {&s.marker_arrows[i], &s.direction_arrows[i]})
                    if (in->active && in->model) draw_model_batch(in, slot), in->active = 0;
        }
    }
    update_man_display(slot);
    draw_ball_batch(slot);
    if (scene_ready) {
        draw_pointer_arrow(slot);
        draw_rings(slot);
    }
}

void draw_overlay_model_only()
{
    if (!scene) return;
    ModelInstance& overlay = scene->overlay;
    if (!overlay.active || !overlay.model || overlay.model->mesh_count == 0) return;
    const int slot = overlay.mesh_slot[0];
    if (!overlay.batch[slot].triangle_count) return;
    bind_texture(texture_slots[slot].texture);
    const uint32_t z = get_z_buffer();
    set_z_buffer(0);
    begin_2d_overlay();
    draw_model_batch(&overlay, slot);
    end_2d_overlay();
    overlay.active = 0;
    set_z_buffer(z);
}

void draw_overlay_model()
{
    if (!scene_ready || !scene) return;
    Scene& s = *scene;
    draw_overlay_model_only();
    if (!s.overlay_arrows[0].model) return;
    const uint32_t z = get_z_buffer();
    set_z_buffer(0);
    {
        AlphaBracket bracket;
        const int slot = s.overlay_arrows[0].mesh_slot[0];
        bind_texture(texture_slots[slot].texture);
        begin_2d_overlay();
        for (ModelInstance& in : s.overlay_arrows)
            if (in.active) draw_model_batch(&in, slot), in.active = 0;
        end_2d_overlay();
    }
    set_z_buffer(z);
}

void draw_3d_frame()
{
    setup_3d_camera();
    // The set-play overlay is drawn once a frame by the HUD pass, so it is
    // not asked for here as well.
    camera_select_by_keys();
    place_scene_objects();
    set_z_buffer(0);
    int32_t s = 0;
    for (; s < background_slot_count - 1; ++s) {
        bind_texture(texture_slots[s].texture);
        draw_texture_slot(s);
    }
    draw_shadow_buffers();
    s = background_slot_count < 2 ? 0 : background_slot_count - 1;
    if (s < loaded_slot_count) {
        bind_texture(texture_slots[s].texture);
        draw_texture_slot(s);
    }
    set_z_buffer(1);
    if (scene_shadow_quality() >= 2 && pitch_lighting_on()) light_figures_from_map();
    for (++s; s < loaded_slot_count; ++s) {
        bind_texture(texture_slots[s].texture);
        draw_texture_slot(s);
    }
    flush_sprites();
    draw_overlay_model();
}

void reset_match_scene()
{
    free_match_scene();
    free_small_models();
    scene_ready = 0;
    reset_texture_slots();
}
