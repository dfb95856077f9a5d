// Sound streams: a system task takes the audio chunks of each stream's tap,
// reads the patch header that opens each request and submits the samples
// as packets to the stream's packet player; callers poll each request.
#include "mix/pktplay.h"
#include "mix/sndint.h"

#include "cmn/lib.h"
#include "win/ddraw.h"
#include "win/timer.h"

#include <cstring>
#include <new>

namespace {

constexpr const char* SITE = "snd\\sndstrm";
constexpr uint32_t SCHL = 0x6C484353, SCCL = 0x6C434353, SCDL = 0x6C444353, SCEL = 0x6C454353;

struct alignas(8) Request {
    uint32_t streamrequest;
    int32_t id;
    int32_t firstpacket, lastpacket;
    int32_t datarate;
    int32_t played, headerframes, unplayed, packets;
    int32_t control;
    int16_t prebuffer;
    uint8_t ended;   // its "SCEl" has been fed
    uint8_t invalid; // its header could not be played: data is dropped
};

struct Stream {
    Request* requests;
    STREAMHANDLE tap;
    int32_t voice, player;
    int32_t sequence;
    int32_t state; // 0 no header yet, 1 playing, 2 format change waiting
    int32_t maxrequests, queued, feed;
    int32_t shared;
    SndSampleFormat inuse, newest;
    SndVoiceParams paramsinuse, paramsnewest;
    PlayOptions options;
};

Stream* streams[16];
int32_t streamcount = 0;

Stream* get(int32_t handle) { return handle >= 0 && handle < 16 ? streams[handle] : nullptr; }

void release(Stream* s, uint8_t* chunk) { STREAM_release(s->tap, chunk); }

// A request is done once its end has been fed and its frames are played.
void removefinished(Stream* s)
{
    for (int32_t i = 0; i < s->queued;) {
        Request& r = s->requests[i];
        bool done = r.ended && ((r.headerframes > 0 && r.played >= r.headerframes) || r.unplayed <= 0);
        if (!done) {
            ++i;
            continue;
        }
        std::memmove(&s->requests[i], &s->requests[i + 1], sizeof(Request) * static_cast<size_t>(s->queued - i - 1));
        --s->queued;
        if (s->feed > i) --s->feed;
    }
}

void packetrelease(const uint8_t* tag)
{
    auto* chunk = const_cast<uint8_t*>(tag - 12);
    uint32_t id;
    std::memcpy(&id, chunk, 4);
    if (Stream* s = get(static_cast<int32_t>(id & 0xFF))) release(s, chunk);
}

void framesplayed(int32_t player, int32_t frames)
{
    for (Stream* s : streams) {
        if (!s || s->player != player) continue;
        for (int32_t i = 0; i < s->queued && frames > 0; ++i) {
            Request& r = s->requests[i];
            int32_t take = r.unplayed < frames ? r.unplayed : frames;
            if (take <= 0) continue;
            r.played += take;
            r.unplayed -= take;
            frames -= take;
        }
        removefinished(s);
    }
}

Request* feeding(Stream* s) { return s->feed < s->queued ? &s->requests[s->feed] : nullptr; }

int32_t startplayer(Stream* s)
{
    int32_t voice = SNDPKTPLAY_start(s->player, &s->inuse, &s->paramsinuse, &s->options);
    s->voice = voice < 0 ? -1 : voice;
    return voice;
}

int32_t parseheader(Stream* s, uint8_t* chunk, uint32_t size)
{
    Request* r = feeding(s);
    int32_t frames = 0;
    SndSampleFormat format{};
    SndVoiceParams params{};
    int32_t ok = size > 8 ? iSNDpatchtohdr(chunk + 8, size - 8, &format, &params, &frames) : -15;
    release(s, chunk);
    if (!r) return 0;
    if (ok < 0) {
        r->invalid = 1;
        r->datarate = 0;
        return 1;
    }
    r->invalid = 0;
    s->newest = format;
    s->paramsnewest = params;
    r->headerframes = frames;
    r->datarate = iSNDplatformcalcdatarate(&format);
    bool differs = std::memcmp(&format, &s->inuse, sizeof format) != 0 ||
                   std::memcmp(&params, &s->paramsinuse, sizeof params) != 0;
    if (differs) {
        if (s->inuse.rate != 0) {
            s->state = 2;
            return 0;
        }
        s->inuse = format;
        s->paramsinuse = params;
    }
    if (s->state != 1) {
        if (startplayer(s) < 0) {
            LIBFAIL(SITE, "iSNDstreamparseheader - FAILED TO START STREAMER VOICE.\n");
            r->invalid = 1;
            return 0;
        }
        s->state = 1;
    }
    return 0;
}

// Frames the chunk's bytes can hold, by the representation.
int32_t framesinbytes(const SndSampleFormat& f, uint32_t bytes)
{
    int32_t ch = sndchannels(f) ? sndchannels(f) : 1;
    switch (sndkind(f)) {
    case 0: return static_cast<int32_t>(bytes / (2u * ch));
    case 2: return static_cast<int32_t>(bytes / ch);
    case 3: return bytes < 8 ? 0 : static_cast<int32_t>((bytes - 8) / (15u * ch) * 28);
    default: return static_cast<int32_t>(bytes > 0x7FFFFFFF ? 0x7FFFFFFF : bytes);
    }
}

int32_t parsedata(Stream* s, uint8_t* chunk, uint32_t size)
{
    Request* r = feeding(s);
    // A short chunk, or one with nothing playable behind it, goes back unread.
    if (!r || size < 12 || r->invalid || s->state != 1) {
        release(s, chunk);
        return 1;
    }
    int32_t frames;
    std::memcpy(&frames, chunk + 8, 4);
    int32_t room = framesinbytes(s->inuse, size - 12);
    if (frames > room) frames = room;
    if (frames <= 0) {
        release(s, chunk);
        return 1;
    }
    uint32_t id = static_cast<uint32_t>(r->id);
    std::memcpy(chunk, &id, 4);
    SndPacket packet{frames, chunk + 12, size - 12};
    int32_t number = SNDPKTPLAY_submit(s->player, &packet);
    if (number < 0) {
        LIBFAIL(SITE, "iSNDstreamparsedata - ERROR %i SUBMITTING PACKET.\n", number);
        std::memcpy(chunk, &SCDL, 4);
        release(s, chunk);
        return 0;
    }
    r->unplayed += frames;
    r->packets += 1;
    if (r->firstpacket < 0) r->firstpacket = number;
    r->lastpacket = number;
    return 1;
}

int32_t handlechunk(Stream* s, uint8_t* chunk)
{
    StreamChunk c = streamchunkheader(chunk);
    switch (c.type) {
    case SCHL: return parseheader(s, chunk, c.size);
    case SCDL: return parsedata(s, chunk, c.size);
    case SCCL:
        if (Request* r = feeding(s); r && c.size >= 12) std::memcpy(&r->control, chunk + 8, 4);
        release(s, chunk);
        return 1;
    case SCEL:
        release(s, chunk);
        if (Request* r = feeding(s)) {
            r->ended = 1;
            ++s->feed;
            removefinished(s);
        }
        return 1;
    default: release(s, chunk); return 1;
    }
}

bool prebufferwait(Stream* s)
{
    Request* r = feeding(s);
    if (!r || r->datarate == 0 || r->prebuffer == 0) return false;
    if (r->prebuffer < 0) return true;
    uint64_t have = STREAM_gettable(s->tap);
    if (have > 4000000) have = 4000000;
    if (have * 1000 / static_cast<uint64_t>(r->datarate) >= static_cast<uint64_t>(r->prebuffer) ||
        STREAM_state(s->tap) == STREAM_STALLED) {
        r->prebuffer = 0;
        return false;
    }
    return true;
}

uint32_t iSNDstreamsystemtask(uintptr_t, int32_t)
{
    if (issurfacelocked()) return 0;
    for (Stream* s : streams) {
        if (!s) continue;
        {
            SndLockHold hold;
            if (!s->queued) continue;
            if (s->state == 2) {
                if (SNDPKTPLAY_framesoutstanding(s->player) > 0) continue;
                s->inuse = s->newest;
                s->paramsinuse = s->paramsnewest;
                if (s->voice != -1) SNDPKTPLAY_stop(s->player);
                if (startplayer(s) < 0) {
                    LIBFAIL(SITE, "iSNDstreamsystemtask - COULDN'T START PACKET LAYER.\n");
                    continue;
                }
                s->state = 1;
            }
        }
        if (prebufferwait(s)) continue;
        int32_t budget = s->state == 1 ? SNDPKTPLAY_submitspace(s->player) : s->state == 0 ? 10 : 0;
        if (budget <= 0) continue;
        SndLockHold hold;
        int32_t result = 1;
        while (result == 1 && budget > 0) {
            --budget;
            uint8_t* chunk = STREAM_get(s->tap);
            if (!chunk) break;
            result = handlechunk(s, chunk);
        }
    }
    return 0;
}

void stopstream(Stream* s)
{
    if (s->voice != -1 && SNDPKTPLAY_voice(s->player) != -1) SNDPKTPLAY_stop(s->player);
    s->voice = -1;
    if (!s->shared) STREAM_kill(s->tap);
    s->queued = s->feed = 0;
    s->state = 0;
    s->inuse = s->newest = SndSampleFormat{};
    s->paramsinuse = s->paramsnewest = SndVoiceParams{};
}

void destroyall()
{
    for (int32_t h = 0; h < 16; ++h)
        if (streams[h]) SNDSTRM_destroy(h);
}

int32_t create(STREAMHANDLE tap, const PlayOptions* options, int32_t maxrequests, int32_t packets, void* memory,
               int32_t size, bool own)
{
    if (!sndstate.initialised) return -10;
    if (maxrequests < 1 || maxrequests > 127) {
        LIBFAIL(SITE, "SNDSTRM_create... - maxrequests OF %i IS OUT OF RANGE. VALID RANGE IS 1..127.\n", maxrequests);
        return -8;
    }
    if (!memory) {
        LIBFAIL(SITE, "SNDSTRM_create... - pmem WAS NULL.\n");
        return -8;
    }
    SndLockHold hold;
    int32_t h = 0;
    while (h < 16 && streams[h]) ++h;
    if (h == 16) return -9;
    auto* base = static_cast<uint8_t*>(memory);
    int64_t used = static_cast<int64_t>(sizeof(Stream)) + int64_t{maxrequests} * static_cast<int64_t>(sizeof(Request));
    int32_t pktbytes = SNDPKTPLAY_memrequired(packets);
    if (used + pktbytes > size) {
        LIBFAIL(SITE, "SNDSTRM_create... - INSUFFICIENT AMOUNT OF MEMORY FOR STREAMING.\n");
        return -6;
    }
    int32_t player = SNDPKTPLAY_create(base + used, pktbytes, packetrelease, framesplayed);
    if (player < 0) return player;
    int64_t rest = size - used - pktbytes;
    if (rest < (own ? 24576 : 0)) {
        SNDPKTPLAY_destroy(player);
        LIBFAIL(SITE, "SNDSTRM_create... - INSUFFICIENT AMOUNT OF MEMORY FOR STREAMING.\n");
        return -6;
    }
    if (own) {
        tap = STREAM_create(maxrequests + 1, 1, 1, base + used + pktbytes, static_cast<uint32_t>(rest));
        if (!tap) {
            SNDPKTPLAY_destroy(player);
            return -6;
        }
        STREAM_setgreedylevel(tap, STREAM_buffersize(tap) / 3);
    }
    auto* s = new (memory) Stream{};
    s->requests = reinterpret_cast<Request*>(s + 1);
    s->tap = tap;
    s->voice = -1;
    s->player = player;
    s->maxrequests = maxrequests;
    s->shared = own ? 0 : 1;
    s->options = *options;
    streams[h] = s;
    if (streamcount++ == 0) {
        addsystemtask(iSNDstreamsystemtask, 0, 1);
        sndstate.shutdown = destroyall;
    }
    stopstream(s);
    return h;
}

} // namespace

