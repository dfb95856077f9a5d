#include "cmn/stream.h"

#include "cmn/lib.h"
#include "win/nfile.h"
#include "win/threads.h"
#include "win/timer.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

namespace {

const char* const SITE = "cmn\\stream";
constexpr uint32_t CHUNK_WRAP = 0xFFFFFFFF;
constexpr uint32_t CHUNK_RELEASED = 0xFFFFFFFE;
constexpr uint32_t SIZE_MASK = 0xFFFFFF;
constexpr int32_t NONE = -1;
constexpr int MAX_REQUESTS = 256, MAX_FILTERS = 16;

enum RequestKind : int32_t { KIND_FILE = 0, KIND_MEMORY = 1 };

struct Request {
    uint32_t id;
    int32_t state;
    int32_t prev, next;
    int32_t kind;
    char name[260];
    const uint8_t* memory;
    uint32_t startorlength; // file: start offset; memory: length
    uint32_t endtype;
    uint64_t start;         // where its data begins in the stream
};

struct Filter {
    uint32_t mask, value;
    int32_t tap;
};

struct Stream;

} // namespace

struct StreamTap {
    Stream* stream;
    int32_t number;
    uint32_t bytes;
    uint64_t first; // the first ready chunk
};

namespace {

// Buffer positions count on for ever: a position's place in the ring is the
// position modulo the buffer size, and a wrap moves it on to the next
// multiple, so that positions also order requests and chunks.
struct Stream {
    char magic[4];
    // The stream's own lock, made and destroyed with it.
    std::recursive_mutex lock;
    Request* requests;
    int32_t nrequests;
    Filter* filters;
    int32_t nfilters;
    StreamTap* taps;
    int32_t ntaps;
    uint8_t* data;
    uint32_t size;
    std::atomic<int32_t> state;
    int32_t normal, greedy;
    uint32_t greedylevel;
    int32_t greedystate;
    uint32_t inuse;
    uint64_t release, parse, write;
    int32_t head, current, tail, freelist;
    char filename[260];
    int32_t handle;
    uint32_t position;
    uint32_t pendingop;
    uint32_t readsize;
    bool ended; // the current request's end chunk was parsed
    std::atomic<int32_t> inflight; // file operations whose callbacks have not returned
};

std::atomic<uint32_t> g_sequence{0};

struct Hold {
    explicit Hold(Stream* s) : hold(s->lock) {}
    std::lock_guard<std::recursive_mutex> hold;
};

uint32_t align8(uint32_t n) { return (n + 7) & ~7u; }

Stream* stream_of(STREAMHANDLE handle, const char* function)
{
    if (!handle || !handle->stream || std::memcmp(handle->stream->magic, "STRM", 4) != 0) {
        LIBFAIL(SITE, "%s - invalid stream handle\n", function);
        return nullptr;
    }
    return handle->stream;
}

uint32_t ring(const Stream* s, uint64_t position) { return static_cast<uint32_t>(position % s->size); }
uint64_t lap(const Stream* s, uint64_t position) { return position / s->size; }
uint64_t next_lap(const Stream* s, uint64_t position) { return (lap(s, position) + 1) * s->size; }

StreamChunk header_at(const Stream* s, uint64_t position)
{
    StreamChunk c;
    std::memcpy(&c, s->data + ring(s, position), sizeof c);
    return c;
}

void put_header(Stream* s, uint64_t position, StreamChunk c) { std::memcpy(s->data + ring(s, position), &c, sizeof c); }

// The chunk sizes a stream can carry.
bool size_ok(const Stream* s, uint32_t size) { return size >= 8 && size <= SIZE_MASK && size <= s->size - 8; }

int32_t read_priority(const Stream* s) { return s->greedystate ? s->greedy : s->normal; }

void set_greedy(Stream* s, int32_t greedy)
{
    if (s->greedystate == greedy) return;
    s->greedystate = greedy;
    if (s->state.load() == STREAM_READING && s->pendingop) FILE_setoppriority(s->pendingop, read_priority(s));
}

// Walks the release position over released chunks and wrap markers.
void advance_release(Stream* s)
{
    while (s->release < s->parse) {
        StreamChunk c = header_at(s, s->release);
        if (c.type == CHUNK_WRAP) s->release = next_lap(s, s->release);
        else if (c.type == CHUNK_RELEASED) s->release += c.size & SIZE_MASK;
        else break;
    }
}

void free_request(Stream* s, int32_t index)
{
    Request& r = s->requests[index];
    if (r.prev != NONE) s->requests[r.prev].next = r.next;
    else s->head = r.next;
    if (r.next != NONE) s->requests[r.next].prev = r.prev;
    else s->tail = r.prev;
    if (s->current == index) s->current = NONE;
    r.state = STREAMREQ_FREE;
    r.next = s->freelist;
    r.prev = NONE;
    s->freelist = index;
}

// Requests at the head whose successor has started and whose data has all
// been released.
void recycle_requests(Stream* s)
{
    while (s->head != NONE && s->head != s->current) {
        Request& r = s->requests[s->head];
        if (r.next == NONE) break;
        const Request& n = s->requests[r.next];
        if (n.state < STREAMREQ_READING || s->release < n.start) break;
        free_request(s, s->head);
    }
}

// The end of a request's data: where the next one began, or the parse position.
uint64_t request_end(const Stream* s, const Request& r)
{
    if (r.next != NONE && s->requests[r.next].state >= STREAMREQ_READING) return s->requests[r.next].start;
    return s->parse;
}

void find_first(Stream* s, StreamTap& tap, uint64_t from)
{
    uint64_t at = from;
    while (at < s->parse) {
        StreamChunk c = header_at(s, at);
        if (c.type == CHUNK_WRAP) {
            at = next_lap(s, at);
            continue;
        }
        if (c.type != CHUNK_RELEASED && static_cast<int32_t>(c.size >> 24) == tap.number) {
            tap.first = at;
            return;
        }
        at += c.size & SIZE_MASK;
    }
    tap.first = 0;
}

void release_in_place(Stream* s, uint64_t at, uint32_t size)
{
    put_header(s, at, StreamChunk{CHUNK_RELEASED, size});
}

// Cuts the data read so far into chunks and hands them to their taps.
void parse_chunks(Stream* s)
{
    Request* r = s->current != NONE ? &s->requests[s->current] : nullptr;
    while (!s->ended && s->write - s->parse >= 8) {
        StreamChunk c = header_at(s, s->parse);
        if (!size_ok(s, c.size)) {
            LIBFAIL(SITE, "STREAM - invalid chunk file (chunk too large)\n");
            s->write = s->parse; // nothing further of this request can be trusted
            s->ended = true;
            return;
        }
        if (s->write - s->parse < c.size) return;
        int32_t tap = 1;
        for (int32_t i = 0; i < s->nfilters; ++i)
            if ((c.type & s->filters[i].mask) == s->filters[i].value) {
                tap = s->filters[i].tap;
                break;
            }
        if (tap == STREAM_TAPABORT) LIBFAIL(SITE, "STREAM - chunk received at abort tap\n");
        bool cancelled = !r || r->state == STREAMREQ_CANCELLED;
        bool ends = r && r->endtype != 0 && c.type == r->endtype;
        if (tap < 1 || cancelled) {
            release_in_place(s, s->parse, c.size);
        } else {
            put_header(s, s->parse, StreamChunk{c.type, c.size | static_cast<uint32_t>(tap) << 24});
            StreamTap& t = s->taps[tap - 1];
            if (t.bytes == 0) t.first = s->parse;
            t.bytes += c.size;
            bool below = s->inuse < s->greedylevel;
            s->inuse += c.size;
            if (below && s->inuse >= s->greedylevel) set_greedy(s, 0);
        }
        s->parse += c.size;
        if (ends) {
            s->write = s->parse; // bytes read past the end chunk are not the request's
            s->ended = true;
        }
    }
}

void on_read(uint32_t id, int32_t state, uintptr_t word);
void on_open(uint32_t id, int32_t state, uintptr_t word);
void on_close(uint32_t id, int32_t state, uintptr_t word);

// What a locked step leaves to do once the lock is dropped.
struct Pending {
    uint32_t id = 0;
    FileCallback callback = nullptr;
};

void finish_request(Stream* s);
Pending start_next(Stream* s);

// Ends the current request and begins the next, if any.
Pending next_request(Stream* s)
{
    finish_request(s);
    if (s->state.load() == STREAM_IDLE) return {};
    return start_next(s);
}

// One reading step, under the lock. A memory request is copied and parsed in
// place, so the step loops until it must wait for a file, stalls or ends.
Pending read_step(Stream* s)
{
    for (;;) {
        advance_release(s);
        recycle_requests(s);
        if (s->current == NONE) {
            s->state.store(STREAM_IDLE);
            return {};
        }
        Request& r = s->requests[s->current];
        uint32_t space = 0;
        if (lap(s, s->write) == lap(s, s->release)) {
            uint32_t w = ring(s, s->write);
            space = s->size - w - 8;
            if (w + 8 > s->size || space < STREAM_READSIZE) {
                // Move the incomplete tail to the buffer's start behind a wrap marker.
                uint32_t tail = static_cast<uint32_t>(s->write - s->parse);
                bool empty = s->release == s->parse;
                // A tail already at the start has nowhere better to go.
                if (ring(s, s->parse) != 0 && (empty || ring(s, s->release) > tail)) {
                    uint64_t start = next_lap(s, s->parse);
                    std::memmove(s->data, s->data + ring(s, s->parse), tail);
                    put_header(s, s->parse, StreamChunk{CHUNK_WRAP, 8});
                    if (r.start >= s->parse) r.start = start + (r.start - s->parse);
                    if (empty) s->release = start;
                    s->parse = start;
                    s->write = start + tail;
                }
                space = lap(s, s->write) == lap(s, s->release) ? s->size - ring(s, s->write) - 8
                                                                 : ring(s, s->release) - ring(s, s->write) - 1;
            }
        } else {
            space = ring(s, s->release) - ring(s, s->write) - 1;
        }
        // With nothing held, a chunk too big for a full read still moves on.
        uint32_t want = STREAM_READSIZE;
        if (space < STREAM_READSIZE) {
            if (s->release != s->parse || space == 0) {
                s->state.store(STREAM_STALLED);
                return {};
            }
            want = space;
        }
        if (r.kind == KIND_FILE) {
            s->readsize = want;
            s->inflight.fetch_add(1);
            uint32_t id = FILE_read(s->handle, static_cast<int32_t>(s->position), s->data + ring(s, s->write),
                                    want, read_priority(s), reinterpret_cast<uintptr_t>(s));
            if (!id) {
                s->inflight.fetch_sub(1);
                LIBFAIL(SITE, "STREAM - unable to initiate file read\n");
                return next_request(s);
            }
            s->pendingop = id;
            return {id, on_read};
        }
        uint32_t left = r.startorlength - s->position;
        uint32_t bytes = left < space ? left : space;
        std::memcpy(s->data + ring(s, s->write), r.memory + s->position, bytes);
        s->position += bytes;
        s->write += bytes;
        parse_chunks(s);
        if (r.state == STREAMREQ_CANCELLED || s->ended || s->position >= r.startorlength) return next_request(s);
    }
}

// Ends the current request and makes the next queued one current.
void finish_request(Stream* s)
{
    if (s->current != NONE && s->requests[s->current].state == STREAMREQ_READING)
        s->requests[s->current].state = STREAMREQ_COMPLETE;
    // The write position may hold a partial chunk of the finished request:
    // it is not the next request's.
    s->write = s->parse;
    s->ended = false;
    int32_t next = s->current != NONE ? s->requests[s->current].next : NONE;
    while (next != NONE && s->requests[next].state != STREAMREQ_QUEUED) next = s->requests[next].next;
    if (next == NONE) {
        // The finished request stays current, and so in the table, until its
        // data has been released.
        s->state.store(STREAM_IDLE);
        return;
    }
    s->current = next;
}

// Picks the request to read and begins it; under the lock.
Pending start_next(Stream* s)
{
    int32_t pick = NONE;
    if (s->current != NONE && s->requests[s->current].state == STREAMREQ_QUEUED) pick = s->current;
    else if (s->current != NONE) {
        for (pick = s->requests[s->current].next; pick != NONE && s->requests[pick].state != STREAMREQ_QUEUED;)
            pick = s->requests[pick].next;
    } else {
        for (pick = s->head; pick != NONE && s->requests[pick].state != STREAMREQ_QUEUED;)
            pick = s->requests[pick].next;
    }
    if (pick == NONE) {
        s->state.store(STREAM_IDLE);
        return {};
    }
    s->current = pick;
    Request& r = s->requests[pick];
    r.state = STREAMREQ_READING;
    r.start = s->write;
    s->ended = false;
    s->state.store(STREAM_READING);
    if (r.kind == KIND_MEMORY) {
        s->position = 0;
        return read_step(s);
    }
    if (s->handle && std::strcmp(s->filename, r.name) == 0) {
        s->position = r.startorlength;
        return read_step(s);
    }
    std::memcpy(s->filename, r.name, sizeof s->filename);
    s->inflight.fetch_add(1);
    uint32_t id = 0;
    FileCallback callback = nullptr;
    if (s->handle) {
        id = FILE_close(s->handle, read_priority(s), reinterpret_cast<uintptr_t>(s));
        callback = on_close;
        s->handle = 0;
        if (!id) LIBFAIL(SITE, "STREAM - unable to initiate file close\n");
    } else {
        id = FILE_open(s->filename, FILEMODE_READ, read_priority(s), reinterpret_cast<uintptr_t>(s));
        callback = on_open;
        if (!id) LIBFAIL(SITE, "STREAM - unable to initiate file open\n");
    }
    if (!id) {
        s->inflight.fetch_sub(1);
        s->filename[0] = 0;
        return next_request(s);
    }
    s->pendingop = id;
    return {id, callback};
}

// Runs what a step left to do: the callback may come at once, on this
// thread, and steps on from there.
void launch(Pending p)
{
    if (p.id) FILE_callbackop(p.id, p.callback);
}

Pending after_read(Stream* s, uint32_t bytes, bool failed)
{
    Request& r = s->requests[s->current];
    s->position += bytes;
    s->write += bytes;
    parse_chunks(s);
    bool end_of_file = failed || bytes < s->readsize;
    if (r.state == STREAMREQ_CANCELLED || end_of_file || s->ended) return next_request(s);
    return read_step(s);
}

void on_read(uint32_t id, int32_t state, uintptr_t word)
{
    auto* s = reinterpret_cast<Stream*>(word);
    uint32_t bytes = static_cast<uint32_t>(FILE_completeop(id));
    Pending next;
    {
        Hold hold(s);
        s->pendingop = 0;
        next = after_read(s, state == 1 ? bytes : 0, state != 1);
    }
    launch(next);
    s->inflight.fetch_sub(1);
}

void on_open(uint32_t id, int32_t, uintptr_t word)
{
    auto* s = reinterpret_cast<Stream*>(word);
    int32_t handle = FILE_completeop(id);
    Pending next;
    {
        Hold hold(s);
        s->pendingop = 0;
        s->handle = handle;
        Request& r = s->requests[s->current];
        if (!handle) {
            LIBFAIL(SITE, "STREAM - unable to open file '%s'\n", s->filename);
            s->filename[0] = 0;
            next = next_request(s);
        } else if (r.state == STREAMREQ_CANCELLED) {
            next = next_request(s);
        } else {
            s->position = r.startorlength;
            next = read_step(s);
        }
    }
    launch(next);
    s->inflight.fetch_sub(1);
}

void on_close(uint32_t id, int32_t, uintptr_t word)
{
    auto* s = reinterpret_cast<Stream*>(word);
    FILE_completeop(id);
    Pending next;
    {
        Hold hold(s);
        s->inflight.fetch_add(1);
        uint32_t open = FILE_open(s->filename, FILEMODE_READ, read_priority(s), word);
        if (open) {
            s->pendingop = open;
            next = {open, on_open};
        } else {
            s->inflight.fetch_sub(1);
            LIBFAIL(SITE, "STREAM - unable to initiate file open\n");
            s->filename[0] = 0;
            next = next_request(s);
        }
    }
    launch(next);
    s->inflight.fetch_sub(1);
}

uint32_t new_request(Stream* s, int32_t kind, const char* name, const void* memory, uint32_t value,
                     uint32_t endtype)
{
    Pending next;
    uint32_t id = 0;
    {
        Hold hold(s);
        if (s->freelist == NONE) return 0;
        int32_t index = s->freelist;
        Request& r = s->requests[index];
        s->freelist = r.next;
        uint32_t seq = g_sequence.fetch_add(256) + 256;
        if (seq == 0) seq = g_sequence.fetch_add(256) + 256;
        r = Request{};
        r.id = (seq & ~0xFFu) | static_cast<uint32_t>(index);
        r.state = STREAMREQ_QUEUED;
        r.kind = kind;
        if (name) std::strncpy(r.name, name, sizeof r.name - 1);
        r.memory = static_cast<const uint8_t*>(memory);
        r.startorlength = value;
        r.endtype = endtype;
        r.prev = s->tail;
        r.next = NONE;
        if (s->tail != NONE) s->requests[s->tail].next = index;
        else s->head = index;
        s->tail = index;
        id = r.id;
        if (s->state.load() == STREAM_IDLE) {
            s->state.store(STREAM_READING);
            next = start_next(s);
        }
    }
    launch(next);
    return id;
}

Request* request_of(Stream* s, uint32_t id)
{
    uint32_t index = id & 0xFF;
    if (id == 0 || index >= static_cast<uint32_t>(s->nrequests)) return nullptr;
    Request& r = s->requests[index];
    return r.id == id && r.state != STREAMREQ_FREE ? &r : nullptr;
}

// Takes every ready chunk in [from, to) off its tap and releases it.
void drop_ready(Stream* s, uint64_t from, uint64_t to)
{
    uint64_t at = s->release;
    bool touched = false;
    while (at < s->parse) {
        StreamChunk c = header_at(s, at);
        if (c.type == CHUNK_WRAP) {
            at = next_lap(s, at);
            continue;
        }
        uint32_t size = c.size & SIZE_MASK;
        int32_t tap = static_cast<int32_t>(c.size >> 24);
        if (c.type != CHUNK_RELEASED && tap > 0 && at >= from && at < to) {
            s->taps[tap - 1].bytes -= size;
            s->inuse -= size;
            release_in_place(s, at, size);
            touched = true;
        }
        at += size;
    }
    if (touched)
        for (int32_t i = 0; i < s->ntaps; ++i) find_first(s, s->taps[i], s->release);
}

} // namespace

