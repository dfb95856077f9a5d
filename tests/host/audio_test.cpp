#include "host/audio.h"
#include "host/host_test_hooks.h"
#include "host/host_sdl.h"
#include "host/periodic_timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

namespace {

const HostSoundFormat MONO16{1, 16, HOST_SOUND_RATE};

class HostAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_sound_set_manual_output(true);
        ASSERT_TRUE(host_sound_open());
    }
    void TearDown() override
    {
        host_sound_close();
        host_sound_set_manual_output(false);
    }
    static HostSoundBuffer* buffer_of(const std::vector<uint8_t>& bytes, HostSoundFormat format = MONO16)
    {
        HostSoundBuffer* b = host_sound_create_buffer(format, static_cast<uint32_t>(bytes.size()));
        void *p1, *p2;
        uint32_t n1, n2;
        EXPECT_EQ(host_sound_lock(b, 0, static_cast<uint32_t>(bytes.size()), &p1, &n1, &p2, &n2), HOST_SOUND_OK);
        std::memcpy(p1, bytes.data(), n1);
        EXPECT_EQ(host_sound_unlock(b, p1, n1, p2, n2), HOST_SOUND_OK);
        return b;
    }
    static std::vector<uint8_t> le16(const std::vector<int16_t>& samples)
    {
        std::vector<uint8_t> out;
        for (int16_t s : samples) out.push_back(static_cast<uint8_t>(s)), out.push_back(static_cast<uint8_t>(s >> 8));
        return out;
    }
    static std::vector<int16_t> mix(uint32_t frames)
    {
        std::vector<int16_t> out(frames);
        host_sound_mix(out.data(), frames);
        return out;
    }
};

const std::vector<int16_t> SOUND = {1000, -2000, 16000, 32767, -32768, 5};

