// Scene lighting: the light list by time of day and shadow quality, and the
// floodlit pitch map: reading it, scaling its values and looking it up.
#include "gl3d/picture_files.h"

#include "display/scene_lighting.h"
#include "gl3d/texture_cache.h"
#include "lib/image_write.h"
#include "lib/lzss_write.h"
#include "match/match_records.h"
#include "match/scene_choice.h"
#include "platform/settings.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace {

const char kMap[] = "3d display\\stadia\\lighting\\floodlit.tga";

class SceneLighting : public ::testing::Test {
protected:
    void SetUp() override
    {
        files = std::make_unique<PictureFiles>();
        reset_scene_lighting();
        set_lkz_image_mode(0);
        scene_choice = SceneChoice{};
        scene_choice.lighting_switch = 1;
    }
    void TearDown() override
    {
        reset_scene_lighting();
        set_lkz_image_mode(0);
        scene_choice = SceneChoice{};
        match_globals.time_of_day = 0;
        user_settings.pitch_render_quality = 0;
        files.reset();
    }
    // A map of the given values, one row after another.
    void map_of(int32_t width, int32_t height, std::vector<uint8_t> values)
    {
        free_pitch_lighting_map();
        PitchLightingMap& m = pitch_lighting_map;
        m.width = width, m.height = height;
        m.values = new uint8_t[values.size()];
        std::memcpy(m.values, values.data(), values.size());
        m.centre_row = height / 2, m.centre_column = width / 2;
    }
    std::vector<uint8_t> values() const
    {
        const PitchLightingMap& m = pitch_lighting_map;
        return std::vector<uint8_t>(m.values, m.values + size_t(m.width) * m.height);
    }
    std::unique_ptr<PictureFiles> files;
};

TEST_F(SceneLighting, ScalingFindsTheTrueLeastValueOfARisingMap)
{
    // A rising run: each value raises the maximum, and the least must still
    // be 40, not the last value that did not.
    map_of(2, 2, {40, 100, 200, 150});
    scale_lighting_map(120, 3);
    scale_lighting_map(130, 1);
    EXPECT_EQ(values(), (std::vector<uint8_t>{130, 170, 255, 212}));

    struct Case {
        int32_t value, mode;
        std::vector<uint8_t> before, after;
    } cases[] = {
        {300, 1, {10, 20, 30, 40}, {10, 20, 30, 40}},       // no byte: nothing
        {25, 0, {10, 20, 30, 40}, {10, 20, 25, 25}},        // a ceiling
        {25, 1, {10, 20, 30, 40}, {25, 25, 30, 40}},        // a floor
        {100, 2, {10, 20, 30, 40}, {0, 33, 66, 100}},       // spread over 0..value
        {100, 2, {77, 77, 77, 77}, {77, 77, 77, 77}},       // all equal: no range, nothing
        {100, 3, {77, 77, 77, 77}, {77, 77, 77, 77}},
        {100, 9, {10, 20, 30, 40}, {10, 20, 30, 40}},       // no such mode
    };
    for (const Case& c : cases) {
        map_of(2, 2, c.before);
        scale_lighting_map(c.value, c.mode);
        EXPECT_EQ(values(), c.after) << "value " << c.value << " mode " << c.mode;
    }
}

