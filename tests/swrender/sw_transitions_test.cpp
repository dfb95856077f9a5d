// The software screen transitions with a recorded presenter and a clock
// that moves a set number of ticks a frame: frame counts, the final picture
// and the screen sizes from 320 x 200 to 1280 x 1024.
#include "swrender/sw_transitions.h"

#include "host/host_test_hooks.h"
#include "platform/memory.h"
#include "screen/screen.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Recorder {
    int32_t flips = 0, copies = 0;
    std::vector<uint8_t> last_flipped, last_copied, first_flipped;
    size_t bytes = 0;
    uint32_t clock_ms = 0;
    uint32_t ticks = 0, ticks_per_frame = 1;
} rec;

uint32_t fake_clock() { return rec.clock_ms; }

void record(const uint8_t* picture, int32_t flip)
{
    if (flip) {
        if (rec.flips == 0) rec.first_flipped.assign(picture, picture + rec.bytes);
        ++rec.flips;
        rec.last_flipped.assign(picture, picture + rec.bytes);
        // Whole ticks exactly: the counter carries the milliseconds between.
        rec.ticks += rec.ticks_per_frame;
        rec.clock_ms = (rec.ticks * 1000 + 59) / 60;
    } else {
        ++rec.copies;
        rec.last_copied.assign(picture, picture + rec.bytes);
    }
}

class SwTransitions : public ::testing::Test {
protected:
    std::vector<uint8_t> old_picture, new_picture;
    int32_t width = 640, height = 480;

    void SetUp() override
    {
        init_screen_format(0);
        rec = Recorder{};
        host_set_clock(fake_clock);
        set_transition_present_hook(record);
        use_screen(640, 480);
    }
    void TearDown() override
    {
        reset_sw_transitions();
        host_set_clock(nullptr);
        init_screen_format(0);
    }
    void use_screen(int32_t w, int32_t h)
    {
        width = w;
        height = h;
        screen.width = uint32_t(w);
        screen.height = uint32_t(h);
        rec.bytes = size_t(w) * size_t(h);
        old_picture.resize(rec.bytes);
        new_picture.resize(rec.bytes);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                old_picture[size_t(y) * size_t(w) + size_t(x)] = uint8_t((x + y) & 127);
                new_picture[size_t(y) * size_t(w) + size_t(x)] = uint8_t(128 + ((x * 3 + y) & 127));
            }
    }
    void run(int32_t effect) { run_screen_transition(old_picture.data(), new_picture.data(), effect); }
    uint8_t at(const std::vector<uint8_t>& p, int32_t x, int32_t y) const { return p[size_t(y) * size_t(width) + size_t(x)]; }
};

TEST_F(SwTransitions, EffectsEndOnTheNewPictureWithTheirFrameCounts)
{
    struct Case {
        int32_t effect, flips, copies;
        bool final_copy_is_new;
    } cases[] = {
        {1, 27 + 1, 1, true}, // the 27-entry window, then the new picture shown and copied once more
        {2, 60 + 1, 0, false}, // offsets 3, 11, ... 475
        {5, 64, 1, true},      // one tile a frame, then the work picture copied without a flip
        {4, 0, 0, false},
    };
    for (const Case& c : cases) {
        rec = Recorder{};
        rec.bytes = size_t(width) * size_t(height);
        const int32_t buffers = alloc_count;
        run(c.effect);
        EXPECT_EQ(alloc_count, buffers) << c.effect; // the work picture is given back
        EXPECT_EQ(rec.flips, c.flips) << c.effect;
        EXPECT_EQ(rec.copies, c.copies) << c.effect;
        if (c.flips) {
            EXPECT_EQ(rec.last_flipped, new_picture) << c.effect;
        }
        if (c.final_copy_is_new) {
            EXPECT_EQ(rec.last_copied, new_picture) << c.effect;
        }
        EXPECT_EQ(transition_new_picture, new_picture.data());
        EXPECT_EQ(transition_old_picture, old_picture.data());
    }
}

