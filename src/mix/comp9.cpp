// Compression 9: frames of 432 samples rebuilt from an excitation (a
// delayed copy of past excitation plus a coded pulse vector) through a
// 12th-order all-pole filter, for the one-shot, callback-stream and packet
// kinds of 16-bit mono sound. Both sets decode in floating point; the MMX
// set's sources hand out 16-bit samples.
#include "mix/mixer.h"
#include "mix/pktplay.h"

#include "cmn/lib.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr int FRAME = 432, SUB = 108, HISTORY = 324, ORDER = 12;

// Entries 1-32; entry 0 is 0 and entry 32 + j is minus entry 32 - j.
constexpr float HALF[33] = {0.0f,      -0.996776f, -0.990327f, -0.983879f, -0.977431f, -0.970982f, -0.964534f,
                            -0.958085f, -0.951637f, -0.930754f, -0.90496f,  -0.879167f, -0.853373f, -0.827579f,
                            -0.801786f, -0.775992f, -0.750198f, -0.724405f, -0.698611f, -0.670635f, -0.619048f,
                            -0.56746f,  -0.515873f, -0.464286f, -0.412698f, -0.361111f, -0.309524f, -0.257937f,
                            -0.206349f, -0.154762f, -0.103175f, -0.051587f, 0.0f};
float coefficient(int i) { return i <= 32 ? HALF[i] : -HALF[64 - i]; }

// Bits least significant first; bytes past the end read as 0.
struct BitReader {
    const uint8_t* p;
    const uint8_t* end;
    uint32_t buffer, count;
    void start(const uint8_t* at, const uint8_t* stop)
    {
        p = at, end = stop, buffer = 0, count = 0;
        refill();
    }
    void refill()
    {
        while (count < 8) {
            uint32_t b = p < end ? *p : 0;
            if (p < end) ++p;
            buffer |= b << count;
            count += 8;
        }
    }
    uint32_t get(int n)
    {
        uint32_t v = buffer & ((1u << n) - 1);
        buffer >>= n;
        count -= static_cast<uint32_t>(n);
        refill();
        return v;
    }
};

struct Decoder {
    BitReader bits;
    uint8_t layout, threshold;
    float gains[64];
    float coef[ORDER];
    float memory[ORDER]; // the previous outputs, newest first
    // The history, then the current frame: excitation until synthesis
    // turns it into output in place.
    float excitation[HISTORY + FRAME];
    int32_t left; // frames of the current frame not yet handed out
    uint8_t mmx;  // hand out 16-bit samples

    void header()
    {
        layout = static_cast<uint8_t>(bits.get(1));
        threshold = static_cast<uint8_t>(bits.get(4));
        gains[0] = static_cast<float>(bits.get(4) + 1) * 8.0f;
        float ratio = static_cast<float>(bits.get(6)) * 0.001f + 1.04f;
        for (int i = 1; i < 64; ++i) gains[i] = gains[i - 1] * ratio;
        std::memset(coef, 0, sizeof coef);
        std::memset(memory, 0, sizeof memory);
        std::memset(excitation, 0, sizeof excitation);
        left = 0;
    }

    // A pulse value in the table-coded mode; state is 0 or 1.
    int32_t tablevalue(int& state, bool& run)
    {
        run = false;
        int ones = 0;
        while (ones < 7 && bits.get(1)) ++ones;
        int32_t v;
        if (state == 0) {
            if (ones == 0) v = bits.get(1) ? -1 : 0;
            else if (ones == 1) v = 1;
            else if (ones < 7) v = bits.get(1) ? ones : -ones;
            else if (bits.get(1)) v = 0, run = true;
            else v = escape(), state = 1;
        } else {
            if (ones == 0) v = bits.get(1) ? (bits.get(1) ? 1 : -1) : 0;
            else if (ones <= 5) v = bits.get(1) ? ones + 1 : -(ones + 1);
            else if (ones == 6) v = escape(), state = 1;
            else v = 0, run = true;
        }
        if (run || v == 0 || v == 1 || v == -1) state = 0;
        else state = 1;
        return v;
    }
    int32_t escape()
    {
        int32_t magnitude = 7;
        // A unary count; far past the data only zeros come, which end it.
        while (bits.get(1) && magnitude < 4096) ++magnitude;
        return bits.get(1) ? magnitude : -magnitude;
    }

