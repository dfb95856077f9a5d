#include "cmn/queue.h"

#include "cmn/lib.h"

namespace {

QLink* as_link(void* element) { return static_cast<QLink*>(element); }

QKey key_of(const LibQueue* q, const void* element)
{
    return q->key ? q->key(element, q->user) : reinterpret_cast<QKey>(element);
}

bool check(LibQueue* q, const char* operation)
{
    if (q && q->lock) return true;
    LIBFAIL("cmn\\queue", "%s - UNINITIALIZED QUEUE %08x USED.\n", operation,
            static_cast<unsigned>(reinterpret_cast<uintptr_t>(q)));
    return false;
}

// Holds the queue's lock for a whole operation after checking the queue.
struct Hold {
    Hold(LibQueue* q, const char* operation) : lock(check(q, operation) ? q->lock : nullptr) { entercritical(lock); }
    ~Hold() { leavecritical(lock); }
    explicit operator bool() const { return lock != nullptr; }
    LibLock lock;
};

void mark_changed(LibQueue* q) { q->flags.fetch_or(Q_CHANGED); }

bool unlink(LibQueue* q, QLink* element)
{
    if (!element || !q->head) return false;
    QLink* prev = nullptr;
    QLink* at = q->head;
    while (at && at != element) prev = at, at = at->next;
    if (!at) return false;
    if (prev) prev->next = element->next;
    else q->head = element->next;
    if (q->tail == element) q->tail = prev;
    element->next = nullptr;
    q->count.fetch_sub(1);
    mark_changed(q);
    return true;
}

QLink* at_index(LibQueue* q, int32_t index)
{
    QLink* at = q->head;
    for (int32_t i = 0; at && i < index; ++i) at = at->next;
    return index < 0 ? nullptr : at;
}

QLink* find_priority(LibQueue* q, QKey key)
{
    QLink* at = q->head;
    while (at && key_of(q, at) < key) at = at->next;
    return at && key_of(q, at) == key ? at : nullptr;
}

QLink* find_match(LibQueue* q, QMatchFn match, uintptr_t user)
{
    if (!match) return nullptr;
    for (QLink* at = q->head; at; at = at->next)
        if (match(at, user)) return at;
    return nullptr;
}

// Takes a found element off; a found element that will not come off is a
// broken queue.
void* take(LibQueue* q, QLink* found, const char* operation)
{
    if (!found) return nullptr;
    if (unlink(q, found)) return found;
    LIBFAIL("cmn\\queue", "%s - FOUND ELEMENT THAT COULD NOT BE REMOVED!", operation);
    return nullptr;
}

int32_t iterate(LibQueue* q, QIterFn fn, uintptr_t user)
{
    uint32_t saved;
    {
        Hold hold(q, "qiterate");
        saved = q->flags.fetch_and(~Q_CHANGED) & Q_CHANGED;
    }
    int32_t calls = 0;
    QLink* at = q->head;
    while (at && !(q->flags.load() & Q_CHANGED)) {
        if (fn(at, user) == 0) mark_changed(q);
        ++calls;
        at = at->next;
    }
    Hold hold(q, "qiterate");
    int32_t result = q->flags.load() & Q_CHANGED ? calls : -1;
    q->flags.fetch_or(saved);
    return result;
}

} // namespace

void qinit(LibQueue* q, QKeyFn key, uintptr_t user)
{
    q->count.store(0);
    q->flags.store(Q_OWNLOCK);
    q->head = q->tail = nullptr;
    q->key = key;
    q->user = user;
    q->lock = createcritical();
    if (!q->lock) check(q, "qinit");
}

void qinitpeer(LibQueue* q, QKeyFn key, uintptr_t user, LibQueue* peer)
{
    if (!check(peer, "qinitpeer")) return;
    q->count.store(0);
    q->flags.store(0);
    q->head = q->tail = nullptr;
    q->key = key;
    q->user = user;
    q->lock = peer->lock;
}

void qfree(LibQueue* q)
{
    if (!check(q, "qfree")) return;
    if (q->flags.load() & Q_OWNLOCK) deletecritical(q->lock);
    q->lock = nullptr;
}

void qpush(LibQueue* q, void* element)
{
    Hold hold(q, "qpush");
    if (!hold || !element) return;
    as_link(element)->next = q->head;
    q->head = as_link(element);
    if (!q->tail) q->tail = as_link(element);
    q->count.fetch_add(1);
    mark_changed(q);
}