int32_t SNDSTRM_memrequired(int32_t maxrequests, int32_t packets)
{
    return maxrequests * static_cast<int32_t>(sizeof(Request)) + static_cast<int32_t>(sizeof(Stream)) +
           SNDPKTPLAY_memrequired(packets);
}

int32_t SNDSTRM_memrequiredown(int32_t maxrequests, int32_t packets)
{
    return SNDSTRM_memrequired(maxrequests, packets) + static_cast<int32_t>(STREAM_memrequired(maxrequests + 1, 1, 1));
}

int32_t SNDSTRM_create(STREAMHANDLE tap, const PlayOptions* options, int32_t maxrequests, int32_t packets,
                       void* memory, int32_t size)
{
    return create(tap, options, maxrequests, packets, memory, size, false);
}

int32_t SNDSTRM_createown(const PlayOptions* options, int32_t maxrequests, int32_t packets, void* memory,
                          int32_t size)
{
    return create(nullptr, options, maxrequests, packets, memory, size, true);
}

int32_t SNDSTRM_request(int32_t handle, int32_t prebufferms, intptr_t a, uint32_t b, int32_t kind)
{
    if (!sndstate.initialised) return -10;
    Stream* s = get(handle);
    if (!s) return -8;
    SndLockHold hold;
    if (s->queued >= s->maxrequests) return -13;
    uint32_t sreq = 0;
    switch (kind) {
    case 0: sreq = STREAM_queuefile(s->tap, reinterpret_cast<const char*>(a), b, SCEL); break;
    case 1: sreq = STREAM_queuemem(s->tap, reinterpret_cast<const void*>(a), b, SCEL); break;
    default: sreq = b; break;
    }
    if (!sreq) return -1;
    s->sequence += 256;
    if (s->sequence < 0) s->sequence = 0;
    Request& r = s->requests[s->queued++];
    r = Request{};
    r.streamrequest = sreq;
    r.id = s->sequence | handle;
    r.firstpacket = r.lastpacket = -1;
    r.prebuffer = static_cast<int16_t>(prebufferms);
    return r.id;
}

