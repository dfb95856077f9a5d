// The built data set's test sounds, read back the way the game reads them.
#include "platform/memory.h"
#include "platform/wave_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace
{

std::vector<int16_t> load_pcm16(const char* name, WaveFormat& format)
{
    uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(wave_load_file(name, &format, &data, &size), WAVE_OK) << name;
    std::vector<int16_t> pcm(size / 2);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<int16_t>(static_cast<uint16_t>(data[2 * i] | data[2 * i + 1] << 8));
    if (data) free_mem(data);
    return pcm;
}

double rms(const std::vector<int16_t>& pcm, size_t from, size_t count)
{
    double sum = 0;
    for (size_t i = from; i < from + count; ++i)
        sum += static_cast<double>(pcm[i]) * pcm[i];
    return std::sqrt(sum / static_cast<double>(count));
}

} // namespace

TEST(TestSoundFiles, EachIsAudible22kMonoPcmOfItsLengthWithoutClipping)
{
    ASSERT_NE(std::getenv("KOB99_DATA_DIR"), nullptr);
    struct Case {
        const char* name;
        double min_seconds, max_seconds;
        bool loops; // else it starts and ends in silence, with no click
    } cases[] = {
        {"kob99_sfx\\sfxtest.wav", 0.4, 1.0, false},
        {"kob99_sfx\\crowd.wav", 3.0, 6.0, true},
        {"kob99_sfx\\commtest.wav", 2.0, 4.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaveFormat f{};
        std::vector<int16_t> pcm = load_pcm16(c.name, f);
        EXPECT_EQ(f.format_tag, WAVE_FORMAT_PCM);
        EXPECT_EQ(f.channels, 1);
        EXPECT_EQ(f.samples_per_sec, 22050u);
        EXPECT_EQ(f.bits_per_sample, 16);
        EXPECT_EQ(f.block_align, 2);
        double seconds = static_cast<double>(pcm.size()) / 22050.0;
        EXPECT_GE(seconds, c.min_seconds);
        EXPECT_LE(seconds, c.max_seconds);
        if (pcm.size() < 2205) continue;

        // Clipping shows as samples stuck at the limits; stay clear of them.
        int peak = 0;
        for (int16_t s : pcm)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_LT(peak, 32000);
        EXPECT_GT(peak, 8000) << "loud enough to hear";
        EXPECT_GT(rms(pcm, 0, pcm.size()), 1000.0);

        if (c.loops) {
            // The step across the seam is no larger than the sound's own steps.
            int largest_step = 0;
            for (size_t i = 1; i < pcm.size(); ++i)
                largest_step = std::max(largest_step, std::abs(pcm[i] - pcm[i - 1]));
            EXPECT_LE(std::abs(pcm.front() - pcm.back()), largest_step);
            // And no swell of loudness jumps at it: the last and first tenths match.
            size_t tenth = 2205;
            double end = rms(pcm, pcm.size() - tenth, tenth), start = rms(pcm, 0, tenth);
            EXPECT_LT(std::fabs(end - start), 0.35 * std::max(end, start));
        } else {
            EXPECT_LT(std::abs(pcm.front()), 200);
            EXPECT_LT(std::abs(pcm.back()), 200);
        }
    }
}