uint32_t STREAM_memrequired(int32_t requests, int32_t filters, int32_t taps)
{
    if (requests < 0 || filters < 0 || taps < 0) return 0;
    return align8(sizeof(Stream)) + align8(sizeof(Request) * requests) + align8(sizeof(Filter) * filters) +
           align8(sizeof(StreamTap) * taps);
}

STREAMHANDLE STREAM_create(int32_t requests, int32_t filters, int32_t taps, void* memory, uint32_t memorysize)
{
    uint32_t records = STREAM_memrequired(requests, filters, taps);
    auto base = reinterpret_cast<uintptr_t>(memory);
    uint32_t skew = static_cast<uint32_t>((8 - base % 8) % 8);
    if (!memory || memorysize < records + skew || memorysize - records - skew < STREAM_MINBUFFER) {
        LIBFAIL(SITE, "STREAM_create - stream buffer too small\n");
        return nullptr;
    }
    if (requests < 2) {
        LIBFAIL(SITE, "STREAM_create - a minimum of two requests is required\n");
        return nullptr;
    }
    if (requests > MAX_REQUESTS) {
        LIBFAIL(SITE, "STREAM_create - too many requests\n");
        return nullptr;
    }
    if (filters < 1 || filters > MAX_FILTERS) {
        LIBFAIL(SITE, "STREAM_create - invalid number of filters\n");
        return nullptr;
    }
    if (taps < 1 || taps > filters) {
        LIBFAIL(SITE, "STREAM_create - invalid number of taps\n");
        return nullptr;
    }
    auto* at = reinterpret_cast<uint8_t*>(base + skew);
    auto* s = new (at) Stream{};
    at += align8(sizeof(Stream));
    s->requests = reinterpret_cast<Request*>(at);
    at += align8(sizeof(Request) * requests);
    s->filters = reinterpret_cast<Filter*>(at);
    at += align8(sizeof(Filter) * filters);
    s->taps = reinterpret_cast<StreamTap*>(at);
    at += align8(sizeof(StreamTap) * taps);
    for (int32_t i = 0; i < requests; ++i) {
        Request* r = new (&s->requests[i]) Request{};
        r->prev = NONE;
        r->next = i + 1 < requests ? i + 1 : NONE;
    }
    for (int32_t i = 0; i < filters; ++i) new (&s->filters[i]) Filter{0, 0, 1};
    for (int32_t i = 0; i < taps; ++i) new (&s->taps[i]) StreamTap{s, i + 1, 0, 0};
    s->nrequests = requests;
    s->nfilters = filters;
    s->ntaps = taps;
    s->data = at;
    s->size = memorysize - records - skew;
    s->normal = 150;
    s->greedy = 50;
    s->head = s->current = s->tail = NONE;
    s->freelist = 0;
    std::memcpy(s->magic, "STRM", 4);
    return &s->taps[0];
}