TEST_F(HostAudio, MixesEachBufferAtItsVolumePanAndFrequency)
{
    struct Case {
        const char* what;
        int32_t volume, pan;
        uint32_t frequency;
        std::vector<int16_t> expected;
    };
    const Case cases[] = {
        {"as it is", 0, 0, 22050, {1000, -2000, 16000, 32767, -32768, 5, 0}},
        {"-20 dB", -2000, 0, 22050, {100, -201, 1600, 3276, -3277, 0, 0}},
        {"silence at the bottom", -10000, 0, 22050, {0, 0, 0, 0, 0, 0, 0}},
        // The output is mono: one side alone is half the level.
        {"fully right", 0, 10000, 22050, {500, -1000, 8000, 16383, -16384, 2, 0}},
        {"fully left", 0, -10000, 22050, {500, -1000, 8000, 16383, -16384, 2, 0}},
        {"double rate", 0, 0, 44100, {1000, 16000, -32768, 0, 0, 0, 0}},
        {"half rate, in-between samples interpolated", 0, 0, 11025,
         {1000, -500, -2000, 7000, 16000, 24383, 32767, -1, -32768, -16382, 5, 5, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostSoundBuffer* b = buffer_of(le16(SOUND));
        ASSERT_EQ(host_sound_set_volume(b, c.volume), HOST_SOUND_OK);
        ASSERT_EQ(host_sound_set_pan(b, c.pan), HOST_SOUND_OK);
        ASSERT_EQ(host_sound_set_frequency(b, c.frequency), HOST_SOUND_OK);
        ASSERT_EQ(host_sound_play(b, false), HOST_SOUND_OK);
        EXPECT_EQ(mix(static_cast<uint32_t>(c.expected.size())), c.expected);
        uint32_t status = 99;
        host_sound_get_status(b, &status);
        EXPECT_EQ(status, 0u) << "a sound played once stops at its end";
        host_sound_release(b);
    }
}

TEST_F(HostAudio, SumsBuffersAndHoldsTheSumToSixteenBits)
{
    HostSoundBuffer* a = buffer_of(le16({30000, -30000, 100}));
    HostSoundBuffer* b = buffer_of(le16({30000, -30000, -300}));
    host_sound_play(a, false);
    host_sound_play(b, false);
    EXPECT_EQ(mix(3), (std::vector<int16_t>{32767, -32768, -200}));
}

TEST_F(HostAudio, ReadsEightBitAndStereoSoundsAsMono)
{
    // 8-bit is unsigned around 128; stereo is the mean of the two sides.
    HostSoundBuffer* b = buffer_of({255, 1, 200, 200, 128, 0}, HostSoundFormat{2, 8, HOST_SOUND_RATE});
    host_sound_play(b, false);
    EXPECT_EQ(mix(4), (std::vector<int16_t>{0, 18432, -16384, 0}));
}

TEST_F(HostAudio, LoopingBufferWrapsAndKeepsPlaying)
{
    HostSoundBuffer* b = buffer_of(le16({1, 2, 3}));
    host_sound_play(b, true);
    EXPECT_EQ(mix(7), (std::vector<int16_t>{1, 2, 3, 1, 2, 3, 1}));
    uint32_t status = 0, play = 0;
    host_sound_get_status(b, &status);
    EXPECT_EQ(status, HOST_SOUND_PLAYING | HOST_SOUND_LOOPING);
    host_sound_get_position(b, &play);
    EXPECT_EQ(play, 2u) << "one frame into the next round, in bytes";
}

TEST_F(HostAudio, DuplicateSharesTheSoundButPlaysOnItsOwn)
{
    HostSoundBuffer* a = buffer_of(le16({100, 200, 300, 400}));
    HostSoundBuffer* d = host_sound_duplicate(a);
    ASSERT_NE(d, nullptr);
    host_sound_play(a, false);
    host_sound_play(d, false);
    EXPECT_EQ(mix(2), (std::vector<int16_t>{200, 400}));
    host_sound_stop(a);
    EXPECT_EQ(mix(1), (std::vector<int16_t>{300}));

    // What is written through one reaches the other.
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(host_sound_lock(a, 6, 2, &p1, &n1, &p2, &n2), HOST_SOUND_OK);
    std::memcpy(p1, le16({-7}).data(), 2);
    ASSERT_EQ(host_sound_unlock(a, p1, n1, p2, n2), HOST_SOUND_OK);
    EXPECT_EQ(mix(1), (std::vector<int16_t>{-7}));
    EXPECT_EQ(host_sound_buffer_count(), 2u);
}

TEST_F(HostAudio, LockWrapsPastTheEndIntoTheStart)
{
    HostSoundBuffer* b = buffer_of(le16({1, 2, 3, 4}));
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(host_sound_lock(b, 6, 4, &p1, &n1, &p2, &n2), HOST_SOUND_OK);
    EXPECT_EQ(n1, 2u);
    EXPECT_EQ(n2, 2u);
    ASSERT_NE(p2, nullptr);
    std::memcpy(p1, le16({40}).data(), 2);
    std::memcpy(p2, le16({10}).data(), 2);
    // A second lock while one is out is refused.
    void *q1, *q2;
    uint32_t m1, m2;
    EXPECT_NE(host_sound_lock(b, 0, 2, &q1, &m1, &q2, &m2), HOST_SOUND_OK);
    ASSERT_EQ(host_sound_unlock(b, p1, n1, p2, n2), HOST_SOUND_OK);
    host_sound_play(b, false);
    EXPECT_EQ(mix(4), (std::vector<int16_t>{10, 2, 3, 40}));
}

TEST_F(HostAudio, RefusesWhatCannotBePlayed)
{
    EXPECT_EQ(host_sound_create_buffer(HostSoundFormat{3, 16, 22050}, 64), nullptr);
    EXPECT_EQ(host_sound_create_buffer(HostSoundFormat{1, 12, 22050}, 64), nullptr);
    EXPECT_EQ(host_sound_create_buffer(HostSoundFormat{1, 16, 0}, 64), nullptr);
    EXPECT_EQ(host_sound_create_buffer(MONO16, 2), nullptr);
    EXPECT_FALSE(host_sound_set_primary_format(HostSoundFormat{2, 16, 44100}));
    EXPECT_TRUE(host_sound_set_primary_format(MONO16));

    HostSoundBuffer* b = buffer_of(le16({1, 2}));
    void *p1, *p2;
    uint32_t n1, n2, status;
    EXPECT_NE(host_sound_lock(b, 4, 2, &p1, &n1, &p2, &n2), HOST_SOUND_OK) << "offset past the end";
    EXPECT_NE(host_sound_lock(b, 0, 6, &p1, &n1, &p2, &n2), HOST_SOUND_OK) << "more than the buffer";
    EXPECT_NE(host_sound_set_frequency(b, 99), HOST_SOUND_OK);
    EXPECT_NE(host_sound_set_volume(b, 1), HOST_SOUND_OK);
    EXPECT_NE(host_sound_set_pan(b, -10001), HOST_SOUND_OK);
    EXPECT_NE(host_sound_set_position(b, 4), HOST_SOUND_OK);
    ASSERT_EQ(host_sound_release(b), HOST_SOUND_OK);
    // A released buffer is gone for every call.
    EXPECT_NE(host_sound_get_status(b, &status), HOST_SOUND_OK);
    EXPECT_NE(host_sound_release(b), HOST_SOUND_OK);
    EXPECT_EQ(host_sound_duplicate(b), nullptr);
}

TEST(HostTimer, RunsUntilKilledAndNotAfter)
{
    static std::atomic<int> calls;
    calls = 0;
    uint32_t id = host_timer_start(5, [](uint32_t, void*) { ++calls; }, nullptr);
    ASSERT_NE(id, 0u);
    for (int i = 0; i < 2000 && calls < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    host_timer_kill(id);
    int seen = calls;
    EXPECT_GE(seen, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(calls, seen) << "no callback runs after kill returns";
}

TEST(HostTimer, CallbackCanKillItsOwnTimer)
{
    static std::atomic<int> calls;
    calls = 0;
    uint32_t id = host_timer_start(
        5,
        [](uint32_t self, void*) {
            ++calls;
            host_timer_kill(self);
        },
        nullptr);
    for (int i = 0; i < 2000 && calls < 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(calls, 1);
    host_timer_kill(id); // reaps the stopped thread
}

TEST(HostTimer, ManualTimersRunOnlyWhenAsked)
{
    static int calls;
    calls = 0;
    host_sound_set_manual_output(true);
    uint32_t id = host_timer_start(200, [](uint32_t, void*) { ++calls; }, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(calls, 0);
    host_timer_run_manual();
    host_timer_run_manual();
    EXPECT_EQ(calls, 2);
    host_timer_kill(id);
    host_timer_run_manual();
    EXPECT_EQ(calls, 2);
    host_sound_set_manual_output(false);
}

// The real output (the dummy device when headless) carries the sound, sample
// for sample, to the capture hook.
TEST(HostAudioDevice, PlaysThroughTheDevice)
{
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    std::string saved = driver ? driver : "";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const bool opened = host_sound_open();
    if (driver)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    ASSERT_TRUE(opened);
    static std::mutex m;
    static std::vector<int16_t> heard;
    heard.clear();
    host_sound_set_capture(
        [](const int16_t* frames, uint32_t count, void*) {
            std::lock_guard<std::mutex> lock(m);
            heard.insert(heard.end(), frames, frames + count);
        },
        nullptr);
    std::vector<int16_t> sound(2000);
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = static_cast<int16_t>(i + 1);
    HostSoundBuffer* b = host_sound_create_buffer(MONO16, 4000);
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(host_sound_lock(b, 0, 4000, &p1, &n1, &p2, &n2), HOST_SOUND_OK);
    std::memcpy(p1, sound.data(), 4000);
    host_sound_unlock(b, p1, n1, p2, n2);
    host_sound_play(b, false);
    for (int i = 0; i < 5000; ++i) {
        uint32_t status = 1;
        host_sound_get_status(b, &status);
        if (!status) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    host_sound_set_capture(nullptr, nullptr);
    host_sound_close();
    std::lock_guard<std::mutex> lock(m);
    auto first = std::find(heard.begin(), heard.end(), int16_t{1});
    ASSERT_NE(first, heard.end());
    ASSERT_GE(heard.end() - first, 2000);
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), first));
}

} // namespace
