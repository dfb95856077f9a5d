// Timers, animated quads, icon motion and screen wipes on an injected clock.
#include "gl_fixture.h"
#include "host/host_test_hooks.h"

#include "gl3d/byte_io.h"
#include "gl3d/hw_camera.h"
#include "gl3d/transitions.h"
#include "gl3d/timer_pool.h"
#include "host/clock.h"
#include "host/paths.h"

#include <filesystem>

namespace {

uint32_t g_now = 0;
uint32_t test_clock() { return g_now; }

class ClockTest : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        g_now = 1000;
        host_set_clock(test_clock);
        reset_timer_pool();
        reset_hw_camera();
        init_hw_lens();
        reset_hw_transitions();
        set_viewport(0, 0, 640, 480);
    }
    void TearDown() override
    {
        reset_hw_transitions();
        reset_timer_pool();
        host_set_clock(nullptr);
        GlFixture::TearDown();
    }
    static std::vector<int32_t> requested()
    {
        std::vector<int32_t> r(4);
        get_requested_viewport(&r[0], &r[1], &r[2], &r[3]);
        return r;
    }
};

TEST_F(ClockTest, TimersRunOnTheClockAndAFullPoolAnswersNone)
{
    int32_t t = timer_new();
    g_now += 250;
    EXPECT_EQ(timer_elapsed(t), 250u);
    EXPECT_EQ(timer_lap(t), 250u);
    EXPECT_EQ(timer_elapsed(t), 0u);
    EXPECT_EQ(timer_get_lap(t), 250u);
    g_now = 5; // the clock wrapped
    EXPECT_EQ(timer_elapsed(t), 5u - 1250u);
    for (int i = 1; i < TIMER_SLOTS; ++i) ASSERT_EQ(timer_new(), i);
    EXPECT_EQ(timer_new(), NO_TIMER);
    EXPECT_EQ(timer_count(), TIMER_SLOTS);
    EXPECT_EQ(timer_elapsed(NO_TIMER), TIMER_NONE_ELAPSED) << "whatever waits on it finishes";
    EXPECT_EQ(timer_delete(NO_TIMER), TIMER_SLOTS);
    EXPECT_EQ(timer_delete(3), TIMER_SLOTS - 1);
    EXPECT_EQ(timer_delete(3), TIMER_SLOTS - 1);
    EXPECT_EQ(timer_new(), 3);
}

TEST_F(ClockTest, QuadsMultiplyTheirShadesWhereTheyCoverThePoint)
{
    const QuadColour c1[4] = {{128, 255, 255}, {128, 255, 255}, {128, 255, 255}, {128, 255, 255}};
    const QuadColour c2[4] = {{255, 128, 255}, {255, 128, 255}, {255, 128, 255}, {255, 128, 255}};
    int32_t a = quad_create(), b = quad_create(), far = quad_create();
    quad_setcorners(a, c1);
    quad_setcorners(b, c2);
    quad_setcorners(far, c1);
    quad_setarea(far, 100, 100, 200, 200);
    quad_flagon(ALL_QUADS);
    float r, g, bl;
    quad_shade(ALL_QUADS, 0, 0, &r, &g, &bl);
    EXPECT_NEAR(r, 128, 0.01);
    EXPECT_NEAR(g, 128, 0.01);
    EXPECT_NEAR(bl, 255, 0.01);
    // The right and bottom edges are outside.
    quad_shade(far, 200, 150, &r, &g, &bl);
    EXPECT_EQ(r, 255);
    quad_shade(far, 199, 199, &r, &g, &bl);
    EXPECT_EQ(r, 128);
    quad_flagoff(a);
    quad_shade(a, 0, 0, &r, &g, &bl);
    EXPECT_EQ(r, 255) << "a quad that is off shades nothing";
    // A full pool refuses with an answer no operation mistakes for "every quad".
    while (quad_count() < QUAD_SLOTS) quad_create();
    EXPECT_EQ(quad_create(), NO_QUAD);
    quad_setcorners(NO_QUAD, c2);
    quad_shade(a, 0, 0, &r, &g, &bl);
    EXPECT_EQ(g, 255) << "untouched";
}

TEST_F(ClockTest, QuadChannelsReachTheirTargetsOnTheirOwnTimes)
{
    int32_t q = quad_create();
    const QuadColour black[4] = {};
    quad_settarget(q, 1000, 2000, 4000, black, {0, 0, 0}, {255, 255, 255});
    quad_start(q);
    g_now += 1000;
    EXPECT_EQ(quad_update(q), 0);
    float r, g, b;
    quad_shade(q, 0, 0, &r, &g, &b);
    EXPECT_NEAR(r, 0, 0.01);
    EXPECT_NEAR(g, 127.5, 0.01);
    g_now += 1000;
    EXPECT_EQ(quad_update(q), 0);
    quad_shade(q, 0, 0, &r, &g, &b);
    EXPECT_NEAR(g, 0, 0.01);
    g_now += 2000;
    EXPECT_EQ(quad_update(ALL_QUADS), 1);
    // A duration of 0 is over at once; a graded quad is interpolated.
    int32_t z = quad_create();
    const QuadColour ramp[4] = {{0, 0, 0}, {200, 200, 200}, {200, 200, 200}, {0, 0, 0}};
    quad_settarget(z, 0, 0, 0, ramp, {0, 0, 0}, {255, 255, 255});
    quad_start(z);
    EXPECT_EQ(quad_update(z), 1);
    quad_shade(z, 0, 0, &r, &g, &b);
    EXPECT_NEAR(r, 100, 0.5) << "half way across the screen";
}