TEST_F(SceneLighting, APictureGivesAHalfSizeMapOfItsRedAndNoPixelsGiveNoMap)
{
    // 4 x 2 pixels: two 2 x 2 blocks, the red bytes averaged (rounded down).
    KitPicture p = kit_picture(4, 2, 0xFF000000);
    const uint32_t reds[2][4] = {{10, 20, 100, 100}, {30, 41, 100, 101}};
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x) p.at(x, y) = 0xFF000000u | reds[y][x] << 16 | 0x00FF00u;
    files->write("3d display/stadia/lighting/floodlit.tga", kit_tga(p));
    load_pitch_lighting_map(kMap);
    ASSERT_TRUE(pitch_lighting_on());
    EXPECT_EQ(pitch_lighting_map.width, 2);
    EXPECT_EQ(pitch_lighting_map.height, 1);
    EXPECT_EQ(values(), (std::vector<uint8_t>{25, 100}));

    // The compressed twin is read when compressed reading is on: without
    // it there are no pixels, and so no map and no lighting.
    set_lkz_image_mode(1);
    load_pitch_lighting_map(kMap);
    EXPECT_EQ(pitch_lighting_map.values, nullptr);
    EXPECT_EQ(scene_choice.lighting_switch, 0);
    EXPECT_FALSE(pitch_lighting_on());
    scale_lighting_map(120, 3); // nothing to scale
    uint8_t colour[4];
    const float at[3] = {0, 0, 0};
    lighting_map_colour(at, colour);
    EXPECT_EQ(colour[0], 255) << "without a map, white";

    // A picture too small to average is no map either.
    set_lkz_image_mode(0);
    scene_choice.lighting_switch = 1;
    files->write("3d display/stadia/lighting/floodlit.tga", kit_tga(kit_picture(1, 1, 0xFFFFFFFF)));
    load_pitch_lighting_map(kMap);
    EXPECT_EQ(pitch_lighting_map.values, nullptr);
    EXPECT_EQ(scene_choice.lighting_switch, 0);
}

TEST_F(SceneLighting, TheLookUpReadsTheCentreAndHoldsTheEdgeBeyondThePitch)
{
    KitPicture p = kit_picture(256, 128, 0xFF000000);
    // Map row 32, column 64 (pixels 128..129 across, 64..65 down) is 200.
    for (uint32_t y = 64; y < 66; ++y)
        for (uint32_t x = 128; x < 130; ++x) p.at(x, y) = 0xFFC80000u;
    p.at(0, 0) = p.at(1, 0) = p.at(0, 1) = p.at(1, 1) = 0xFF500000u; // row 0, column 0: 80
    files->write("3d display/stadia/lighting/floodlit.tga", kit_tga(p));
    load_pitch_lighting_map(kMap);
    ASSERT_EQ(pitch_lighting_map.width, 128);
    ASSERT_EQ(pitch_lighting_map.height, 64);
    struct Case {
        float x, z;
        uint8_t value;
    } cases[] = {
        {0, 0, 200},
        {12816, -8448, 80},    // row 0, column 0
        {40000, -30000, 80},   // beyond that corner: clamped to it
        {-40000, 30000, 0},    // the far corner
    };
    for (const Case& c : cases) {
        const float at[3] = {c.x, 0, c.z};
        uint8_t colour[4];
        lighting_map_colour(at, colour);
        EXPECT_EQ(colour[0], c.value) << c.x << ", " << c.z;
        EXPECT_EQ(colour[3], 255);
    }
}

TEST_F(SceneLighting, TheLightListFollowsTimeOfDayAndShadowQuality)
{
    struct Case {
        uint8_t time;
        uint32_t quality;
        float sun[3];
        int32_t lights;
        uint32_t first_flags;
        uint8_t grey;
    } cases[] = {
        {1, 1, {0.5f, 1.5f, -0.5f}, 1, 1, 180},
        {2, 1, {0.2f, 1.5f, 1.0f}, 1, 1, 190}, // a refused sun: the default light
        {0, 1, {0, 0, 0}, 1, 1, 210},
        {0, 2, {0, 0, 0}, 4, 0, 232},          // four floodlights
    };
    for (const Case& c : cases) {
        match_globals.time_of_day = c.time;
        user_settings.pitch_render_quality = c.quality;
        scene_choice.sun_count = 1;
        std::memcpy(scene_choice.sun, c.sun, sizeof c.sun);
        alloc_shadow_lists();
        ASSERT_EQ(light_count, c.lights) << int(c.time) << " " << c.quality;
        EXPECT_EQ(lights[0].flags, c.first_flags);
        EXPECT_EQ(shadow_colour[0], c.grey);
        if (c.time == 2) {
            EXPECT_NEAR(lights[0].direction[1], 1.5f / std::sqrt(4.25f), 1e-6f);
        }
        free_shadow_lists();
    }
}

} // namespace
