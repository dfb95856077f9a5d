// Figure and ball shadows at the unit level: the polygons a fixed pose casts
// for a light, the buffer chosen by where they fall, the whole-cast refusal
// at a full buffer, and the shadow forms the match does not use.
#include "gl3d/gl_fixture.h"
#include "gl3d/picture_files.h"

#include "display/model_instances.h"
#include "display/scene_lighting.h"
#include "display/shadows.h"
#include "gl3d/render_state.h"
#include "gl3d/texture_cache.h"
#include "host/host_test_hooks.h"
#include "lib/image_write.h"
#include "match/match_records.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

// One directional light leaning along x: a point at height y falls 0.75 y
// further along x.
constexpr float kLean[3] = {0.6f, 0.8f, 0};

class Shadows : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_scene_lighting();
        reset_shadows();
        match_globals.time_of_day = 0;
        user_settings.pitch_render_quality = 1;
        alloc_shadow_lists(); // one light at night with quality 1
        clear_lights();
        add_directional_light(kLean[0], kLean[1], kLean[2]);
        pose();
    }
    void TearDown() override
    {
        reset_scene_lighting();
        reset_shadows();
        user_settings.pitch_render_quality = 0;
    }
    // A man standing about (100, 0, 50), his points spread so that no
    // three lie on a line.
    void pose()
    {
        for (int n = 0; n < 16; ++n) {
            man.attach[n][0] = 100.0f + 3.0f * (n % 4) + 0.5f * n;
            man.attach[n][1] = 10.0f * n;
            man.attach[n][2] = 50.0f - 5.0f * (n / 4) + static_cast<float>(n * n % 7);
        }
    }
    // The stored ground point of a point: projected along the light, x negated.
    static std::array<float, 3> ground(float x, float y, float z) { return {-(x + y * 0.75f), -3.0f, z}; }
    static std::array<float, 3> vertex(const ShadowBuffer& b, int v)
    {
        return {b.vertices[3 * size_t(v)], b.vertices[3 * size_t(v) + 1], b.vertices[3 * size_t(v) + 2]};
    }
    static void expect_near(std::array<float, 3> a, std::array<float, 3> b, const std::string& what)
    {
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-3f) << what << " axis " << i;
    }
    ModelInstance man{};
};

TEST_F(Shadows, AStickFigureCastsItsTwelveLimbPointsFacingOneWay)
{
    const int entry = add_shadow_entry(&man, 7); // any other type is a stick figure
    ASSERT_EQ(shadow_entry_type(entry), -3);
    cast_object_shadow(&man, entry, 0);
    const ShadowBuffer& b = shadow_buffers[0];
    ASSERT_EQ(b.vertex_count, 12);
    ASSERT_EQ(b.index_count, 18);
    const int order[12] = {12, 9, 13, 14, 10, 11, 4, 5, 6, 1, 2, 3};
    for (int k = 0; k < 12; ++k) {
        const float* a = man.attach[order[k]];
        expect_near(vertex(b, k), ground(a[0], a[1], a[2]), "vertex " + std::to_string(k));
    }
    for (int t = 0; t < 6; ++t) {
        const auto p = vertex(b, int(b.indices[3 * t])), q = vertex(b, int(b.indices[3 * t + 1])),
                   r = vertex(b, int(b.indices[3 * t + 2]));
        const float k = (p[2] - q[2]) * (q[0] - r[0]) - (p[0] - q[0]) * (q[2] - r[2]);
        EXPECT_LE(k, 0.0f) << "triangle " << t << " faces the other way";
    }
    EXPECT_EQ(b.uv_count, 12);
}