TEST_F(ClockTest, IconMotionFollowsItsTables)
{
    struct Case {
        int32_t kind, d;
        int16_t dx, dy;
        int32_t done;
    } cases[] = {
        {3, 39, 0, -12, 0}, {3, 40, 0, 0, 1}, {3, -1, 0, ICON_OFF_SCREEN - 100, 0}, {1, 0, -600, 0, 0},
        {4, 30, 0, 31, 0},  {13, 40, 0, ICON_OFF_SCREEN - 100, 1}, {11, 0, -15, 0, 0}, {0, 5, 0, 0, 1},
    };
    for (const Case& c : cases) {
        front_end_anim_frame = 100;
        int16_t x = 100, y = 100, size = 0;
        int32_t done = 1;
        run_icon_motion(c.kind, &x, &y, &size, 100 - c.d, &done);
        EXPECT_EQ(x - 100, c.dx) << c.kind << " at " << c.d;
        EXPECT_EQ(y - 100, c.dy) << c.kind << " at " << c.d;
        EXPECT_EQ(done, c.done) << c.kind << " at " << c.d;
    }
    int16_t x = 0, y = 0, size = 0;
    int32_t done = 1;
    run_icon_motion(5, &x, &y, &size, 100 - 74, &done);
    EXPECT_EQ(size, 253);
    front_end_anim_frame = 0;
}

TEST_F(ClockTest, WipesCloseAndOpenOnTime)
{
    ASSERT_GE(start_hw_transition(0, 1000, 0), 0);
    g_now += 999;
    step_hw_transition();
    std::vector<int32_t> one_short = requested();
    EXPECT_NE(one_short, (std::vector<int32_t>{318, 238, 4, 4}));
    EXPECT_TRUE(hw_transition_running());
    g_now += 1;
    step_hw_transition();
    EXPECT_EQ(requested(), (std::vector<int32_t>{318, 238, 4, 4}));
    EXPECT_FALSE(hw_transition_running());
    EXPECT_EQ(timer_count(), 0) << "the wipe gave its timer back";

    set_viewport(0, 0, 640, 480);
    start_hw_transition(4, 500, 1);
    g_now += 250;
    step_hw_transition();
    EXPECT_EQ(requested(), (std::vector<int32_t>{0, 238, 640, 242})) << "half open";
    g_now += 300;
    step_hw_transition();
    EXPECT_EQ(requested(), (std::vector<int32_t>{0, 0, 640, 480})) << "ends on the full viewport";

    start_hw_transition(2, 0, 0);
    step_hw_transition();
    EXPECT_FALSE(hw_transition_running()) << "a duration of 0 ends at the first step";
    EXPECT_EQ(requested(), (std::vector<int32_t>{0, 0, 4, 480}));
}

TEST_F(ClockTest, EveryEffectEndsOnItsStrip)
{
    const int32_t base[4] = {0, 0, 640, 480};
    const int32_t ends[7][4] = {{318, 238, 4, 4}, {636, 0, 4, 480}, {0, 0, 4, 480}, {0, 0, 640, 4},
                                {0, 476, 640, 4}, {0, 238, 640, 4}, {318, 0, 4, 480}};
    for (int e = 0; e < 7; ++e) {
        int32_t r[4];
        hw_transition_rectangle(e, 1.0f, base, r);
        EXPECT_EQ(std::vector<int32_t>(r, r + 4), std::vector<int32_t>(ends[e], ends[e] + 4)) << e;
        hw_transition_rectangle(e, 0.0f, base, r);
        EXPECT_EQ(std::vector<int32_t>(r, r + 4), (std::vector<int32_t>{0, 0, 640, 480})) << e;
    }
}

TEST(ByteIo, ValuesRoundTripAndEndOfFileIsFlagged)
{
    std::filesystem::path p = std::filesystem::path(host_user_dir()) / "byte_io_test.bin";
    std::FILE* f = std::fopen(p.string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    write_float_le(f, -1.625f);
    write_dword_le(f, 0x12345678);
    write_word_le(f, 0xBEEF);
    std::fclose(f);
    f = std::fopen(p.string().c_str(), "rb");
    clear_byte_io_error();
    EXPECT_EQ(read_float_le(f), -1.625f);
    EXPECT_EQ(read_dword_le(f), 0x12345678u);
    EXPECT_EQ(read_word_le(f), 0xBEEF);
    EXPECT_FALSE(byte_io_error());
    EXPECT_EQ(read_byte(f), 0);
    EXPECT_TRUE(byte_io_error());
    std::fclose(f);
    std::filesystem::remove(p);
    clear_byte_io_error();
}

} // namespace