int STREAM_setfilter(STREAMHANDLE handle, int32_t filter, uint32_t mask, uint32_t value, int32_t tap)
{
    Stream* s = stream_of(handle, "STREAM_setfilter");
    if (!s) return 0;
    if (filter < 1 || filter > s->nfilters) return LIBFAIL(SITE, "STREAM_setfilter - invalid filter number\n");
    if (filter == s->nfilters && (mask || value)) return LIBFAIL(SITE, "STREAM_setfilter - last filter must be null\n");
    if ((tap < 1 && tap != STREAM_TAPDROP && tap != STREAM_TAPABORT) || tap > s->ntaps)
        return LIBFAIL(SITE, "STREAM_setfilter - invalid tap number\n");
    Hold hold(s);
    if (s->state.load() != STREAM_IDLE) return LIBFAIL(SITE, "STREAM_setfilter - stream must be idle to set filter\n");
    s->filters[filter - 1] = Filter{mask, value, tap};
    return 1;
}

void STREAM_setpriority(STREAMHANDLE handle, int32_t normal, int32_t greedy)
{
    if (Stream* s = stream_of(handle, "STREAM_setpriority")) {
        Hold hold(s);
        s->normal = normal;
        s->greedy = greedy;
    }
}

void STREAM_setgreedylevel(STREAMHANDLE handle, uint32_t bytes)
{
    Stream* s = stream_of(handle, "STREAM_setgreedylevel");
    if (!s) return;
    Hold hold(s);
    bool before = s->inuse < s->greedylevel;
    s->greedylevel = bytes;
    bool after = s->inuse < s->greedylevel;
    if (before != after) set_greedy(s, after);
}

