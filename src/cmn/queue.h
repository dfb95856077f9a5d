// Thread-safe intrusive queues of caller-owned elements: stack, FIFO and
// sorted insertion by a per-queue key, lookup and removal by key, position or
// match, and iteration that notices changes made while it runs.
#pragma once

#include "win/threads.h"

#include <atomic>
#include <cstdint>

// Every element begins with its link to the next; the queue never allocates
// or frees elements, and clears the link of an element it gives up.
struct QLink {
    QLink* next;
};

using QKey = uintptr_t;
constexpr QKey QKEY_NONE = ~QKey{0};
// Without a key function an element's own address is its key.
using QKeyFn = QKey (*)(const void* element, uintptr_t user);
using QMatchFn = int (*)(const void* element, uintptr_t user);
// Returning 0 stops the walk.
using QIterFn = int (*)(void* element, uintptr_t user);

enum : uint32_t { Q_CHANGED = 0x1, Q_OWNLOCK = 0x2 };

struct LibQueue {
    std::atomic<int32_t> count;
    std::atomic<uint32_t> flags;
    QLink* head;
    QLink* tail;
    QKeyFn key;
    uintptr_t user;
    LibLock lock; // 0: not initialised
};

void qinit(LibQueue* q, QKeyFn key, uintptr_t user);
// Shares the peer's lock, so that moving an element between the two under
// qlock is one step for other threads.
void qinitpeer(LibQueue* q, QKeyFn key, uintptr_t user, LibQueue* peer);
void qfree(LibQueue* q);
void qpush(LibQueue* q, void* element);
void qbottom(LibQueue* q, void* element);
void* qpop(LibQueue* q);
void* qpoplast(LibQueue* q);
// Before the first element whose key is not below the new one's: among equal
// keys the newest comes first.
void qinsert(LibQueue* q, void* element);
int qremove(LibQueue* q, void* element);
int32_t qlength(LibQueue* q);
int32_t qposition(LibQueue* q, const void* element);
QKey qlowpriority(LibQueue* q);
QKey qhighpriority(LibQueue* q);
void* qfind(LibQueue* q, QMatchFn match, uintptr_t user);
void* qfindindex(LibQueue* q, int32_t index);
void* qfindpriority(LibQueue* q, QKey key);
void* qfetch(LibQueue* q, QMatchFn match, uintptr_t user);
void* qfetchindex(LibQueue* q, int32_t index);
void* qfetchnext(LibQueue* q, void* element, int32_t n);
void* qfetchpriority(LibQueue* q, QKey key);
// Walks calling fn outside the lock; -1 when the whole queue was walked with
// no change and no stop, else the number of calls made.
int32_t qiterate(LibQueue* q, QIterFn fn, uintptr_t user);
// The same with the lock held for the whole walk, so fn may remove elements.
int32_t qsafeiterate(LibQueue* q, QIterFn fn, uintptr_t user);
void qlock(LibQueue* q);
void qunlock(LibQueue* q);
