// Streams: a sequence of chunked files or memory ranges read into one ring
// buffer in the caller's memory and handed out chunk by chunk, in place, to
// taps chosen by each chunk's type. Reading runs through the file request
// layer; completions parse and read on until the buffer is full, and
// releasing chunks makes room and resumes.
//
// A chunk is {u32 type (first character in the low byte), u32 size including
// these 8 bytes}; sizes of 8 up to 0xFFFFFF (and not larger than the buffer
// less 8) are valid.
#pragma once

#include <cstdint>

struct StreamTap;
using STREAMHANDLE = StreamTap*;

struct StreamChunk {
    uint32_t type;
    uint32_t size;
};
// Chunks lie at any byte in the buffer: their headers are read by copy.
inline StreamChunk streamchunkheader(const uint8_t* chunk)
{
    StreamChunk c;
    __builtin_memcpy(&c, chunk, sizeof c);
    return c;
}

constexpr int32_t STREAM_TAPDROP = -1;  // the chunk is released at once
constexpr int32_t STREAM_TAPABORT = -2; // a chunk here is misuse
constexpr uint32_t STREAM_MINBUFFER = 24576;
constexpr uint32_t STREAM_READSIZE = 8192;

enum StreamState : int32_t { STREAM_IDLE = 0, STREAM_READING = 1, STREAM_STALLED = 2 };
enum StreamRequestState : int32_t {
    STREAMREQ_FREE = 0,
    STREAMREQ_QUEUED = 1,
    STREAMREQ_READING = 2,
    STREAMREQ_COMPLETE = 3,
    STREAMREQ_CANCELLED = 4,
};

uint32_t STREAM_memrequired(int32_t requests, int32_t filters, int32_t taps);
// The handle of tap 1 (also the stream's handle), or 0.
STREAMHANDLE STREAM_create(int32_t requests, int32_t filters, int32_t taps, void* memory, uint32_t memorysize);
// A chunk goes to the tap of the first filter with type & mask == value; the
// last filter must stay {0, 0}. Only while idle.
int STREAM_setfilter(STREAMHANDLE handle, int32_t filter, uint32_t mask, uint32_t value, int32_t tap);
void STREAM_setpriority(STREAMHANDLE handle, int32_t normal, int32_t greedy);
void STREAM_setgreedylevel(STREAMHANDLE handle, uint32_t bytes);
void STREAM_setgreedystate(STREAMHANDLE handle, int32_t state);
STREAMHANDLE STREAM_taphandle(STREAMHANDLE handle, int32_t tap);
int32_t STREAM_tapnum(STREAMHANDLE tap);

// Request ids, 0 when no request record is free. An end type of 0 means none.
uint32_t STREAM_queuefile(STREAMHANDLE handle, const char* name, uint32_t start, uint32_t endtype);
// Length 0: up to and including the first chunk of the end type.
uint32_t STREAM_queuemem(STREAMHANDLE handle, const void* memory, uint32_t length, uint32_t endtype);

// The next chunk at the tap (its header, size without the tap byte), or 0.
uint8_t* STREAM_get(STREAMHANDLE tap);
void STREAM_release(STREAMHANDLE tap, uint8_t* chunk);
uint32_t STREAM_gettable(STREAMHANDLE tap);
int32_t STREAM_state(STREAMHANDLE handle);
int STREAM_isendofstream(STREAMHANDLE tap);
uint32_t STREAM_buffersize(STREAMHANDLE handle);
uint32_t STREAM_bufferusage(STREAMHANDLE handle);
uint32_t STREAM_taprequestid(STREAMHANDLE tap);
int32_t STREAM_requeststate(STREAMHANDLE handle, uint32_t id);

void STREAM_cancelrequest(STREAMHANDLE handle, uint32_t id);
void STREAM_kill(STREAMHANDLE handle);
// Kills, waits until no read is in flight, and closes the open file.
void STREAM_destroy(STREAMHANDLE handle);
