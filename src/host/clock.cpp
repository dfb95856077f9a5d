#include "host/clock.h"
#include "host/host_test_hooks.h"

#include <chrono>
#include <thread>

namespace {

uint32_t (*g_clock)() = nullptr;
uint32_t g_rand_state = 1;

uint32_t real_clock()
{
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

} // namespace

uint32_t host_time_ms() { return g_clock ? g_clock() : real_clock(); }

void host_set_clock(uint32_t (*clock)()) { g_clock = clock; }

void host_sleep_ms(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int host_rand()
{
    g_rand_state = g_rand_state * 214013u + 2531011u;
    return static_cast<int>((g_rand_state >> 16) & 0x7FFF);
}

void host_srand(uint32_t seed) { g_rand_state = seed; }