TEST_F(Shadows, AFigureModelCastsLegsArmsAndBodyJoinedAtTheHips)
{
    const int entry = add_shadow_entry(&man, -1);
    cast_object_shadow(&man, entry, 1); // holding the ball: its disc first
    const ShadowBuffer& b = shadow_buffers[0];
    ASSERT_EQ(b.vertex_count, 17 + 33);
    ASSERT_EQ(b.index_count, 48 + 3 * 29);
    const float* ball = man.attach[15];
    expect_near(vertex(b, 0), ground(ball[0], ball[1], ball[2]), "the ball's centre");
    // s = (-d.z, d.x) = (0, 0.6): widths run along z.
    const float* rfoot = man.attach[6];
    auto leg0 = ground(rfoot[0], rfoot[1] - 15.0f, rfoot[2]);
    leg0[2] -= 16 * 0.6f;
    expect_near(vertex(b, 17), leg0, "leg vertex 0: the right foot, lifted, less 16 s");
    const float* r = man.attach[12];
    const float* l = man.attach[9];
    auto body0 = ground((r[0] + l[0]) / 2, (r[1] + l[1]) / 2 - 2.0f, (r[2] + l[2]) / 2);
    body0[2] -= 9 * 0.6f;
    expect_near(vertex(b, 17 + 27), body0, "body vertex 0: the shoulders less 9 s");
    // The arms' first triangle joins the hips' outer vertices 13 and 14.
    EXPECT_EQ(b.indices[48 + 45 + 1], 17u + 14);
    EXPECT_EQ(b.indices[48 + 45 + 2], 17u + 13);

    // The flat form: the same outline, the shoulders at the right one's
    // height, buffer 0 and no texture coordinates.
    reset_shadows();
    alloc_shadow_lists();
    clear_lights();
    add_directional_light(kLean[0], kLean[1], kLean[2]);
    pitch_sections[5].buffer = 2; // where the figure would fall
    cast_model_shadow_flat(&man, entry, 0);
    EXPECT_EQ(shadow_buffers[0].vertex_count, 33);
    auto flat = ground((r[0] + l[0]) / 2, r[1] - 2.0f, (r[2] + l[2]) / 2);
    flat[2] -= 9 * 0.6f;
    expect_near(vertex(shadow_buffers[0], 27), flat, "flat body vertex 0");
    EXPECT_EQ(shadow_buffers[0].uvs[2 * 27], 0.0f);
}

TEST_F(Shadows, TheBufferFollowsWhereTheShadowFalls)
{
    for (int s = 0; s < 6; ++s) pitch_sections[s].buffer = static_cast<int16_t>(s % 3);
    struct Case {
        float x, z;
        int section;
    } cases[] = {
        {4044.8f, 1, 5}, {4045.0f, 1, 0}, {4045.0f, -1, 3}, {-4144.9f, 1, 1}, {-4144.7f, 1, 5},
        {-4144.0f, -1, 4}, {-4200.0f, -1, 2}, {0, 0, 5},
    };
    for (const Case& c : cases) {
        PitchSection out{};
        choose_shadow_buffer(c.x, -3.0f, c.z, &out);
        EXPECT_EQ(current_shadow_buffer, c.section % 3) << c.x << ", " << c.z;
    }
}

TEST_F(Shadows, AFullBufferRefusesAWholeCastAndQualityZeroCastsNothing)
{
    // One light: 4050 indices, and a disc takes 48.
    int casts = 0;
    while (shadow_buffers[0].index_count + 48 <= 4050) cast_point_shadow(14, 1, 0, 10, 0), ++casts;
    const int32_t indices = shadow_buffers[0].index_count, vertices = shadow_buffers[0].vertex_count;
    cast_point_shadow(14, 1, 0, 10, 0);
    EXPECT_EQ(shadow_buffers[0].index_count, indices);
    EXPECT_EQ(shadow_buffers[0].vertex_count, vertices);
    EXPECT_EQ(vertices, 17 * casts);

    reset_shadows();
    alloc_shadow_lists();
    user_settings.pitch_render_quality = 0;
    const int entry = add_shadow_entry(&man, -1);
    cast_object_shadow(&man, entry, 1);
    cast_point_shadow(14, 1, 0, 10, 0);
    cast_sized_disc_shadow(30, 10, 1, 0, 0, 0);
    EXPECT_EQ(shadow_buffers[0].vertex_count, 0);
}

struct GameExitCalled {};
void throw_exit(int) { throw GameExitCalled{}; }

TEST_F(Shadows, PitchSectionsTakeABufferPerTextureAndABrokenPitchIsFatal)
{
    const char* names[7] = {"pitch_middle_R", "pitch_corner1", "stand", "pitch_corner2", "pitch_corner3",
                            "pitch_corner4", "pitch_middle_L"};
    TcaMesh meshes[7]{};
    for (int i = 0; i < 7; ++i) std::strcpy(meshes[i].name, names[i]);
    ModelContainer c{};
    c.meshes = meshes;
    c.mesh_count = 7;
    ModelInstance pitch{};
    pitch.model = &c;
    const int8_t slots[7] = {4, 3, 9, 4, 3, 3, 4}; // two section textures
    std::memcpy(pitch.mesh_slot, slots, sizeof slots);
    find_pitch_sections(&pitch);
    EXPECT_EQ(section_textures[0], 4);
    EXPECT_EQ(section_textures[1], 3);
    EXPECT_EQ(section_textures[2], -1);
    EXPECT_EQ(pitch_sections[5].buffer, 0); // middle R, seen first
    EXPECT_EQ(pitch_sections[0].buffer, 1);
    EXPECT_EQ(pitch_sections[0].x_min, -12816.0f);
    EXPECT_EQ(pitch_sections[0].u_mirror, 1);

    std::strcpy(meshes[2].name, "pitch_extra");
    host_set_exit_hook(throw_exit);
    ::testing::internal::CaptureStderr();
    EXPECT_THROW(find_pitch_sections(&pitch), GameExitCalled);
    const std::string said = ::testing::internal::GetCapturedStderr();
    host_set_exit_hook(nullptr);
    EXPECT_NE(said.find("pitch.tca"), std::string::npos) << said;
}

