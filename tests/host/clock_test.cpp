// The fast clock of headless runs: its setting, and how far it runs ahead of
// the frames shown.
#include "host/clock.h"
#include "host/host_sdl.h"
#include "host/host_test_hooks.h"

#include <gtest/gtest.h>

namespace {

TEST(FastClock, TheSettingIsAWholeRateOrTheRealOne)
{
    struct Case {
        const char* value;
        uint32_t rate;
    } cases[] = {{nullptr, 1}, {"", 1}, {"1", 1}, {"8", 8}, {"100", 100}, {"0", 1},
                 {"101", 1},   {"-4", 1}, {"4x", 1}, {"fast", 1}, {"2.5", 1}};
    for (const Case& c : cases) EXPECT_EQ(host_parse_fast_clock(c.value), c.rate) << (c.value ? c.value : "(unset)");
}

// After a frame, N times the real time until the frame is the lead ahead,
// then a crawl: a slow frame never owes the tick scheduler much more than
// the lead, and a long load costs little of a script's time.
TEST(FastClock, RunsFastUntilTheFrameIsTheLeadAheadThenAtTheRealRate)
{
    const uint64_t lead = uint64_t(FAST_CLOCK_FRAME_LEAD_MS) * 1000;
    struct Case {
        uint64_t real_us;
        uint32_t rate;
        uint64_t game_us;
    } cases[] = {
        {0, 10, 0},
        {1000, 10, 10000},
        {lead / 10, 10, lead},
        {lead / 10 + 20000, 10, lead + 20000 / FAST_CLOCK_CRAWL_DIVISOR},
        {1000000, 10, lead + (1000000 - lead / 10) / FAST_CLOCK_CRAWL_DIVISOR},
        {40000, 1, 40000},
        {lead, 100, lead + (lead - lead / 100) / FAST_CLOCK_CRAWL_DIVISOR},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host_fast_clock_lead_us(c.real_us, c.rate), c.game_us) << c.real_us << " us at " << c.rate;
}

TEST(FastClock, NeverGoesBackAcrossFramesAndSleepsShorter)
{
    host_set_fast_clock(50);
    uint32_t last = host_time_ms();
    for (int i = 0; i < 20; ++i) {
        host_sleep_ms(10); // 0.2 ms of real time
        if (i % 3 == 0) host_clock_frame_shown();
        const uint32_t now = host_time_ms();
        EXPECT_GE(now, last);
        last = now;
    }
    host_set_fast_clock(1);
}

} // namespace
