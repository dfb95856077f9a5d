#include "movie/movie.h"

#include "host/host_test_hooks.h"
#include "lib/mad_write.h"
#include "win/grfreq.h"
#include "win/mainwindow.h"
#include "win/tempdir.h"
#include "win/wind.h"

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

TEST_F(Movies, HardwareOutputDrawsEachTileAsATexturedQuad)
{
    ASSERT_EQ(play(movie(1, false)), 1); // the libraries come up with the first movie
    RecordingDevice device;
    setmoviedevice(&device);
    // The tiles' drawing window needs the row tables the display keeps.
    const bool rows = rowspaceready();
    if (!rows) {
        ASSERT_EQ(initrow(), 1);
    }
    const DisplayInfo saved = displayinfo;
    displayinfo.width = 640, displayinfo.height = 480;
    const std::string file = dir.write("tiles.mad", movie(3, false, 96, 80));
    const struct {
        int32_t level;
        float left, top, size;
    } cases[] = {{0, 272, 200, 64}, {1, 224, 160, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        device.forget();
        int32_t drop = 0;
        ASSERT_EQ(stream_movie(file.c_str(), &drop, 1, c.level, 0), 1);
        EXPECT_EQ(device.of_kind(RecordedCall::CREATE_TEXTURE).size(), 4u) << "2 x 2 tiles for 96 x 80";
        auto draws = device.of_kind(RecordedCall::DRAW);
        ASSERT_GE(draws.size(), 4u);
        EXPECT_EQ(draws.size() % 4, 0u);
        EXPECT_EQ(draws.size() / 4, size_t(moviestats.shown));
        // The first frame's four quads: whole tiles, then the trimmed column and row.
        const float scale = c.size / 64;
        const struct {
            float x0, y0, x1, y1, u, v;
        } want[4] = {{c.left, c.top, c.left + c.size, c.top + c.size, 1, 1},
                     {c.left + c.size, c.top, c.left + c.size + 32 * scale, c.top + c.size, 0.5f, 1},
                     {c.left, c.top + c.size, c.left + c.size, c.top + c.size + 16 * scale, 1, 0.25f},
                     {c.left + c.size, c.top + c.size, c.left + c.size + 32 * scale, c.top + c.size + 16 * scale, 0.5f, 0.25f}};
        for (int i = 0; i < 4; ++i) {
            const auto& v = draws[size_t(i)].vertices;
            ASSERT_EQ(v.size(), 4u);
            EXPECT_FLOAT_EQ(v[0].x, want[i].x0) << i;
            EXPECT_FLOAT_EQ(v[0].y, want[i].y0) << i;
            EXPECT_FLOAT_EQ(v[2].x, want[i].x1) << i;
            EXPECT_FLOAT_EQ(v[2].y, want[i].y1) << i;
            EXPECT_FLOAT_EQ(v[2].u, want[i].u) << i;
            EXPECT_FLOAT_EQ(v[2].v, want[i].v) << i;
            EXPECT_FLOAT_EQ(v[0].z, 0.99998474f);
            EXPECT_FLOAT_EQ(v[0].rhw, 1.5259022e-05f);
            EXPECT_EQ(v[0].diffuse, 0xFFFFFFFFu);
        }
        // A flat picture: every tile holds the same colour inside the picture.
        auto writes = device.of_kind(RecordedCall::WRITE_TEXTURE);
        ASSERT_GE(writes.size(), 4u);
        const uint16_t grey = writes[0].texels[0];
        EXPECT_EQ(writes[1].texels[31], grey);
        EXPECT_EQ(writes[2].texels[15 * 64], grey);
        EXPECT_EQ(writes[3].texels[15 * 64 + 31], grey);
        EXPECT_EQ(device.live_textures, 0) << "every texture released";
    }
    displayinfo = saved;
    if (!rows) freerowspace();
}

} // namespace