TEST_F(Shadows, OnlyFourHundredAndNinetyNineEntriesAreHandedOut)
{
    for (int i = 0; i < 499; ++i) ASSERT_EQ(add_shadow_entry(&man, i % 2 ? -1 : -2), i);
    EXPECT_EQ(add_shadow_entry(&man, -1), -1);
}

TEST_F(Shadows, DiscsOctagonsAndQuads)
{
    // A sized disc shrinks from a at the ground to b at 2000.
    const struct {
        float y, radius;
    } discs[] = {{0, 30}, {1000, 20}, {2000, 10}, {3000, 10}};
    for (const auto& d : discs) {
        ShadowBuffer& b = shadow_buffers[0];
        b.vertex_count = b.index_count = 0;
        cast_sized_disc_shadow(30, 10, 1, 500, d.y, 40);
        ASSERT_EQ(b.vertex_count, 17);
        EXPECT_NEAR(b.vertices[3], -(500 + d.radius), 1e-3f) << "rim 1 at height " << d.y;
        EXPECT_EQ(b.vertices[2], 40.0f) << "no projection";
    }
    // Style 0: an octagon in the current buffer, untextured.
    ShadowBuffer& b = shadow_buffers[0];
    b.vertex_count = b.index_count = 0;
    cast_point_shadow(10, 0, 0, 0, 0);
    EXPECT_EQ(b.vertex_count, 9);
    EXPECT_EQ(b.index_count, 24);
    EXPECT_EQ((std::vector<uint32_t>(b.indices.begin(), b.indices.begin() + 3)), (std::vector<uint32_t>{0, 2, 1}));
    EXPECT_EQ((std::vector<uint32_t>(b.indices.begin() + 21, b.indices.begin() + 24)), (std::vector<uint32_t>{0, 1, 8}));

    // Four lights: four quads, each from the points as passed.
    for (int i = 0; i < 3; ++i) add_directional_light(kLean[0], kLean[1], kLean[2]);
    b.vertex_count = b.index_count = 0;
    const float p0[3] = {0, 0, 0}, p1[3] = {10, 0, 0}, p2[3] = {10, 0, 10}, p3[3] = {0, 40, 10};
    cast_quad_shadow(p0, p1, p2, p3);
    ASSERT_EQ(b.vertex_count, 16);
    for (int q = 0; q < 4; ++q) {
        expect_near(vertex(b, 4 * q + 2), ground(0, 40, 10), "quad " + std::to_string(q) + " third corner is P3");
        expect_near(vertex(b, 4 * q + 3), ground(10, 0, 10), "quad " + std::to_string(q) + " fourth corner is P2");
    }
    EXPECT_EQ(b.index_count, 24);

    // A limb quad between two ground points, half-width 2 across the limb.
    b.vertex_count = b.index_count = 0;
    const float a[3] = {0, 0, 0}, c[3] = {0, 0, 10};
    cast_limb_quad_shadow(1, a, c, 2);
    ASSERT_EQ(b.vertex_count, 4);
    expect_near(vertex(b, 0), {-2, -3, 0}, "A - w n"); // n = (-10, 0) / 10
    expect_near(vertex(b, 2), {2, -3, 10}, "B + w n");
    add_quad_indices(4);
    add_quad_indices_reversed(4);
    EXPECT_EQ((std::vector<uint32_t>(b.indices.begin() + 6, b.indices.begin() + 18)),
              (std::vector<uint32_t>{0, 1, 2, 2, 3, 0, 2, 1, 0, 0, 3, 2}));

    // The test quad: fixed texture coordinates, x stored as given.
    test_shadow_quad = {1, 1, 100, 200};
    add_test_shadow_quad();
    const ShadowBuffer& t = shadow_buffers[1];
    ASSERT_EQ(t.vertex_count, 4);
    expect_near(vertex(t, 1), {1100, -3, 840}, "corner 1");
    EXPECT_EQ(t.uvs[0], 1.0f);
    EXPECT_EQ(t.uvs[3], 1.0f);
}

