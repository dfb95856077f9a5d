// Compression 7: 4-bit predictive coding in blocks of 28 frames, decoded to
// floats (plain set) or to 16-bit samples (MMX set) for the one-shot,
// looped, callback-stream and packet kinds.
#include "mix/mixer.h"
#include "mix/pktplay.h"
#include "mix/sndint.h"

#include "cmn/lib.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr const char* SITE = "snd\\sndxa";
constexpr int BLOCK = 28;

constexpr float B[4] = {0.0f, 60.0f / 64, 115.0f / 64, 98.0f / 64};
constexpr float A[4] = {0.0f, 0.0f, -52.0f / 64, -55.0f / 64};
// The MMX set's weights: the same times 256.
constexpr int32_t B256[4] = {0, 240, 460, 392};
constexpr int32_t A256[4] = {0, 0, -208, -220};
// Deltas by shift and code: (code x 4096) >> shift.
struct DeltaTable {
    float d[13][16];
    int32_t d256[13][16]; // the MMX set's, times 256
    DeltaTable()
    {
        for (int k = 0; k < 13; ++k)
            for (int q = 0; q < 16; ++q) {
                int32_t delta = (((q ^ 8) - 8) * 4096) >> k;
                d[k][q] = static_cast<float>(delta);
                d256[k][q] = delta * 256;
            }
    }
};
const DeltaTable deltas;

// Plain: floats, neither rounded nor clipped. MMX: the floor of the
// weighted sum kept to its low 16 bits, so a loud prediction wraps, and
// the history with it.
template <typename T>
struct History {
    T p1, p2;
};

// Filters past the table act as 0 and shifts past 12 as 12.
inline float decodeone(History<float>& h, int f, int k, int q)
{
    if (f > 3) f = 0;
    if (k > 12) k = 12;
    float v = h.p1 * B[f] + h.p2 * A[f] + deltas.d[k][q & 15];
    h.p2 = h.p1;
    h.p1 = v;
    return v;
}
inline int16_t decodeone(History<int16_t>& h, int f, int k, int q)
{
    if (f > 3) f = 0;
    if (k > 12) k = 12;
    int32_t sum = h.p1 * B256[f] + h.p2 * A256[f] + deltas.d256[k][q & 15];
    auto v = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(sum >> 8)));
    h.p2 = h.p1;
    h.p1 = v;
    return v;
}

// One block of ch channels from p into out (28 x ch samples).
template <typename T>
void decodeblock(const uint8_t* p, int ch, History<T>* h, T* out)
{
    if (ch == 1) {
        int f = p[0] >> 4, k = p[0] & 15;
        for (int i = 0; i < 14; ++i) {
            out[2 * i] = decodeone(h[0], f, k, p[1 + i] >> 4);
            out[2 * i + 1] = decodeone(h[0], f, k, p[1 + i] & 15);
        }
    } else {
        int fl = p[0] >> 4, fr = p[0] & 15, kl = p[1] >> 4, kr = p[1] & 15;
        for (int i = 0; i < BLOCK; ++i) {
            out[2 * i] = decodeone(h[0], fl, kl, p[2 + i] >> 4);
            out[2 * i + 1] = decodeone(h[1], fr, kr, p[2 + i] & 15);
        }
    }
}
int blockbytes(int ch) { return 15 * ch; }

template <typename T>
struct Decoder {
    int32_t ch;
    History<T> h[2];
    int32_t carried;
    T carry[BLOCK * 2];
    // Moves up to n carried frames to out; returns how many.
    int32_t takecarried(T*& out, int32_t n)
    {
        int32_t take = std::min(n, carried);
        std::memcpy(out, carry, sizeof(T) * static_cast<size_t>(take * ch));
        std::memmove(carry, carry + take * ch, sizeof(T) * static_cast<size_t>((carried - take) * ch));
        carried -= take;
        out += take * ch;
        return take;
    }
    // A decoded block's frames [from, to): what fits goes out, the rest is carried.
    int32_t deliver(const T* block, int32_t from, int32_t to, T*& out, int32_t n)
    {
        int32_t give = std::min(n, to - from);
        std::memcpy(out, block + from * ch, sizeof(T) * static_cast<size_t>(give * ch));
        out += give * ch;
        int32_t rest = to - from - give;
        std::memcpy(carry + carried * ch, block + (from + give) * ch, sizeof(T) * static_cast<size_t>(rest * ch));
        carried += rest;
        return give;
    }
};

template <typename T>
void zerofill(T* out, int32_t frames, int32_t ch)
{
    if (frames > 0) std::memset(out, 0, sizeof(T) * static_cast<size_t>(frames * ch));
}

