#include "sound_fixtures.h"
#include "host/host_test_hooks.h"

#include "host/periodic_timer.h"

#include <chrono>
#include <thread>

namespace {

using namespace fixtures;

// At 22050 frames a second one period (a fifth of a second) is 4410 frames,
// 8820 bytes of 16-bit mono; the buffer holds six.
constexpr uint32_t PERIOD_FRAMES = 4410;

std::vector<int16_t> phrase(size_t frames)
{
    std::vector<int16_t> v(frames);
    for (size_t i = 0; i < frames; ++i) v[i] = static_cast<int16_t>(static_cast<uint16_t>(i * 13 + 1));
    return v;
}

class Stream : public SoundTest {
protected:
    // What the listener hears over n periods, the timer running after each.
    std::vector<int16_t> play_periods(int n, int* closed_after = nullptr)
    {
        std::vector<int16_t> heard;
        for (int k = 1; k <= n; ++k) {
            std::vector<int16_t> part = mix(PERIOD_FRAMES);
            heard.insert(heard.end(), part.begin(), part.end());
            host_timer_run_manual();
            if (closed_after && !stream_state.open && *closed_after == 0) *closed_after = k;
        }
        return heard;
    }
    std::string write_phrase(const std::vector<int16_t>& samples)
    {
        write_file("phrase.wav", kit_wav_mono16(22050, samples));
        return "phrase.wav";
    }
};

TEST_F(Stream, RefillsAcrossTheWrapAndClosesAfterTheData)
{
    // Ten and a half periods: the buffer wraps, and the end falls mid-period.
    const std::vector<int16_t> data = phrase(PERIOD_FRAMES * 21 / 2);
    ASSERT_EQ(open_stream_wav(write_phrase(data).c_str()), 0);
    toggle_stream_wav();
    EXPECT_TRUE(stream_state.playing);
    EXPECT_TRUE(stream_state.timer_running);

    std::vector<int16_t> heard = play_periods(10);
    EXPECT_TRUE(stream_state.open);
    EXPECT_EQ(stream_state.bytes_played, 10 * 2 * PERIOD_FRAMES);
    int closed_after = 0;
    std::vector<int16_t> rest = play_periods(3, &closed_after);
    heard.insert(heard.end(), rest.begin(), rest.end());
    EXPECT_EQ(closed_after, 1) << "closes at the first refill after the last data has played";

    ASSERT_EQ(heard.size(), 13 * PERIOD_FRAMES);
    for (size_t i = 0; i < heard.size(); ++i) {
        int16_t want = i < data.size() ? data[i] : 0;
        if (heard[i] != want) {
            ADD_FAILURE() << "frame " << i << ": heard " << heard[i] << ", want " << want;
            break;
        }
    }
    EXPECT_FALSE(stream_state.playing);
    EXPECT_FALSE(stream_state.timer_running);
    EXPECT_EQ(host_sound_buffer_count(), 0u);
}

TEST_F(Stream, PhraseShorterThanTheBufferEndsAfterItsCountdown)
{
    // 8-bit: the silence after the phrase is 128, heard as 0.
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < PERIOD_FRAMES * 5 / 2; ++i) data.push_back(static_cast<uint8_t>(i % 250 + 3));
    write_file("short.wav", kit_wav(1, 22050, 8, data));
    ASSERT_EQ(open_stream_wav("short.wav"), 0);
    EXPECT_EQ(stream_state.end, 1u);
    EXPECT_EQ(stream_state.end_countdown, 2u) << "whole periods of data";
    toggle_stream_wav();
    int closed_after = 0;
    std::vector<int16_t> heard = play_periods(4, &closed_after);
    EXPECT_EQ(closed_after, 3);
    for (size_t i = 0; i < 3 * PERIOD_FRAMES; ++i) {
        int16_t want = i < data.size() ? static_cast<int16_t>((data[i] - 128) * 256) : 0;
        ASSERT_EQ(heard[i], want) << "frame " << i;
    }

    // Once the timer has closed the phrase, the main thread's stop finds
    // nothing of it: a sound made since (perhaps where the phrase's buffer
    // was) is not released in its place.
    const std::vector<int16_t> bell = {500, 600, 700};
    ASSERT_EQ(install_sample(sample_image(22050, SAMPLE_16BIT, pcm16(bell)).data(), 14, 9, 0), 9);
    toggle_stream_wav();
    close_stream_wav();
    EXPECT_EQ(host_sound_buffer_count(), 1u);
    play_sample(9, -1, 0, 127, 0, 0);
    EXPECT_EQ(mix(3), bell);
}