TEST_F(Shadows, ColoursFadeWithHeightAndBlendByTwoThirds)
{
    const struct {
        float height;
        uint8_t grey;
    } cases[] = {{0, 210}, {-3, 210}, {100, 230}, {200, 250}, {500, 250}};
    // At night with one light the shadow grey is 210; the second colour 250.
    for (const auto& c : cases) {
        uint8_t out[4];
        faded_shadow_colour(c.height, out);
        EXPECT_EQ(out[0], c.grey) << c.height;
        EXPECT_EQ(out[3], 255);
    }
    const uint8_t c0[4] = {10, 10, 0, 0}, c1[4] = {200, 50, 0, 0}, c2[4] = {50, 200, 0, 0};
    uint8_t out[4];
    colour_two_thirds(c0, c1, c2, out);
    EXPECT_EQ(out[0], 110);
    EXPECT_EQ(out[1], 166) << "10 - 100, kept to its low byte";

    ShadowBuffer& b = shadow_buffers[0];
    cast_sized_disc_shadow(10, 10, 1, 0, 0, 0);
    append_faded_colours(100, 2);
    EXPECT_EQ(b.colour_count, 2);
    EXPECT_EQ(b.colours[4], 230);
    fill_shadow_colours(0);
    EXPECT_EQ(b.colour_count, 17);
    EXPECT_EQ(b.colours[4 * 16], 210);
    const float p[3] = {0, 0, 0};
    fade_shadow_alpha(0, p, 1, 0, 0); // along x; rim 9 is x 10 stored as -(-10)
    EXPECT_EQ(b.colours[3], 255) << "the centre: the second colour's alpha";
    EXPECT_EQ(b.colours[0], 0);
}

} // namespace

namespace {

// The shadow buffers drawn through the recording device: a pitch of two
// textures leaves the third buffer without one.
class ShadowDraw : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        files = std::make_unique<PictureFiles>();
        reset_render_state_cache();
        reset_texture_cache();
        reset_texture_slots();
        set_lkz_image_mode(0);
        reset_scene_lighting();
        reset_shadows();
        match_globals.time_of_day = 0;
        user_settings.pitch_render_quality = 1;
        alloc_shadow_lists();
        clear_lights();
        add_directional_light(0, 1, 0);
        alloc_shadow_buffers(4); // room for a run longer than one draw takes
        for (const char* name : {"GRASS.TGA", "LINES.TGA"}) {
            const std::string path = std::string("3d display\\textures\\") + name;
            files->write(std::string("3d display/textures/") + name, kit_tga(kit_picture(2, 2, 0xFF40A040)));
            texture_slots[loaded_slot_count] = {path, find_or_load_texture(path.c_str())};
            ++loaded_slot_count;
        }
    }
    void TearDown() override
    {
        reset_shadows();
        reset_scene_lighting();
        reset_texture_slots();
        reset_texture_cache();
        user_settings.pitch_render_quality = 0;
        files.reset();
        GlFixture::TearDown();
    }
    std::unique_ptr<PictureFiles> files;
};

TEST_F(ShadowDraw, ABufferWithoutASectionTextureIsSkippedAndEveryBufferEmptied)
{
    // Six sections on two textures, as a two-texture pitch gives them.
    const char* names[6] = {"pitch_middle_R", "pitch_corner1", "pitch_corner2", "pitch_corner3", "pitch_corner4",
                            "pitch_middle_L"};
    TcaMesh meshes[6]{};
    for (int i = 0; i < 6; ++i) std::strcpy(meshes[i].name, names[i]);
    ModelContainer c{};
    c.meshes = meshes;
    c.mesh_count = 6;
    ModelInstance pitch{};
    pitch.model = &c;
    const int8_t slots[6] = {0, 1, 1, 1, 1, 1};
    std::memcpy(pitch.mesh_slot, slots, sizeof slots);
    find_pitch_sections(&pitch);
    ASSERT_EQ(section_textures[2], -1);

    // Discs seen from 60 above:
    // z >= 0 falls on middle R (buffer 0), z < 0 on middle L (buffer 1).
    look_down_minus_z();
    gl_translate(0, 0, -60);
    gl_rotate(90, 1, 0, 0); // the ground seen from its shadows' side
    const int discs0 = 260; // 12,480 indices: more than one draw takes, all drawn
    for (int i = 0; i < discs0; ++i) cast_point_shadow(14, 1, 0, 10, 10);
    cast_point_shadow(14, 1, 0, 10, -10);
    ASSERT_EQ(shadow_buffers[0].index_count, 48 * discs0);
    ASSERT_EQ(shadow_buffers[1].index_count, 48);
    test_shadow_quad = {1, 2, 0, 0};
    add_test_shadow_quad();
    ASSERT_EQ(shadow_buffers[2].index_count, 6);

    device.forget();
    draw_shadow_buffers();
    uint32_t drawn = 0;
    for (const RecordedCall& d : device.of_kind(RecordedCall::DRAW)) drawn += d.b;
    EXPECT_EQ(drawn, 48u * (discs0 + 1)) << "both textured buffers whole, the third not at all";
    for (const ShadowBuffer& b : shadow_buffers) {
        EXPECT_EQ(b.index_count, 0);
        EXPECT_EQ(b.vertex_count, 0);
        EXPECT_EQ(b.uv_count, 0);
    }
}

} // namespace
