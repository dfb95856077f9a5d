// Sample sources for uncompressed data: one-shot and looped memory, the
// callback stream and the packet player. The plain set's sources turn their
// frames into floats; the MMX set's copy the bytes as they are.
#include "mix/mixer.h"
#include "mix/pktplay.h"

#include <cstring>

float snd8bittable[256];
SndStreamRefill sndstreamrefill = nullptr;

namespace {

struct Format {
    uint8_t is16, stereo, raw;
    int32_t bytes() const { return (is16 ? 2 : 1) * (stereo ? 2 : 1); }
    int32_t samples() const { return stereo ? 2 : 1; }
    // Bytes of one decoded frame.
    int32_t outbytes() const { return raw ? bytes() : static_cast<int32_t>(sizeof(float)) * samples(); }
};

// Copies frames into the decoded buffer and moves past them.
void convert(const Format& f, const uint8_t* from, int32_t frames, uint8_t*& out)
{
    int32_t count = frames * f.samples();
    size_t outbytes = static_cast<size_t>(frames) * static_cast<size_t>(f.outbytes());
    if (f.raw) {
        std::memcpy(out, from, outbytes);
    } else if (f.is16) {
        float* to = reinterpret_cast<float*>(out);
        for (int32_t i = 0; i < count; ++i) {
            int16_t s;
            std::memcpy(&s, from + 2 * i, 2);
            to[i] = static_cast<float>(s);
        }
    } else {
        float* to = reinterpret_cast<float*>(out);
        for (int32_t i = 0; i < count; ++i) to[i] = snd8bittable[from[i]];
    }
    out += outbytes;
}

void zero(const Format& f, uint8_t* to, int32_t frames)
{
    if (frames > 0) std::memset(to, 0, static_cast<size_t>(frames) * static_cast<size_t>(f.outbytes()));
}

struct OneShot {
    const uint8_t* data;
    int32_t position, length;
    Format f;
};
int32_t oneshot_fetch(void* s, int32_t n, void* outp)
{
    auto* o = static_cast<OneShot*>(s);
    auto* out = static_cast<uint8_t*>(outp);
    if (o->position >= o->length) return -1;
    int32_t old = o->position;
    o->position += n;
    int32_t give = o->position >= o->length ? o->length - old : n;
    convert(o->f, o->data + static_cast<size_t>(old) * o->f.bytes(), give, out);
    zero(o->f, out, n - give);
    return 1;
}
int32_t oneshot_position(void* s) { return static_cast<OneShot*>(s)->position; }

struct Looped {
    const uint8_t* data;
    int32_t position, loopstart, loopend;
    Format f;
};
int32_t looped_fetch(void* s, int32_t n, void* outp)
{
    auto* l = static_cast<Looped*>(s);
    auto* out = static_cast<uint8_t*>(outp);
    while (n > 0) {
        int32_t take = l->loopend - l->position + 1;
        if (take > n) take = n;
        if (take <= 0) {
            l->position = l->loopstart;
            continue;
        }
        convert(l->f, l->data + static_cast<size_t>(l->position) * l->f.bytes(), take, out);
        n -= take;
        l->position += take;
        if (l->position > l->loopend) l->position = l->loopstart;
    }
    return 1;
}

struct Stream {
    const uint8_t* data;
    int32_t available, position;
    Format f;
};
int32_t stream_fetch(void* s, int32_t n, void* outp)
{
    auto* st = static_cast<Stream*>(s);
    auto* out = static_cast<uint8_t*>(outp);
    if (!st->data) return -1;
    bool early = false;
    while (n > 0) {
        if (st->position >= st->available) {
            if (!sndstreamrefill || sndstreamrefill(st, &st->data, &st->available) != 0 || !st->data) {
                early = true;
                break;
            }
            st->position = 0;
            continue;
        }
        int32_t take = st->available - st->position;
        if (take > n) take = n;
        convert(st->f, st->data + static_cast<size_t>(st->position) * st->f.bytes(), take, out);
        st->position += take;
        n -= take;
    }
    if (early) {
        zero(st->f, out, n);
        st->position = st->available = 0;
    }
    return 1;
}

struct Packet {
    const uint8_t* data;
    int32_t frames, position, player, handed;
    Format f;
};
int32_t packet_fetch(void* s, int32_t n, void* outp)
{
    auto* p = static_cast<Packet*>(s);
    auto* out = static_cast<uint8_t*>(outp);
    // What the last fetch handed out has been mixed by now.
    if (p->handed) {
        sndpktconsumed(p->player, p->handed);
        p->handed = 0;
    }
    while (n > 0) {
        if (p->position >= p->frames) {
            int32_t frames = 0;
            const uint8_t* next = sndpktnext(p->player, &frames);
            if (!next) break;
            p->data = next, p->frames = frames, p->position = 0;
            continue;
        }
        int32_t take = p->frames - p->position;
        if (take > n) take = n;
        convert(p->f, p->data + static_cast<size_t>(p->position) * p->f.bytes(), take, out);
        p->position += take;
        p->handed += take;
        n -= take;
    }
    if (n > 0) {
        if (!p->handed) return 0;
        zero(p->f, out, n);
    }
    return p->handed;
}

template <int IS16, int STEREO, int RAW>
int32_t oneshot_init(int32_t, void* state, intptr_t a, intptr_t b, intptr_t, intptr_t, SndFetch* fetch,
                     SndPosition* position)
{
    auto* o = static_cast<OneShot*>(state);
    *o = {reinterpret_cast<const uint8_t*>(a), 0, static_cast<int32_t>(b), {IS16, STEREO, RAW}};
    *fetch = oneshot_fetch;
    *position = oneshot_position;
    return sizeof(OneShot);
}
template <int IS16, int STEREO, int RAW>
int32_t looped_init(int32_t, void* state, intptr_t a, intptr_t, intptr_t c, intptr_t d, SndFetch* fetch,
                    SndPosition* position)
{
    auto* l = static_cast<Looped*>(state);
    *l = {reinterpret_cast<const uint8_t*>(a), 0, static_cast<int32_t>(c), static_cast<int32_t>(d), {IS16, STEREO, RAW}};
    *fetch = looped_fetch;
    *position = nullptr;
    return sizeof(Looped);
}
// The data pointer starts as a marker so that the first fetch asks for data.
const uint8_t streammarker = 0;
template <int IS16, int STEREO, int RAW>
int32_t stream_init(int32_t, void* state, intptr_t, intptr_t, intptr_t, intptr_t, SndFetch* fetch,
                    SndPosition* position)
{
    auto* st = static_cast<Stream*>(state);
    *st = {&streammarker, 0, 0, {IS16, STEREO, RAW}};
    *fetch = stream_fetch;
    *position = nullptr;
    return sizeof(Stream);
}
template <int IS16, int STEREO, int RAW>
int32_t packet_init(int32_t voice, void* state, intptr_t, intptr_t, intptr_t, intptr_t, SndFetch* fetch,
                    SndPosition* position)
{
    auto* p = static_cast<Packet*>(state);
    *p = {nullptr, -1, 0, sndpktplayerofvoice(voice), 0, {IS16, STEREO, RAW}};
    *fetch = packet_fetch;
    *position = nullptr;
    return sizeof(Packet);
}

template <int IS16, int STEREO, int RAW>
void install(int group)
{
    sndcodectable[group + 0] = oneshot_init<IS16, STEREO, RAW>;
    sndcodectable[group + 1] = looped_init<IS16, STEREO, RAW>;
    sndcodectable[group + 2] = stream_init<IS16, STEREO, RAW>;
    sndcodectable[group + 3] = packet_init<IS16, STEREO, RAW>;
}

template <int RAW>
void installall()
{
    install<0, 0, RAW>(0);
    install<0, 1, RAW>(4);
    install<1, 0, RAW>(8);
    install<1, 1, RAW>(12);
}

} // namespace

void sndsourcesinit(bool mmx)
{
    // Built for both sets: the sample converter the outside library calls
    // reads 8-bit data through it too.
    for (int b = 0; b < 256; ++b) snd8bittable[b] = static_cast<float>(static_cast<int8_t>(b)) * 256.0f;
    if (mmx) installall<1>();
    else installall<0>();
}