void STREAM_setgreedystate(STREAMHANDLE handle, int32_t state)
{
    if (Stream* s = stream_of(handle, "STREAM_setgreedystate")) {
        Hold hold(s);
        set_greedy(s, state ? 1 : 0);
    }
}

STREAMHANDLE STREAM_taphandle(STREAMHANDLE handle, int32_t tap)
{
    Stream* s = stream_of(handle, "STREAM_taphandle");
    if (!s) return nullptr;
    if (tap < 1 || tap > s->ntaps) {
        LIBFAIL(SITE, "STREAM_taphandle - invalid tap number\n");
        return nullptr;
    }
    return &s->taps[tap - 1];
}

int32_t STREAM_tapnum(STREAMHANDLE tap) { return stream_of(tap, "STREAM_tapnum") ? tap->number : 0; }

uint32_t STREAM_queuefile(STREAMHANDLE handle, const char* name, uint32_t start, uint32_t endtype)
{
    Stream* s = stream_of(handle, "STREAM_queuefile");
    if (!s || !name) return 0;
    return new_request(s, KIND_FILE, name, nullptr, start, endtype);
}

uint32_t STREAM_queuemem(STREAMHANDLE handle, const void* memory, uint32_t length, uint32_t endtype)
{
    Stream* s = stream_of(handle, "STREAM_queuemem");
    if (!s || !memory) return 0;
    if (length == 0) {
        // Walk the chunks up to and including the first of the end type.
        auto* p = static_cast<const uint8_t*>(memory);
        for (;;) {
            StreamChunk c;
            std::memcpy(&c, p + length, sizeof c);
            if (endtype == 0 || !size_ok(s, c.size)) {
                LIBFAIL(SITE, "STREAM - invalid chunk file (chunk too large)\n");
                return 0;
            }
            length += c.size;
            if (c.type == endtype) break;
        }
    }
    return new_request(s, KIND_MEMORY, nullptr, memory, length, endtype);
}

