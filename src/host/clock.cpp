#include "host/clock.h"
#include "host/host_sdl.h"
#include "host/host_test_hooks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

uint32_t (*g_clock)() = nullptr;
uint32_t g_rand_state = 1;

uint64_t real_us()
{
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now() - start).count());
}

// The fast clock for headless runs (KOB99_FAST_CLOCK=N, 2 to 100): after each
// shown frame time runs N times as fast, until the frame is
// FAST_CLOCK_FRAME_LEAD_MS ahead; after that it crawls at a tenth of the real
// rate until the next frame. A slow frame therefore never owes the tick
// scheduler more ticks than it runs in one update (which would drop them),
// and a long load costs little time: a script's times count the frames,
// not the machine's speed or load, and stay where the match is. Waits that
// show no frame still see time pass.
struct FastClock {
    std::mutex mutex;
    uint32_t rate = 1;
    uint64_t frame_real_us = 0; // the real clock at the last frame shown
    uint64_t frame_game_us = 0; // the game's clock then
    uint64_t last_us = 0;       // never goes back
};
FastClock g_fast;
bool g_fast_read = false;

uint64_t fast_game_us(uint64_t real)
{
    const uint64_t now = g_fast.frame_game_us + host_fast_clock_lead_us(real - g_fast.frame_real_us, g_fast.rate);
    if (now > g_fast.last_us) g_fast.last_us = now;
    return g_fast.last_us;
}

uint32_t fast_rate()
{
    if (!g_fast_read) {
        g_fast_read = true;
        g_fast.rate = host_parse_fast_clock(std::getenv("KOB99_FAST_CLOCK"));
    }
    return g_fast.rate;
}

} // namespace

uint64_t host_fast_clock_lead_us(uint64_t real_since_frame_us, uint32_t rate)
{
    const uint64_t lead = uint64_t(FAST_CLOCK_FRAME_LEAD_MS) * 1000;
    const uint64_t fast = real_since_frame_us * rate;
    if (rate <= 1 || fast <= lead) return fast;
    return lead + (real_since_frame_us - lead / rate) / FAST_CLOCK_CRAWL_DIVISOR;
}

uint32_t host_parse_fast_clock(const char* value)
{
    if (!value || !*value) return 1;
    char* end = nullptr;
    const long rate = std::strtol(value, &end, 10);
    if (*end || rate < 1 || rate > FAST_CLOCK_MAX_RATE) {
        std::fprintf(stderr, "KOB99_FAST_CLOCK: \"%s\" is not a whole number from 1 to %d; the clock runs at the real rate\n",
                     value, FAST_CLOCK_MAX_RATE);
        return 1;
    }
    return static_cast<uint32_t>(rate);
}

void host_set_fast_clock(uint32_t rate)
{
    std::lock_guard<std::mutex> lock(g_fast.mutex);
    g_fast_read = true;
    g_fast.rate = rate ? rate : 1;
    g_fast.frame_real_us = real_us();
    g_fast.frame_game_us = g_fast.last_us = g_fast.frame_real_us;
}

void host_clock_frame_shown()
{
    if (fast_rate() == 1) return;
    std::lock_guard<std::mutex> lock(g_fast.mutex);
    const uint64_t real = real_us();
    g_fast.frame_game_us = fast_game_us(real);
    g_fast.frame_real_us = real;
}

uint32_t host_time_ms()
{
    if (g_clock) return g_clock();
    if (fast_rate() == 1) return static_cast<uint32_t>(real_us() / 1000);
    std::lock_guard<std::mutex> lock(g_fast.mutex);
    return static_cast<uint32_t>(fast_game_us(real_us()) / 1000);
}

void host_set_clock(uint32_t (*clock)()) { g_clock = clock; }

void host_sleep_ms(uint32_t ms)
{
    // A fast clock sleeps less: a wait of game time is over sooner.
    std::this_thread::sleep_for(std::chrono::microseconds(uint64_t(ms) * 1000 / fast_rate()));
}

int host_rand()
{
    g_rand_state = g_rand_state * 214013u + 2531011u;
    return static_cast<int>((g_rand_state >> 16) & 0x7FFF);
}

void host_srand(uint32_t seed) { g_rand_state = seed; }