    void decodeframe()
    {
        if (mmx) clearmmx();
        int idx[ORDER];
        for (int i = 0; i < 4; ++i) idx[i] = static_cast<int>(bits.get(6));
        for (int i = 4; i < ORDER; ++i) idx[i] = 16 + static_cast<int>(bits.get(5));
        float step[ORDER];
        for (int i = 0; i < ORDER; ++i) step[i] = (coefficient(idx[i]) - coef[i]) * 0.25f;
        bool table = idx[0] < 32 - threshold;
        for (int s = 0; s < 4; ++s) {
            int lag = static_cast<int>(bits.get(8));
            float copy = static_cast<float>(bits.get(4)) * (1.0f / 15.0f);
            float gain = gains[bits.get(6)];
            int phase = 0, fill = 1, stride = 1;
            if (layout) {
                phase = static_cast<int>(bits.get(1));
                fill = static_cast<int>(bits.get(1));
                stride = 2;
            }
            float pulse[SUB + 10] = {};
            float* v = pulse + 5; // five zeros either side
            int state = 0;
            for (int p = phase; p < SUB; p += stride) {
                if (table) {
                    bool run;
                    int32_t value = tablevalue(state, run);
                    if (run) {
                        int zeros = static_cast<int>(bits.get(6)) + 7;
                        for (int z = 0; z < zeros && p < SUB; ++z, p += stride) v[p] = 0;
                        p -= stride;
                        continue;
                    }
                    v[p] = static_cast<float>(value);
                } else {
                    v[p] = bits.get(1) ? (bits.get(1) ? 2.0f : -2.0f) : 0.0f;
                }
            }
            if (layout && fill == 0) {
                for (int p = 1 - phase; p < SUB; p += 2)
                    v[p] = (v[p - 1] + v[p + 1]) * 0.59738597f + (v[p - 3] + v[p + 3]) * -0.11459156f +
                           (v[p - 5] + v[p + 5]) * 0.01803268f;
                gain *= 0.5f;
            }
            int cur = HISTORY + SUB * s;
            for (int i = 0; i < SUB; ++i) {
                int from = cur - SUB - lag + i;
                float past = from >= 0 ? excitation[from] : 0.0f; // lags past the history read silence
                excitation[cur + i] = copy * past + gain * v[i];
            }
        }
        std::memcpy(excitation, excitation + FRAME, sizeof(float) * HISTORY);
        float* frame = excitation + HISTORY;
        float a[ORDER] = {};
        for (int g = 0; g < FRAME / ORDER; ++g) {
            if (g < 4) {
                for (int i = 0; i < ORDER; ++i) coef[i] += step[i];
                directform(a);
            }
            for (int n = 0; n < ORDER; ++n) {
                float y = frame[g * ORDER + n];
                for (int i = 0; i < ORDER; ++i) y += a[i] * memory[i];
                std::memmove(memory + 1, memory, sizeof(float) * (ORDER - 1));
                memory[0] = y;
                frame[g * ORDER + n] = y;
            }
        }
        left = FRAME;
    }

    // The lattice's impulse response turned into direct-form coefficients.
    void directform(float* a)
    {
        const float* k = coef;
        float b[ORDER], h[ORDER];
        b[0] = 1.0f;
        for (int i = 0; i < ORDER - 1; ++i) b[i + 1] = k[i];
        for (int m = 0; m < ORDER; ++m) {
            float f = -k[ORDER - 1] * b[ORDER - 1];
            for (int i = ORDER - 2; i >= 0; --i) {
                f = f - k[i] * b[i];
                b[i + 1] = k[i] * f + b[i];
            }
            b[0] = f;
            h[m] = f;
        }
        for (int m = 0; m < ORDER; ++m) {
            float sum = h[m];
            for (int j = 0; j < m; ++j) sum -= a[j] * h[m - j - 1];
            a[m] = sum;
        }
    }

    // Up to n frames of the current frame into out. The MMX set's samples
    // are rounded to nearest and held to 16 bits (NaN gives 0).
    int32_t take(uint8_t*& out, int32_t n)
    {
        int32_t give = std::min(n, left);
        const float* from = excitation + HISTORY + (FRAME - left);
        if (mmx) {
            for (int32_t i = 0; i < give; ++i) {
                float r = std::nearbyint(from[i]);
                int16_t v = !(r == r) ? 0 : r >= 32767.0f ? 32767 : r <= -32768.0f ? -32768 : static_cast<int16_t>(r);
                std::memcpy(out + 2 * i, &v, 2);
            }
        } else {
            std::memcpy(out, from, sizeof(float) * static_cast<size_t>(give));
        }
        out += static_cast<size_t>(give) * framebytes();
        left -= give;
        return give;
    }
    size_t framebytes() const { return mmx ? sizeof(int16_t) : sizeof(float); }
    void zero(uint8_t* out, int32_t frames) const
    {
        if (frames > 0) std::memset(out, 0, framebytes() * static_cast<size_t>(frames));
    }
};