uint8_t* STREAM_get(STREAMHANDLE tap)
{
    Stream* s = stream_of(tap, "STREAM_get");
    if (!s) return nullptr;
    Hold hold(s);
    if (tap->bytes == 0) return nullptr;
    uint64_t at = tap->first;
    StreamChunk c = header_at(s, at);
    uint32_t size = c.size & SIZE_MASK;
    put_header(s, at, StreamChunk{c.type, size});
    tap->bytes -= size;
    if (tap->bytes) find_first(s, *tap, at + size);
    return s->data + ring(s, at);
}

void STREAM_release(STREAMHANDLE tap, uint8_t* chunk)
{
    Stream* s = stream_of(tap, "STREAM_release");
    if (!s) return;
    uint8_t* p = chunk;
    if (!chunk || p < s->data || p + 8 > s->data + s->size) {
        LIBFAIL(SITE, "STREAM_release - chunk does not belong to specified stream\n");
        return;
    }
    Pending next;
    {
        Hold hold(s);
        StreamChunk c;
        std::memcpy(&c, p, sizeof c);
        if (c.type == CHUNK_RELEASED) {
            LIBFAIL(SITE, "STREAM_release - chunk has already been released\n");
            return;
        }
        uint32_t size = c.size & SIZE_MASK;
        c = StreamChunk{CHUNK_RELEASED, size};
        std::memcpy(p, &c, sizeof c);
        bool below = s->inuse < s->greedylevel;
        s->inuse = s->inuse >= size ? s->inuse - size : 0;
        if (!below && s->inuse < s->greedylevel) set_greedy(s, 1);
        if (s->state.load() == STREAM_STALLED) {
            s->state.store(STREAM_READING);
            next = read_step(s);
        }
    }
    launch(next);
}