TEST_F(SwTransitions, SqueezeShowsSlatsOfTheOldPictureBetweenTheNew)
{
    rec.ticks_per_frame = 60; // one long frame: the list runs past its window
    run(1);
    EXPECT_EQ(rec.flips, 2);
    // The first entry (59 of 60): no new row above the slat, one below it.
    const auto& f = rec.first_flipped;
    EXPECT_EQ(at(f, 10, 0), at(old_picture, 10, 0));
    EXPECT_EQ(at(f, 10, 59), at(new_picture, 10, 59));
    EXPECT_EQ(at(f, 10, 60), at(old_picture, 10, 60));
    // Three ticks a frame skip entries: 27 / 3 frames.
    rec = Recorder{};
    rec.bytes = old_picture.size();
    rec.ticks_per_frame = 3;
    run(1);
    EXPECT_EQ(rec.flips, 9 + 1);
}

TEST_F(SwTransitions, TilesAreLaidInAClockwiseSpiral)
{
    uint32_t order[TILE_COUNT];
    build_tile_order(2, 640, order);
    EXPECT_EQ(order[0], 0u);
    EXPECT_EQ(order[7], 7u * 80);
    EXPECT_EQ(order[8], 60u * 640 + 7 * 80);
    EXPECT_EQ(order[14], 7u * 60 * 640 + 7 * 80);
    EXPECT_EQ(order[63], 4u * 60 * 640 + 3 * 80); // the last tile: row 4, column 3
    std::vector<bool> seen(64);
    for (uint32_t o : order) seen[(o / (60 * 640)) * 8 + (o % 640) / 80] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 64);
}

TEST_F(SwTransitions, ArcStepsFollowTheCylinder)
{
    EXPECT_EQ(roll_arc_step(20, 0), 8195u);
    EXPECT_EQ(roll_arc_step(20, 1), 8216u);
    EXPECT_EQ(roll_arc_step(20, 2), 8258u);
    EXPECT_EQ(roll_arc_step(20, 19), 52029u);
    EXPECT_EQ(roll_arc_step(40, 0), 8193u);
    EXPECT_EQ(roll_arc_step(40, 1), 8198u);
    EXPECT_EQ(roll_arc_step(40, 2), 8208u);
    EXPECT_EQ(roll_arc_step(40, 39), 73425u);
    EXPECT_EQ(roll_arc_step(40, 28), 11678u); // stored one above its rounding
}

TEST_F(SwTransitions, RollDownUncoversTheNewPictureFromTheTop)
{
    run(3);
    // t = 8, 14, ... while t < 530: 87 frames, then the work picture once more.
    EXPECT_EQ(rec.flips, 87 + 1);
    EXPECT_EQ(rec.last_flipped, new_picture);
    // The first frame (t = 8) leaves every row from t + 41 on as the old picture.
    for (int32_t y = 49; y < height; y += 37) EXPECT_EQ(at(rec.first_flipped, 5, y), at(old_picture, 5, y)) << y;
}

TEST_F(SwTransitions, CornerPeelRunsDownToTheTopLeftCorner)
{
    run(6);
    // p = 1129, 1121, ... while p >= 0: 142 frames, nothing presented after.
    EXPECT_EQ(rec.flips, 142);
    EXPECT_EQ(rec.copies, 0);
    // The bottom-right corner is the new picture long before the end.
    EXPECT_EQ(at(rec.last_flipped, width - 1, height - 1), at(new_picture, width - 1, height - 1));
    EXPECT_EQ(at(rec.last_flipped, 320, 240), at(new_picture, 320, 240));
    // The first frame curls only the corner.
    EXPECT_EQ(at(rec.first_flipped, 10, 10), at(old_picture, 10, 10));
}

TEST_F(SwTransitions, SmallestAndLargestScreens)
{
    for (auto [w, h] : {std::pair{320, 200}, std::pair{1280, 1024}}) {
        use_screen(w, h);
        for (int32_t effect : {1, 2, 3, 5, 6}) {
            rec = Recorder{};
            rec.bytes = size_t(w) * size_t(h);
            rec.ticks_per_frame = 4; // four ticks a frame: the same endings in fewer frames
            run(effect);
            EXPECT_GT(rec.flips, 0) << w << " " << effect;
            if (effect == 1) {
                EXPECT_EQ(rec.flips, 7 + 1) << w; // entries 0, 4, ... 24
            }
            if (effect != 6) {
                EXPECT_EQ(effect == 5 ? rec.last_copied : rec.last_flipped, new_picture) << w << " " << effect;
            }
        }
    }
    // A screen no row is built for: the bands and tiles cut instead.
    use_screen(512, 384);
    rec = Recorder{};
    rec.bytes = size_t(512) * 384;
    run(1);
    run(5);
    EXPECT_EQ(rec.flips + rec.copies, 0);
}

} // namespace
