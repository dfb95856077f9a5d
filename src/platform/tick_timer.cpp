#include "platform/tick_timer.h"

#include "host/clock.h"

#include <cmath>

namespace {

TickTimer g_saved_timer;

uint32_t g_counter_last = 0;
int32_t g_counter_remainder = 0; // in 1/60000 s, so no millisecond is ever lost
uint32_t g_counter_clock = 0;

} // namespace

void create_timer(int32_t rate, int32_t fixed_step, TickTimer* timer, TickCallback callback, int32_t)
{
    timer->period = rate > 0 ? static_cast<int32_t>(std::lrint(1000.0 / rate)) : 0;
    timer->rate = rate;
    timer->fixed_step = fixed_step;
    timer->callback = callback;
    timer->tick_number = 0;
    timer->speed_percent = 100;
}

void timer_update(TickTimer* t)
{
    if (t->restart) {
        uint32_t base = t->fixed_step == 0 ? host_time_ms() - 3u
                                           : t->prev - static_cast<uint32_t>(t->fixed_step);
        t->now = static_cast<int32_t>(base) < 0 ? 0u : base;
        t->restart = 0;
    }
    t->prev = t->now;
    t->now = t->fixed_step == 0 ? host_time_ms()
                                : t->prev + static_cast<uint32_t>(t->period) * static_cast<uint32_t>(t->fixed_step);

    int32_t elapsed = static_cast<int32_t>(t->now - t->prev);
    int32_t scaled = static_cast<int32_t>(static_cast<int64_t>(elapsed) * t->speed_percent / 100);
    int32_t sum = t->remainder + scaled;
    int32_t period = t->period > 0 ? t->period : 1;
    t->due = sum / period;
    t->remainder = sum - t->due * period;
    if (t->due > MAX_TICKS_PER_UPDATE) t->due = MAX_TICKS_PER_UPDATE;

    if (t->due < 1) {
        t->total += t->due;
        return;
    }
    // due is read again each time: a tick may cut the run short.
    for (int32_t run = 0; run < t->due; ++run) {
        if (t->callback) t->callback(t->tick_number);
        t->tick_number += 1;
    }
    t->total += t->due;
}

void restart_timer(TickTimer* t)
{
    t->restart = 1;
    t->owner_word_a = 0;
}

void rebase_timer(TickTimer* t)
{
    t->now = t->prev = host_time_ms();
    t->remainder = 0;
}

void save_tick_timer(const TickTimer* t) { g_saved_timer = *t; }

void restore_tick_timer(TickTimer* t)
{
    *t = g_saved_timer;
    t->owner_word_b = 0;
}

void reset_tick_counter()
{
    g_counter_last = host_time_ms();
    g_counter_clock = g_counter_last;
    g_counter_remainder = 0;
}

int32_t get_elapsed_ticks()
{
    uint32_t clock = host_time_ms();
    g_counter_clock = clock;
    // Count in sixtieths of a millisecond so the carry is exact: frames of
    // 16 and 17 ms still give 60 ticks a second.
    int64_t acc = g_counter_remainder + static_cast<int64_t>(static_cast<uint32_t>(clock - g_counter_last)) * 60;
    int32_t ticks = static_cast<int32_t>(acc / 1000);
    g_counter_remainder = static_cast<int32_t>(acc - static_cast<int64_t>(ticks) * 1000);
    g_counter_last = clock;
    return ticks;
}

uint32_t tick_counter_clock() { return g_counter_clock; }
