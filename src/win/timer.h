// The library's sense of time: a tick counter advanced by a timer thread at a
// chosen rate (240 a second from initlibrary), system tasks run from whatever
// wait loop the main thread is in, a callback thread woken on every timer
// event, and a secondary timer with its own callbacks.
#pragma once

#include <cstdint>

uint32_t gettick();
uint32_t ticksince(uint32_t tick);
uint32_t tickdelta();
void resetticks();
void setdeadline(uint32_t ticks);
bool deadlinereached();
void waitdeadline();
uint32_t waitticks(uint32_t ticks);
uint32_t waitticksortask(uint32_t ticks);
// Periods of 18.2 Hz counted by the timer thread.
uint32_t getslowcount();

// A task takes (argument, ticks late) and returns a word that the dispatcher
// ORs into its result. 16 slots.
using SystemTask = uint32_t (*)(uintptr_t argument, int32_t late);
void addsystemtask(SystemTask fn, uint32_t period, uint32_t firstdelay);
void removesystemtask(SystemTask fn);
uint32_t runsystemtasks(uintptr_t argument);

void inittimer(int32_t rate);
void stoptimer();
void suspendtimer();
void resumetimer();
bool timerrunning();

// What the timer thread does on every wake: counters, then the timer
// callbacks. Tests step it by hand with no timer running.
void timertick();

// Pacing of the one-shot timer events. The event lands on whole
// milliseconds while the 16.16 fraction carries the remainder, so that the
// average rate is exact; an event more than a second late resynchronises
// instead of catching up in a burst.
struct TimerPace {
    uint32_t period;   // 16.16 milliseconds: 65,536,000 / rate
    uint32_t fraction; // low 16 bits carried
    uint32_t due;      // next due time on the millisecond clock
    uint32_t resyncs;
};
// Advances the pace by one period and returns the delay in ms (at least 1)
// after which the next event is to come.
int32_t timerpace(TimerPace& pace, uint32_t now);

// The callback thread: started with a function, stopped with 0.
void setcallbackthread(void (*fn)());

// The secondary timer and its eight callbacks.
void addlowtimer(void (*fn)());
void removelowtimer(void (*fn)());
void wininittimer();
void stoplowtimer();
void kicklowtimer();