struct OneShot : Decoder {
    int32_t position, length;
};
static_assert(sizeof(OneShot) <= SND_SOURCE_STATE);

int32_t oneshot_fetch(void* s, int32_t n, void* outp)
{
    auto* d = static_cast<OneShot*>(s);
    auto* out = static_cast<uint8_t*>(outp);
    if (d->position >= d->length) return -1;
    int32_t real = std::min(n, d->length - d->position);
    d->position += n;
    int32_t done = 0;
    while (done < real) {
        if (!d->left) d->decodeframe();
        done += d->take(out, real - done);
    }
    d->zero(out, n - real);
    return 1;
}
int32_t oneshot_position(void* s) { return static_cast<OneShot*>(s)->position; }

// Packets and callback-stream buffers: a first byte of 0 continues the bit
// stream, any other starts a new header after it.
struct Packets : Decoder {
    int32_t frames, position, player, handed;
    uint8_t stream;
};
static_assert(sizeof(Packets) <= SND_SOURCE_STATE);

bool nextbuffer(Packets* d)
{
    int32_t frames;
    uint32_t bytes;
    const uint8_t* data = sndnextbuffer(d, d->stream, d->player, &frames, &bytes);
    if (!data || bytes < 1) return false;
    d->bits.start(data + 1, data + bytes);
    if (data[0]) d->header();
    d->frames = frames;
    d->position = 0;
    return true;
}
int32_t packets_fetch(void* s, int32_t n, void* outp)
{
    auto* d = static_cast<Packets*>(s);
    auto* out = static_cast<uint8_t*>(outp);
    sndreportconsumed(d->stream, d->player, &d->handed);
    int32_t delivered = 0;
    while (delivered < n) {
        if (!d->left) {
            // The frame and the buffer ran out together: the next buffer first.
            if (d->position >= d->frames && !nextbuffer(d)) break;
            d->decodeframe();
        }
        int32_t want = std::min(n - delivered, d->frames - d->position);
        if (want <= 0) {
            d->left = 0;
            continue;
        }
        int32_t got = d->take(out, want);
        d->position += got;
        delivered += got;
    }
    d->handed = delivered;
    if (delivered < n) {
        if (!delivered) return d->stream ? 1 : 0;
        d->zero(out, n - delivered);
    }
    return delivered;
}

template <int MMX>
int32_t oneshot_init(int32_t, void* state, intptr_t a, intptr_t b, intptr_t, intptr_t, SndFetch* fetch,
                     SndPosition* position)
{
    auto* d = new (state) OneShot{};
    d->mmx = MMX;
    auto* data = reinterpret_cast<const uint8_t*>(a);
    d->length = static_cast<int32_t>(b);
    // Memory data: whatever its frames need, at most a byte a frame.
    d->bits.start(data, data + std::max<intptr_t>(b, 0));
    d->header();
    *fetch = oneshot_fetch;
    *position = oneshot_position;
    return sizeof(OneShot);
}
template <int MMX, int STREAM>
int32_t packets_init(int32_t voice, void* state, intptr_t, intptr_t, intptr_t, intptr_t, SndFetch* fetch,
                     SndPosition* position)
{
    auto* d = new (state) Packets{};
    d->mmx = MMX;
    d->stream = STREAM;
    d->player = STREAM ? -1 : sndpktplayerofvoice(voice);
    *fetch = packets_fetch;
    *position = nullptr;
    return sizeof(Packets);
}


template <int MMX>
void install()
{
    sndcodectable[24] = oneshot_init<MMX>;
    sndcodectable[25] = nullptr; // no looped compression 9
    sndcodectable[26] = packets_init<MMX, 1>;
    sndcodectable[27] = packets_init<MMX, 0>;
}

} // namespace

void sndcomp9init(bool mmx)
{
    if (mmx) install<1>();
    else install<0>();
}