// One-shot memory.
template <typename T>
struct OneShot : Decoder<T> {
    const uint8_t* data;
    int32_t length, position;
};
template <typename T>
int32_t oneshot_fetch(void* s, int32_t n, void* outp)
{
    auto* d = static_cast<OneShot<T>*>(s);
    auto* out = static_cast<T*>(outp);
    // Frames carried past the end are still owed.
    if (d->position >= d->length && !d->carried) return -1;
    n -= d->takecarried(out, n);
    if (n <= 0) return 1;
    int32_t avail = std::max(0, d->length - d->position);
    bool toend = n >= avail;
    int32_t m = std::min(n, avail), covered = 0;
    T block[BLOCK * 2];
    while (covered < m) {
        decodeblock(d->data + static_cast<size_t>(d->position / BLOCK) * blockbytes(d->ch), d->ch, d->h, block);
        d->position += BLOCK;
        // At the end the whole last block stays in the output.
        covered += d->deliver(block, 0, BLOCK, out, toend ? n - covered : m - covered);
    }
    if (toend) d->carried = 0;
    zerofill(out, n - covered, d->ch);
    return 1;
}
template <typename T>
int32_t oneshot_position(void* s)
{
    return static_cast<OneShot<T>*>(s)->position;
}

// Looped memory: on to the block holding the loop end, then back to the
// block holding the loop start with the history it had there.
template <typename T>
struct Looped : Decoder<T> {
    const uint8_t* data;
    int32_t loopstart, loopend, block;
    History<T> saved[2];
    uint8_t saveddone, looping;
};
template <typename T>
int32_t looped_fetch(void* s, int32_t n, void* outp)
{
    auto* d = static_cast<Looped<T>*>(s);
    auto* out = static_cast<T*>(outp);
    n -= d->takecarried(out, n);
    T buf[BLOCK * 2];
    int32_t first = d->loopstart / BLOCK, last = d->loopend / BLOCK;
    while (n > 0) {
        if (d->block == first && !d->saveddone) {
            std::memcpy(d->saved, d->h, sizeof d->saved);
            d->saveddone = 1;
        }
        decodeblock(d->data + static_cast<size_t>(d->block) * blockbytes(d->ch), d->ch, d->h, buf);
        int32_t from = d->looping && d->block == first ? d->loopstart % BLOCK : 0;
        int32_t to = d->block == last ? d->loopend % BLOCK + 1 : BLOCK;
        n -= d->deliver(buf, from, to, out, n);
        if (d->block == last) {
            d->block = first;
            std::memcpy(d->h, d->saved, sizeof d->h);
            d->looping = 1;
        } else {
            ++d->block;
        }
    }
    return 1;
}

// Packets (and callback-stream buffers): an 8-byte history header, then blocks.
template <typename T>
struct Packets : Decoder<T> {
    const uint8_t* data;
    int32_t frames, position, player, handed;
    uint8_t stream;
};
template <typename T>
bool nextbuffer(Packets<T>* d)
{
    int32_t frames;
    uint32_t bytes;
    const uint8_t* next = sndnextbuffer(d, d->stream, d->player, &frames, &bytes);
    if (!next) return false;
    int16_t v[4];
    std::memcpy(v, next, 8);
    d->h[0] = {static_cast<T>(v[0]), static_cast<T>(v[1])};
    if (d->ch == 2) d->h[1] = {static_cast<T>(v[2]), static_cast<T>(v[3])};
    d->data = next + 8;
    d->frames = frames;
    d->position = 0;
    return true;
}
template <typename T>
int32_t packets_fetch(void* s, int32_t n, void* outp)
{
    auto* d = static_cast<Packets<T>*>(s);
    auto* out = static_cast<T*>(outp);
    sndreportconsumed(d->stream, d->player, &d->handed);
    int32_t delivered = d->takecarried(out, n);
    n -= delivered;
    T buf[BLOCK * 2];
    while (n > 0) {
        if (d->position >= d->frames && !nextbuffer(d)) break;
        decodeblock(d->data + static_cast<size_t>(d->position / BLOCK) * blockbytes(d->ch), d->ch, d->h, buf);
        int32_t valid = std::min(BLOCK, d->frames - d->position);
        d->position += BLOCK;
        int32_t give = d->deliver(buf, 0, valid, out, n);
        n -= give;
        delivered += give;
    }
    // Frames count as handed out once decoded, carried ones included.
    d->handed = delivered;
    if (n > 0) {
        if (!delivered) return d->stream ? 1 : 0;
        zerofill(out, n, d->ch);
    }
    return delivered;
}

static_assert(sizeof(OneShot<float>) <= SND_SOURCE_STATE && sizeof(Looped<float>) <= SND_SOURCE_STATE &&
              sizeof(Packets<float>) <= SND_SOURCE_STATE);

