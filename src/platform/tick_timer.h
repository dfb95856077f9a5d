// The fixed-rate tick scheduler: each frame works out how many ticks of the
// record's rate have fallen due and runs the tick routine that many times
// (at most 15). Beside it, the 60 Hz counter of the menu screens.
#pragma once

#include <cstdint>

using TickCallback = void (*)(uint32_t tick_number);

struct TickTimer {
    uint32_t now;          // clock of this update, ms
    uint32_t prev;         // clock of the previous update
    int32_t due;           // ticks run by the last update, 0..15
    int32_t total;         // sum of due
    int32_t remainder;     // scaled ms carried, less than one period
    uint32_t owner_word_a; // the owner's; restart_timer clears it
    int32_t period;        // ms per tick
    int32_t rate;          // ticks a second
    uint32_t tick_number;  // handed to the next callback
    int32_t fixed_step;    // 0: real time; n: each update advances n periods
    uint32_t owner_word_b; // the owner's; restore_tick_timer clears it
    int32_t restart;       // the next update re-bases the clock
    TickCallback callback;
    int32_t speed_percent; // 100 is real time
};

constexpr int32_t MAX_TICKS_PER_UPDATE = 15;

void create_timer(int32_t rate, int32_t fixed_step, TickTimer* timer, TickCallback callback, int32_t unused);
void timer_update(TickTimer* timer);
void restart_timer(TickTimer* timer);
void rebase_timer(TickTimer* timer);
void save_tick_timer(const TickTimer* timer);
void restore_tick_timer(TickTimer* timer);

// Sixtieths of a second since the last call (or the reset), without drift.
void reset_tick_counter();
int32_t get_elapsed_ticks();
// The clock as the counter last read it.
uint32_t tick_counter_clock();