void qbottom(LibQueue* q, void* element)
{
    Hold hold(q, "qbottom");
    if (!hold || !element) return;
    as_link(element)->next = nullptr;
    if (q->tail) q->tail->next = as_link(element);
    else q->head = as_link(element);
    q->tail = as_link(element);
    q->count.fetch_add(1);
    mark_changed(q);
}

void* qpop(LibQueue* q)
{
    Hold hold(q, "qpop");
    if (!hold) return nullptr;
    mark_changed(q);
    QLink* first = q->head;
    if (first) unlink(q, first);
    return first;
}

void* qpoplast(LibQueue* q)
{
    Hold hold(q, "qpoplast");
    if (!hold) return nullptr;
    mark_changed(q);
    QLink* last = q->tail;
    if (last) unlink(q, last);
    return last;
}

void qinsert(LibQueue* q, void* element)
{
    Hold hold(q, "qinsert");
    if (!hold || !element) return;
    QKey key = key_of(q, element);
    QLink* prev = nullptr;
    QLink* at = q->head;
    while (at && key_of(q, at) < key) prev = at, at = at->next;
    as_link(element)->next = at;
    if (prev) prev->next = as_link(element);
    else q->head = as_link(element);
    if (!at) q->tail = as_link(element);
    q->count.fetch_add(1);
    mark_changed(q);
}

int qremove(LibQueue* q, void* element)
{
    Hold hold(q, "qremove");
    return hold && unlink(q, as_link(element)) ? 1 : 0;
}

int32_t qlength(LibQueue* q) { return check(q, "qlength") ? q->count.load() : 0; }

int32_t qposition(LibQueue* q, const void* element)
{
    Hold hold(q, "qposition");
    if (!hold || !element) return -1;
    QKey key = key_of(q, element);
    int32_t index = 0;
    for (QLink* at = q->head; at; at = at->next, ++index) {
        if (at == element) return index;
        if (key_of(q, at) > key) break;
    }
    return -1;
}

QKey qlowpriority(LibQueue* q)
{
    Hold hold(q, "qlowpriority");
    return hold && q->head ? key_of(q, q->head) : QKEY_NONE;
}

QKey qhighpriority(LibQueue* q)
{
    Hold hold(q, "qhighpriority");
    return hold && q->head ? key_of(q, q->head) : QKEY_NONE;
}

void* qfind(LibQueue* q, QMatchFn match, uintptr_t user)
{
    Hold hold(q, "qfind");
    return hold ? find_match(q, match, user) : nullptr;
}

void* qfindindex(LibQueue* q, int32_t index)
{
    Hold hold(q, "qfindindex");
    return hold ? at_index(q, index) : nullptr;
}

void* qfindpriority(LibQueue* q, QKey key)
{
    Hold hold(q, "qfindpriority");
    return hold ? find_priority(q, key) : nullptr;
}

void* qfetch(LibQueue* q, QMatchFn match, uintptr_t user)
{
    Hold hold(q, "qfetch");
    return hold ? take(q, find_match(q, match, user), "qfetch") : nullptr;
}

void* qfetchindex(LibQueue* q, int32_t index)
{
    Hold hold(q, "qfetchindex");
    return hold ? take(q, at_index(q, index), "qfetchindex") : nullptr;
}

void* qfetchnext(LibQueue* q, void* element, int32_t n)
{
    Hold hold(q, "qfetchnext");
    if (!hold || !element || n < 0) return nullptr;
    QLink* at = as_link(element)->next;
    for (int32_t i = 0; at && i < n; ++i) at = at->next;
    return take(q, at, "qfetchnext");
}

void* qfetchpriority(LibQueue* q, QKey key)
{
    Hold hold(q, "qfetchpriority");
    return hold ? take(q, find_priority(q, key), "qfetchpriority") : nullptr;
}

int32_t qiterate(LibQueue* q, QIterFn fn, uintptr_t user)
{
    if (!check(q, "qiterate") || !fn) return 0;
    return iterate(q, fn, user);
}

int32_t qsafeiterate(LibQueue* q, QIterFn fn, uintptr_t user)
{
    Hold hold(q, "qsafeiterate");
    if (!hold || !fn) return 0;
    return iterate(q, fn, user);
}

void qlock(LibQueue* q)
{
    if (check(q, "qlock")) entercritical(q->lock);
}

void qunlock(LibQueue* q)
{
    if (check(q, "qunlock")) leavecritical(q->lock);
}
