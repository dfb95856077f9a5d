#include "cmn/cpu.h"

#include "cmn/lib.h"
#include "win/timer.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

ProcessorRecord libcpu;
std::atomic<uint64_t> libcpuhz{0};

namespace {

// The time-stamp counter, or nanoseconds where there is none.
uint64_t read_counter()
{
#if defined(__x86_64__) || defined(__i386__)
    if (libcpu.tsc) return __rdtsc();
#endif
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
}

void wait_next_tick()
{
    uint32_t start = gettick();
    while (gettick() == start) sleepthread(0);
}

// Of five passes the first is discarded; the second smallest of the others
// (the smallest when there is no second) resists one disturbed pass.
uint64_t second_smallest(const uint64_t passes[5])
{
    uint64_t smallest = ~uint64_t{0}, second = ~uint64_t{0};
    for (int i = 1; i < 5; ++i) {
        if (passes[i] < smallest) second = smallest, smallest = passes[i];
        else if (passes[i] < second) second = passes[i];
    }
    return second != ~uint64_t{0} ? second : smallest;
}

} // namespace

void detectcpu()
{
    std::memset(&libcpu, 0, sizeof libcpu);
    libcpu.detected = true;
    if (!cpuidsupported()) {
        libcpu.cyrix = cpuflagscheck() != 0;
        return;
    }
    uint32_t words[4];
    cpuidquery(words, 0);
    libcpu.maxfunction = words[0];
    std::memcpy(libcpu.vendor, &words[1], 12);
    libcpu.vendor[12] = 0;
    if (libcpu.maxfunction > 0) {
        libcpu.intel = std::strcmp(libcpu.vendor, "GenuineIntel") == 0;
        libcpu.amd = std::strcmp(libcpu.vendor, "AuthenticAMD") == 0;
        libcpu.cyrix = std::strcmp(libcpu.vendor, "CyrixInstead") == 0;
        cpuidquery(words, libcpu.amd ? 0x80000001u : 1u);
        libcpu.family = (words[0] >> 8) & 15;
        libcpu.model = (words[0] >> 4) & 15;
        libcpu.stepping = words[0] & 15;
        libcpu.family5 = libcpu.family >= 5;
        libcpu.family6 = libcpu.family >= 6;
        uint32_t features = words[2];
        libcpu.bit31 = features >> 31;
        libcpu.mmx = (features >> 23) & 1;
        libcpu.tsc = (features >> 4) & 1;
        libcpu.cmov = (features >> 15) & 1;
    }
    if (const char* forced = std::getenv("ISMMX")) libcpu.mmx = std::atoi(forced) != 0;
}

uint64_t nominalcpuclock(uint64_t measuredhz)
{
    double m = static_cast<double>(measuredhz / 1000000);
    auto error = [m](double candidate, double weight) {
        double e = (candidate - m) * weight;
        return e < 0 ? e * -8 : e;
    };
    double c30 = std::nearbyint(m / 30) * 30;
    double c33 = std::nearbyint(std::nearbyint(m / 33.333332) * 33.333332);
    double c37 = std::nearbyint(std::nearbyint(m / 37.5) * 37.5);
    double choice = c33;
    if (error(c30, 1.1) < error(c33, 1.0)) choice = c30;
    if (error(c37, 1.2) < error(choice, 1.0)) choice = c37;
    return static_cast<uint64_t>(choice) * 1000000;
}

// Both measurements pace themselves on the library's timer; 0 when it is not running.
static int32_t clock_timer_rate()
{
    int32_t rate = libsettings.timerrate.load();
    if (!timerrunning() || rate <= 0) {
        LIBFAIL("win\\cpu", "getcpuspeed - INITTIMER REQUIRED TO DETERMINE CLOCK RATE\n");
        return 0;
    }
    return rate;
}

uint64_t getclockrate()
{
    int32_t rate = clock_timer_rate();
    if (rate == 0) return 0;
    uint64_t passes[5];
    for (auto& pass : passes) {
        wait_next_tick();
        uint64_t start = read_counter();
        uint32_t tick = gettick();
        while (ticksince(tick) < static_cast<uint32_t>(rate / 5)) sleepthread(1);
        pass = read_counter() - start;
    }
    return second_smallest(passes) * 5;
}

uint64_t getclockrateloop()
{
    int32_t rate = clock_timer_rate();
    if (rate == 0) return 0;
    uint64_t passes[5];
    for (auto& pass : passes) {
        wait_next_tick();
        uint32_t tick = gettick();
        pass = 0;
        while (ticksince(tick) < static_cast<uint32_t>(rate / 4)) ++pass;
    }
    double loops = static_cast<double>(second_smallest(passes) * 4);
    double k = libcpu.family6 ? 233.0 / 5635911 : libcpu.family5 ? 90.0 / 1566759
                                                 : libcpu.cyrix ? 166.0 / 2897084
                                                                : 33.0 / 565068;
    return static_cast<uint64_t>(std::llrint(loops * k * 1000000.0));
}

uint64_t getcpuspeed()
{
    if (!libcpu.detected) detectcpu();
    if (!timerrunning()) {
        LIBFAIL("win\\cpu", "getcpuspeed - INITTIMER MUST BE INITIALIZED TO MEASURE CPU PERFORMANCE\n");
        return 0;
    }
    uint64_t hz = libcpu.tsc ? getclockrate() : getclockrateloop();
    uint64_t nominal = nominalcpuclock(hz);
    libcpuhz.store(nominal);
    return nominal;
}
