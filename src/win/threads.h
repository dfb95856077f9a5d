// The engine library's threads, events and locks: a seven-step priority
// scale, a start handshake that returns once the new thread runs, sleeps and
// waits counted in timer ticks, and a pool of lock records that is never given
// back to the system.
#pragma once

#include <cstdint>

struct ThreadStart;

// Filled by the creator. Two special values stand for threads without a
// record: LIB_MAINTHREAD (0) and LIB_THISTHREAD (all bits set).
struct ThreadRecord {
    void* handle;        // the running thread, 0 once removed
    uint32_t stacksize;  // as asked; the system chooses here
    int32_t level;       // -3 idle .. 3 time critical
    uint32_t zero;
    uint64_t threadid;
};

#define LIB_MAINTHREAD (static_cast<ThreadRecord*>(nullptr))
#define LIB_THISTHREAD (reinterpret_cast<ThreadRecord*>(~static_cast<uintptr_t>(0)))

// Library users: secondary timer 1, window thread 1, file device workers 1,
// timer thread 2, callback thread 3.
void* createparamthread(void (*fn)(), uint32_t stacksize, int32_t level, uint32_t ignored, ThreadRecord* record);
void* createparamthread2(void (*fn)(uintptr_t), uintptr_t parameter, uint32_t stacksize, int32_t level,
                         uint32_t ignored, ThreadRecord* record);
// Waits for the thread to return from its function and releases it; our
// threads are told to stop first and leave by themselves. LIB_THISTHREAD ends
// the calling thread (one the library started); the main thread cannot be
// removed.
void removethread(ThreadRecord* record);
// Ends the calling thread; a thread the library did not start goes on.
void exitthread();
bool isthread(ThreadRecord* record);
int32_t getthreadpriority(ThreadRecord* record);
void setthreadpriority(ThreadRecord* record, int32_t level);
void registermainthread();

void sleepthread(uint32_t ms);
void sleepticks(uint32_t ticks);

// Events: a flag behind a condition variable; waits always test the flag.
struct LibEvent;
LibEvent* createevent();        // auto-reset, unsignalled
LibEvent* createmanualevent();  // manual-reset, unsignalled
void setevent(LibEvent* e);
void resetevent(LibEvent* e);
void pulseevent(LibEvent* e);
void closeevent(LibEvent* e);
void setandcloseevent(LibEvent* e);
int pollevent(LibEvent* e);
void waitevent(LibEvent* e);
int waiteventticks(LibEvent* e, uint32_t ticks);
// The event that was signalled, or 0 on time-out (ms; ~0u waits for ever).
LibEvent* waitanyevent(int count, LibEvent* const* events, uint32_t timeout_ms);

void setlasterror(uint32_t code);
uint32_t getlasterror();
// Writes "[%5d] sorry, not implemented" (at most size bytes).
uint32_t lasterrortext(char* buffer, uint32_t size);

// Re-entrant locks from a pool; 0 when the pool cannot grow.
struct LibLockRecord;
using LibLock = LibLockRecord*;
LibLock createcritical();
void entercritical(LibLock lock);
// Enters within ms milliseconds or gives up (0).
int trycritical(LibLock lock, uint32_t ms);
void leavecritical(LibLock lock);
void deletecritical(LibLock lock);

// The one library-wide lock made when the main thread registers.
LibLock liblock();