uint32_t STREAM_gettable(STREAMHANDLE tap)
{
    Stream* s = stream_of(tap, "STREAM_gettable");
    if (!s) return 0;
    Hold hold(s);
    return tap->bytes;
}

int32_t STREAM_state(STREAMHANDLE handle)
{
    Stream* s = stream_of(handle, "STREAM_state");
    return s ? s->state.load() : 0;
}

int STREAM_isendofstream(STREAMHANDLE tap)
{
    Stream* s = stream_of(tap, "STREAM_isendofstream");
    if (!s) return 0;
    Hold hold(s);
    return s->state.load() == STREAM_IDLE && tap->bytes == 0;
}

uint32_t STREAM_buffersize(STREAMHANDLE handle)
{
    Stream* s = stream_of(handle, "STREAM_buffersize");
    return s ? s->size : 0;
}

uint32_t STREAM_bufferusage(STREAMHANDLE handle)
{
    Stream* s = stream_of(handle, "STREAM_bufferusage");
    if (!s) return 0;
    Hold hold(s);
    return s->inuse;
}

uint32_t STREAM_taprequestid(STREAMHANDLE tap)
{
    Stream* s = stream_of(tap, "STREAM_taprequestid");
    if (!s) return 0;
    Hold hold(s);
    if (tap->bytes == 0) return 0;
    for (int32_t i = s->head; i != NONE; i = s->requests[i].next) {
        const Request& r = s->requests[i];
        if (r.state >= STREAMREQ_READING && tap->first >= r.start && tap->first < request_end(s, r)) return r.id;
    }
    return 0;
}

