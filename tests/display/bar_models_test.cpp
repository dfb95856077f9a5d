// Screen-space bars: the quad by kind, shortened by the fill, and the
// frame-rate meter.
#include "platform/sound_fixtures.h"

#include "display/bar_models.h"
#include "lib/tca_writer.h"

namespace {

using namespace fixtures;

// One mesh of four corners with u running 0.1 to 0.9.
std::vector<uint8_t> bar_file()
{
    TcaFileData f;
    TcaMeshData m;
    m.texture = "BAR.TGA";
    m.name = "bar";
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    m.normals = m.vertices;
    m.facets = {{0, 1, 2, 0}, {1, 3, 2, 0}};
    m.uvs = {{0.1f, 0.0f}, {0.9f, 0.0f}, {0.1f, 1.0f}, {0.9f, 1.0f}};
    f.meshes.push_back(m);
    return write_tca(f);
}

class BarModels : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        fs::create_directories(dir / "3d display" / "tcas");
        write_file("3d display/tcas/L2R1.tca", bar_file());
        write_file("3d display/tcas/R2L1.tca", bar_file());
        reset_frame_rate_meter();
    }
    void TearDown() override
    {
        free_side_bars();
        reset_frame_rate_meter();
        SoundTest::TearDown();
    }
};

TEST_F(BarModels, TheFillShortensEachBarFromItsOwnEnd)
{
    load_side_bars();
    ASSERT_NE(side_bars[0].instance.model, nullptr);
    struct Case {
        int bar;
        float fill;
        float xs[4];  // the corners' x after placing at x = 10
        float us[4];
    } cases[] = {
        {0, 100, {10, -190, 10, -190}, {0.1f, 0.9f, 0.1f, 0.9f}},
        {0, 50, {10, -90, 10, -90}, {0.1f, 0.5f, 0.1f, 0.5f}},
        {0, 0, {10, 10, 10, 10}, {0.1f, 0.1f, 0.1f, 0.1f}},
        {1, 50, {110, 10, 110, 10}, {0.5f, 0.9f, 0.5f, 0.9f}},
    };
    for (const Case& c : cases) {
        const float point[2] = {10, 20};
        place_screen_model(c.bar, point, 30, 200, c.fill);
        const RenderBatch& b = side_bars[c.bar].instance.batch[0];
        EXPECT_TRUE(side_bars[c.bar].instance.active);
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(b.vertices[3 * k], c.xs[k]) << "bar " << c.bar << " fill " << c.fill << " corner " << k;
            EXPECT_FLOAT_EQ(b.uvs[2 * k], c.us[k]) << "bar " << c.bar << " fill " << c.fill << " corner " << k;
        }
        // Height runs from the point down by the height.
        EXPECT_FLOAT_EQ(b.vertices[1], 20 - 30);
        EXPECT_FLOAT_EQ(b.vertices[7], 20);
    }
    const float point[2] = {0, 0};
    place_screen_model(7, point, 1, 1, 50); // no such bar: nothing happens
}

TEST_F(BarModels, AMissingOrShortModelLeavesTheBarEmpty)
{
    TcaFileData f;
    TcaMeshData m;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    m.normals = m.vertices;
    m.facets = {{0, 1, 2, 0}};
    m.uvs = {{0, 0}, {1, 0}, {0, 1}};
    f.meshes.push_back(m);
    write_file("3d display/tcas/R2L1.tca", write_tca(f));
    fs::remove(dir / "3d display" / "tcas" / "L2R1.tca");
    load_side_bars();
    EXPECT_EQ(side_bars[0].instance.model, nullptr);
    EXPECT_EQ(side_bars[1].instance.model, nullptr);
    const float point[2] = {0, 0};
    place_screen_model(1, point, 10, 10, 50);
    EXPECT_FALSE(side_bars[1].instance.active);
}

TEST_F(BarModels, TheTestAnimationFillsToAHundredThenStartsAgain)
{
    load_side_bars();
    const RenderBatch& b = side_bars[0].instance.batch[0];
    for (int call = 1; call <= 101; ++call) {
        animate_side_bars();
        const float fill = call <= 100 ? static_cast<float>(call) : 0.0f;
        EXPECT_FLOAT_EQ(b.vertices[3], -200 * fill / 100) << call;
    }
}

uint32_t fake_now;
uint32_t fake_clock() { return fake_now; }

TEST_F(BarModels, TheFrameRateSpansTheLastHundredCalls)
{
    frame_rate_clock = fake_clock;
    fake_now = 5000;
    for (int i = 0; i < 99; ++i) measure_frame_rate();
    EXPECT_EQ(measure_frame_rate(), 0) << "no time has passed: not settled";
    int32_t rate = 0;
    for (int i = 0; i < 100; ++i) {
        fake_now += 20;
        rate = measure_frame_rate();
    }
    // 99 steps of 20 ms lie between the hundred stored values: 50 a second.
    EXPECT_EQ(rate, 100000 / (99 * 20));
}

} // namespace
