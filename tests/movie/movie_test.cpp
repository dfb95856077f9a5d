#include "movie/movie.h"

#include "lib/mad_write.h"
#include "win/grfreq.h"
#include "win/mainwindow.h"
#include "win/tempdir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

KitMoviePicture shade(int32_t w, int32_t h, double level)
{
    KitMoviePicture p;
    p.width = w, p.height = h;
    size_t n = static_cast<size_t>(w) * h;
    p.y.assign(n, level), p.cb.assign(n, 0), p.cr.assign(n, 0);
    return p;
}

std::vector<uint8_t> movie(int frames, bool sound, int32_t w = 32, int32_t h = 32, uint32_t compression = 0)
{
    KitMovie m;
    for (int i = 0; i < frames; ++i) m.frames.push_back(shade(w, h, i * 4 - 40));
    m.compression = compression;
    if (sound) m.sound.assign(22050 * frames / 15, 1000);
    return kit_mad(m);
}

uint32_t clock_now = 0;
uint32_t step_clock() { return clock_now += 20; }
int escape_after = -1;
uint32_t escaping_clock()
{
    if (moviestats.decoded >= escape_after && escape_after >= 0) {
        sendwinmessage(WM_KEYDOWN, 1u | 1u << 16, 0, 0);
        escape_after = -1;
    }
    return clock_now += 20;
}

class Movies : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetmovie();
        clock_now = 0;
        setmovieclock(step_clock);
    }
    void TearDown() override { resetmovie(); }
    int32_t play(const std::vector<uint8_t>& bytes)
    {
        return play_movie(dir.write("m.mad", bytes).c_str(), nullptr, 1, 0, 0);
    }
    TempDir dir;
};

TEST(MovieLevels, TheClockChoosesTheLevel)
{
    struct Case { uint64_t hz; bool intel, file2; MovieLevel want; };
    const Case cases[] = {
        {132999999, true, false, {1, 1, 0}},  {133000000, true, false, {2, 0, 0}},
        {200000000, true, false, {3, 0, 0}},  {233000001, true, true, {0, 0, 1}},
        {233000000, true, true, {3, 0, 0}},   {165999999, false, false, {1, 1, 0}},
        {233000000, false, false, {3, 0, 0}}, {266000001, false, true, {0, 0, 1}},
        {4400000000ull, true, false, {3, 0, 0}}, // past 32 bits
    };
    for (const Case& c : cases) {
        MovieLevel l = choosemovielevel(c.hz, c.intel, c.file2);
        EXPECT_EQ(l.level, c.want.level) << c.hz;
        EXPECT_EQ(l.dropdelta, c.want.dropdelta) << c.hz;
        EXPECT_EQ(l.usefile2, c.want.usefile2) << c.hz;
    }
}

TEST_F(Movies, AKitMoviePlaysEveryKeyFrameAndGivesTheDisplayBack)
{
    ASSERT_EQ(play(movie(10, true)), 1);
    EXPECT_EQ(moviestats.width, 32);
    EXPECT_EQ(moviestats.height, 32);
    EXPECT_EQ(moviestats.decoded, 10);
    EXPECT_GE(moviestats.shown, 1);
    EXPECT_GE(moviestats.soundid, 0) << "the sound plays through the sound library";
    EXPECT_EQ(moviestats.escaped, 0);
    EXPECT_NE(graphicsstate(), 7);
    // A second movie in the same process plays the same way.
    ASSERT_EQ(play(movie(3, false)), 1);
    EXPECT_EQ(moviestats.decoded, 3);
}

TEST_F(Movies, ItsSoundPlaysToTheEndPlainOrCompressed)
{
    for (uint32_t compression : {0u, 7u}) {
        SCOPED_TRACE(compression);
        ASSERT_EQ(play(movie(10, true, 32, 32, compression)), 1);
        EXPECT_GE(moviestats.soundid, 0);
        // 10 frames at 15 a second: 666 ms; the last status before the end
        // comes whenever the player last looked.
        EXPECT_GT(moviestats.soundplayed, 0);
        EXPECT_LE(moviestats.soundplayed, 667);
    }
}

TEST_F(Movies, EscEndsTheMovie)
{
    escape_after = 2;
    setmovieclock(escaping_clock);
    ASSERT_EQ(play(movie(40, true)), 1);
    EXPECT_EQ(moviestats.escaped, 1);
    EXPECT_LT(moviestats.decoded, 40);
}

TEST_F(Movies, PicturesTheBuffersCannotHoldPlayNothing)
{
    for (auto [w, h] : {std::pair{40, 32}, {32, 24}, {656, 32}, {32, 496}}) {
        std::vector<uint8_t> bytes = kit_mad_video_chunk("MADk", 65536 * 66, w, h, 8, {0, 0});
        ASSERT_EQ(play(bytes), 1);
        EXPECT_EQ(moviestats.decoded, 0) << w << "x" << h;
    }
    std::vector<uint8_t> shortchunk = {'M', 'A', 'D', 'k', 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(play(shortchunk), 1);
    EXPECT_EQ(moviestats.decoded, 0);
    EXPECT_EQ(play_movie(dir.path("missing.mad").c_str(), nullptr, 1, 0, 0), 0);
}

TEST_F(Movies, DeltaFramesBeforeTheFirstKeyFrameAreSkipped)
{
    KitMadBits copy;
    for (int m = 0; m < 4; ++m) copy.put(1, 1), copy.put(0, 2), copy.put(0, 6);
    std::vector<uint8_t> bytes = kit_mad_video_chunk("MADm", 65536 * 66, 32, 32, 8, copy.bytes());
    std::vector<uint8_t> rest = movie(2, false);
    std::vector<uint8_t> delta = kit_mad_video_chunk("MADm", 65536 * 66, 32, 32, 8, copy.bytes());
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    bytes.insert(bytes.end(), delta.begin(), delta.end());
    ASSERT_EQ(play(bytes), 1);
    EXPECT_EQ(moviestats.skipped, 1);
    EXPECT_EQ(moviestats.decoded, 3) << "two key frames and the delta after them";
}

} // namespace