TEST_F(Stream, OpenFailures)
{
    const std::vector<uint8_t> pcm = kit_wav(1, 22050, 16, {1, 2, 3, 4});
    write_file("odd.wav", wav_non_pcm(pcm, 17, 0));
    write_file("slow.wav", kit_wav(1, 2, 16, {1, 2, 3, 4})); // no whole byte in a fifth of a second
    write_file("nodata.wav", wav_spliced(pcm, WAV_FMT_END, pcm.size() - WAV_FMT_END));
    // Bytes a second that disagree with the rate: a buffer of 268 MB for a
    // 60-byte file, or six periods past four gigabytes that would wrap round.
    std::vector<uint8_t> greedy = pcm;
    put_u32(greedy, WAV_BYTES_A_SECOND, 223000000u);
    write_file("greedy.wav", greedy);
    std::vector<uint8_t> huge = pcm;
    put_u32(huge, WAV_BYTES_A_SECOND - 4, 1789569710u); // rate x 2-byte blocks
    put_u32(huge, WAV_BYTES_A_SECOND, 3579139420u);
    write_file("huge.wav", huge);
    write_file("empty.wav", {});
    write_file("text.wav", {'h', 'e', 'l', 'l', 'o', ' ', 't', 'h', 'e', 'r', 'e', '!'});

    struct Case {
        const char* file;
        int32_t result;
    };
    const Case cases[] = {
        {"absent.wav", -100}, {"text.wav", -100},  {"empty.wav", -100},  {"odd.wav", -101},
        {"slow.wav", -102},   {"huge.wav", -102}, {"greedy.wav", -100}, {"nodata.wav", -103},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(open_stream_wav(c.file), c.result);
        EXPECT_FALSE(stream_state.open);
        toggle_stream_wav(); // nothing to start
        EXPECT_FALSE(stream_state.playing);
    }
    EXPECT_EQ(host_sound_buffer_count(), 0u);
}

TEST_F(Stream, ToggleStartsAndStopsAndANewPhraseReplacesTheOld)
{
    const std::vector<int16_t> first = phrase(PERIOD_FRAMES * 8);
    ASSERT_EQ(open_stream_wav(write_phrase(first).c_str()), 0);
    EXPECT_EQ(mix(10), std::vector<int16_t>(10, 0)) << "open, not yet playing";
    toggle_stream_wav();
    EXPECT_EQ(mix(3), std::vector<int16_t>(first.begin(), first.begin() + 3));
    host_timer_run_manual();
    EXPECT_EQ(stream_state.next_write, 0u) << "an early tick leaves the period still playing alone";
    EXPECT_EQ(mix(3), std::vector<int16_t>(first.begin() + 3, first.begin() + 6));
    toggle_stream_wav();
    EXPECT_FALSE(stream_state.open);
    EXPECT_EQ(host_sound_buffer_count(), 0u);

    std::vector<int16_t> second(PERIOD_FRAMES * 8, 0);
    for (size_t i = 0; i < second.size(); ++i) second[i] = static_cast<int16_t>(-static_cast<int32_t>(i % 1000));
    ASSERT_EQ(open_stream_wav(write_phrase(first).c_str()), 0);
    toggle_stream_wav();
    mix(5);
    ASSERT_EQ(open_stream_wav(write_phrase(second).c_str()), 0);
    EXPECT_FALSE(stream_state.playing) << "opening closes the playing phrase";
    toggle_stream_wav();
    EXPECT_EQ(mix(4), std::vector<int16_t>(second.begin(), second.begin() + 4));
    EXPECT_EQ(host_sound_buffer_count(), 1u);
}

// The timer refills on its own thread while the main thread stops the phrase
// at any moment, or the phrase ends and closes itself first: the buffer is
// released once, and nothing runs after the sound has shut down.
class StreamThreads : public Stream {
    bool manual_output() const override { return false; }
};

TEST_F(StreamThreads, StoppingRacesTheTimerSafely)
{
    const std::vector<int16_t> data = phrase(PERIOD_FRAMES + 100);
    const std::string name = write_phrase(data);
    for (int round = 0; round < 6; ++round) {
        ASSERT_EQ(open_stream_wav(name.c_str()), 0);
        toggle_stream_wav();
        std::this_thread::sleep_for(std::chrono::milliseconds(110 * round));
        if (round % 2)
            close_stream_wav();
        else
            toggle_stream_wav(); // stops when still playing, else nothing
        close_stream_wav();
        EXPECT_FALSE(stream_state.open);
        EXPECT_EQ(host_sound_buffer_count(), 0u) << "round " << round;
    }
    // Shutting down with the phrase playing stops its timer too.
    ASSERT_EQ(open_stream_wav(name.c_str()), 0);
    toggle_stream_wav();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    shutdown_direct_sound();
    EXPECT_FALSE(stream_state.open);
    EXPECT_FALSE(stream_state.timer_running);
    EXPECT_EQ(stream_state.timer_id, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    ASSERT_EQ(init_direct_sound(), 0); // for TearDown
}

// A quit during a match ends the process at once, with the phrase streaming:
// the device's thread and the timer must not trip over what is going away.
TEST_F(StreamThreads, QuitWhileAPhraseStreamsEndsCleanly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string name = write_phrase(phrase(PERIOD_FRAMES * 20));
    EXPECT_EXIT(
        {
            open_stream_wav(name.c_str());
            toggle_stream_wav();
            std::this_thread::sleep_for(std::chrono::milliseconds(450));
            // The child ran its own SetUp but never reaches TearDown: its
            // directory goes here (the phrase was read whole when opened).
            fs::remove_all(dir);
            std::exit(1);
        },
        ::testing::ExitedWithCode(1), "");
}

} // namespace