int32_t STREAM_requeststate(STREAMHANDLE handle, uint32_t id)
{
    Stream* s = stream_of(handle, "STREAM_requeststate");
    if (!s) return 0;
    Hold hold(s);
    Request* r = request_of(s, id);
    return r ? r->state : 0;
}

void STREAM_cancelrequest(STREAMHANDLE handle, uint32_t id)
{
    Stream* s = stream_of(handle, "STREAM_cancelrequest");
    if (!s) return;
    Hold hold(s);
    Request* r = request_of(s, id);
    if (!r || r->state == STREAMREQ_CANCELLED) return;
    if (r->state == STREAMREQ_QUEUED) {
        free_request(s, static_cast<int32_t>(r - s->requests));
        return;
    }
    r->state = STREAMREQ_CANCELLED;
    drop_ready(s, r->start, request_end(s, *r));
}

void STREAM_kill(STREAMHANDLE handle)
{
    Stream* s = stream_of(handle, "STREAM_kill");
    if (!s) return;
    Hold hold(s);
    // Queued requests go; the one being read is cancelled and ends at its
    // next completion.
    for (int32_t i = s->head; i != NONE;) {
        int32_t next = s->requests[i].next;
        if (s->requests[i].state == STREAMREQ_QUEUED) free_request(s, i);
        i = next;
    }
    while (s->head != NONE && s->head != s->tail) free_request(s, s->head);
    if (s->tail != NONE && s->requests[s->tail].state != STREAMREQ_FREE) {
        s->requests[s->tail].state = STREAMREQ_CANCELLED;
        s->current = s->tail;
    }
    for (int32_t i = 0; i < s->ntaps; ++i) s->taps[i].bytes = 0;
    s->inuse = 0;
    for (uint64_t at = s->release; at < s->parse;) {
        StreamChunk c = header_at(s, at);
        if (c.type == CHUNK_WRAP) {
            at = next_lap(s, at);
            continue;
        }
        uint32_t size = c.size & SIZE_MASK;
        release_in_place(s, at, size);
        at += size;
    }
    if (s->state.load() == STREAM_STALLED) s->state.store(STREAM_IDLE);
}

void STREAM_destroy(STREAMHANDLE handle)
{
    Stream* s = stream_of(handle, "STREAM_destroy");
    if (!s) return;
    STREAM_kill(handle);
    while (s->state.load() == STREAM_READING || s->inflight.load() > 0) {
        if (isthread(LIB_MAINTHREAD)) runsystemtasks(0);
        sleepthread(1);
    }
    std::memset(s->magic, 0, 4);
    if (s->handle) syncclose(s->handle, 100);
    s->handle = 0;
    s->~Stream();
}