int32_t SNDSTRM_play(int32_t handle, int32_t prebufferms, uint32_t streamrequest)
{
    return SNDSTRM_request(handle, prebufferms, 0, streamrequest, 2);
}

int32_t SNDSTRM_playfile(int32_t handle, int32_t prebufferms, const char* name, uint32_t word)
{
    return SNDSTRM_request(handle, prebufferms, reinterpret_cast<intptr_t>(name), word, 0);
}

int32_t SNDSTRM_requeststatus(int32_t id, SndStreamStatus* status)
{
    *status = {0, 0, 0, 0};
    if (!sndstate.initialised) return -10;
    Stream* s = get(id & 0xFF);
    if (!s) return -8;
    SndLockHold hold;
    int32_t i = 0;
    while (i < s->queued && s->requests[i].id != id) ++i;
    if (i == s->queued) {
        status->state = 3;
        return 0;
    }
    const Request& r = s->requests[i];
    if (r.firstpacket < 0) return 0;
    status->state = i == 0 ? 2 : 1;
    int64_t rate = i == 0 ? s->inuse.rate : s->newest.rate;
    if (!rate || r.invalid) return 0;
    if (r.unplayed > 4000000) {
        LIBFAIL(SITE, "SNDSTRM_requeststatus - TOO MUCH BUFFERED, MATH OVERFLOW.\n");
        return 0;
    }
    status->played = static_cast<int32_t>(int64_t{r.played} * 1000 / rate);
    status->toplay = static_cast<int32_t>(int64_t{r.headerframes - r.played} * 1000 / rate);
    status->buffered = static_cast<int32_t>(int64_t{r.unplayed} * 1000 / rate);
    return 0;
}

void SNDSTRM_stop(int32_t handle)
{
    Stream* s = get(handle);
    if (!s) return;
    SndLockHold hold;
    stopstream(s);
}

void SNDSTRM_destroy(int32_t handle)
{
    Stream* s = get(handle);
    if (!s) return;
    SndLockHold hold;
    stopstream(s);
    if (--streamcount == 0) {
        removesystemtask(iSNDstreamsystemtask);
        sndstate.shutdown = nullptr;
    }
    SNDPKTPLAY_destroy(s->player);
    if (!s->shared) STREAM_destroy(s->tap);
    streams[handle] = nullptr;
}

void sndstreamsreset()
{
    for (Stream*& s : streams) s = nullptr;
    streamcount = 0;
    removesystemtask(iSNDstreamsystemtask);
}