template <typename T, int CH>
int32_t oneshot_init(int32_t, void* state, intptr_t a, intptr_t b, intptr_t, intptr_t, SndFetch* fetch,
                     SndPosition* position)
{
    auto* d = new (state) OneShot<T>{};
    d->ch = CH;
    d->data = reinterpret_cast<const uint8_t*>(a);
    d->length = static_cast<int32_t>(b);
    *fetch = oneshot_fetch<T>;
    *position = oneshot_position<T>;
    return sizeof(OneShot<T>);
}
template <typename T, int CH>
int32_t looped_init(int32_t, void* state, intptr_t a, intptr_t, intptr_t c, intptr_t dd, SndFetch* fetch,
                    SndPosition* position)
{
    auto* d = new (state) Looped<T>{};
    d->ch = CH;
    d->data = reinterpret_cast<const uint8_t*>(a);
    d->loopstart = static_cast<int32_t>(std::max<intptr_t>(0, c));
    d->loopend = static_cast<int32_t>(std::max<intptr_t>(d->loopstart, dd));
    *fetch = looped_fetch<T>;
    *position = nullptr;
    return sizeof(Looped<T>);
}
template <typename T, int CH, int STREAM>
int32_t packets_init(int32_t voice, void* state, intptr_t, intptr_t, intptr_t, intptr_t, SndFetch* fetch,
                     SndPosition* position)
{
    auto* d = new (state) Packets<T>{};
    d->ch = CH;
    d->stream = STREAM;
    d->player = STREAM ? -1 : sndpktplayerofvoice(voice);
    d->frames = 0;
    *fetch = packets_fetch<T>;
    *position = nullptr;
    return sizeof(Packets<T>);
}

template <typename T>
void install()
{
    sndcodectable[16] = oneshot_init<T, 1>;
    sndcodectable[17] = looped_init<T, 1>;
    sndcodectable[18] = packets_init<T, 1, 1>;
    sndcodectable[19] = packets_init<T, 1, 0>;
    sndcodectable[20] = oneshot_init<T, 2>;
    sndcodectable[21] = looped_init<T, 2>;
    sndcodectable[22] = packets_init<T, 2, 1>;
    sndcodectable[23] = packets_init<T, 2, 0>;
}

} // namespace

void sndcomp7init(bool mmx)
{
    if (mmx) install<int16_t>();
    else install<float>();
}

int32_t iSNDconvertsample(const void* source, int32_t representation, int32_t channels, int32_t first, int32_t last,
                          int32_t frames, void* destination, int32_t destrepresentation, int32_t destchannels)
{
    if (channels > 2 || channels < 1) {
        LIBFAIL(SITE, "iSNDconvertsample - CAN'T CONVERT XA WITH %i CHANNELS.\n", channels);
        return -1;
    }
    if (destchannels != 1) {
        LIBFAIL(SITE, "iSNDconvertsample - CAN'T HANDLE dstnumchan %i\n", destchannels);
        return -1;
    }
    if (frames < 0) frames = 0;
    std::vector<float> work(static_cast<size_t>(frames) * 2 + 64);
    auto* src = static_cast<const uint8_t*>(source);
    switch (representation) {
    case 0:
        for (int32_t i = 0; i < frames * channels; ++i) {
            int16_t v;
            std::memcpy(&v, src + 2 * i, 2);
            work[static_cast<size_t>(i)] = v;
        }
        break;
    case 2:
        for (int32_t i = 0; i < frames * channels; ++i) work[static_cast<size_t>(i)] = snd8bittable[src[i]];
        break;
    case 3: {
        History<float> h[2] = {};
        float block[BLOCK * 2];
        for (int32_t f = 0; f < frames; f += BLOCK) {
            decodeblock(src + static_cast<size_t>(f / BLOCK) * blockbytes(channels), channels, h, block);
            int32_t n = std::min(BLOCK, frames - f);
            std::memcpy(&work[static_cast<size_t>(f * channels)], block, sizeof(float) * static_cast<size_t>(n * channels));
        }
        break;
    }
    default: LIBFAIL(SITE, "iSNDconvertsample - CAN'T HANDLE srcsamplerep %i\n", representation); return -1;
    }
    if (destrepresentation != 0) {
        LIBFAIL(SITE, "iSNDconvertsample - CAN'T HANDLE dstsamplerep %i\n", destrepresentation);
        return -1;
    }
    int32_t from = 0, to = frames;
    if (last > 0) from = std::max(0, first), to = std::min(frames, last + 1);
    auto* out = static_cast<int16_t*>(destination);
    for (int32_t i = from; i < to; ++i) {
        float l = work[static_cast<size_t>(i * channels)], r = work[static_cast<size_t>(i * channels + channels - 1)];
        float v = std::nearbyint((l + r) * 0.5f);
        out[i - from] = static_cast<int16_t>(v > 32767.0f ? 32767 : v < -32768.0f ? -32768 : v);
    }
    return 0;
}
