// Resamplers: n output frames from the decoded input at a 16.16 step,
// carrying the position and a frame or two from block to block.
#include "mix/mixer.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

// Slightly under 1/65536, so that the weight never reaches 1.0.
constexpr float WEIGHT = 1.5258e-5f;

int32_t unity_needed(SndResampler*, int32_t n) { return n; }
void unity_resample(SndResampler*, int32_t, void* in, void** out) { *out = in; }

// The sample arithmetic of each linear member. `inner` is the blend the
// running loop makes, `last` the one of the block's last frame.
struct PlainSamples {
    using T = float;
    static T inner(T s0, T s1, uint32_t frac)
    {
        float t = static_cast<float>(frac) * WEIGHT;
        return s0 * (1.0f - t) + s1 * t;
    }
    static T last(T s0, T s1, uint32_t frac) { return inner(s0, s1, frac); }
};

// MMX: 15-bit weights in the loop, a truncating multiply-add; the last frame
// in plain integers. 8-bit data count as s x 256, so the same shifts serve.
// The stereo members saturate; the mono ones keep the low bits (the blend
// cannot leave the range there anyway).
template <typename S, bool SATURATE>
struct MmxSamples {
    using T = S;
    static T narrow(int32_t v)
    {
        if constexpr (SATURATE) {
            constexpr int32_t hi = sizeof(S) == 2 ? 32767 : 127;
            v = std::clamp(v, -hi - 1, hi);
        }
        return static_cast<T>(static_cast<std::make_unsigned_t<S>>(static_cast<uint32_t>(v)));
    }
    static T inner(T s0, T s1, uint32_t frac)
    {
        int32_t w0 = static_cast<int32_t>((0xFFFF - frac) >> 1), w1 = static_cast<int32_t>(frac >> 1);
        return narrow((s0 * w0 + s1 * w1) >> 15);
    }
    static T last(T s0, T s1, uint32_t frac)
    {
        int32_t f = static_cast<int32_t>(frac);
        if constexpr (sizeof(S) == 2) return narrow(((s0 * (65535 - f)) >> 16) + ((s1 * f) >> 16));
        int32_t a = s0 * 256, b = s1 * 256;
        return narrow((((a * (65535 - f)) >> 16) + ((b * f) >> 16)) >> 8);
    }
};

template <typename P, int CH>
struct Linear {
    using T = typename P::T;
    static constexpr size_t FRAME = sizeof(T) * CH;

    static void blend(SndResampler* r, const T* base, T* out, bool last)
    {
        for (int c = 0; c < CH; ++c) {
            T s0 = base[r->index * CH + c], s1 = base[(r->index + 1) * CH + c];
            out[c] = last ? P::last(s0, s1, r->frac) : P::inner(s0, s1, r->frac);
        }
    }
    static void advance(SndResampler* r)
    {
        r->frac += r->step & 0xFFFF;
        r->index += (r->step >> 16) + (r->frac >> 16);
        r->frac &= 0xFFFF;
    }
    // n frames from base; the frame after the last one used becomes the
    // history, and the position moves past the last.
    static void interpolate(SndResampler* r, const T* base, T* out, int32_t n)
    {
        for (int32_t i = 0; i < n - 1; ++i) {
            blend(r, base, out + i * CH, false);
            advance(r);
        }
        blend(r, base, out + (n - 1) * CH, true);
        std::memcpy(r->history, base + (r->index + 1) * CH, FRAME);
        r->frac += r->step;
        r->index += r->frac >> 16;
        r->frac &= 0xFFFF;
    }

    // Above 1.0: fewer output frames than input.
    static int32_t up_needed(SndResampler* r, int32_t n)
    {
        uint32_t first = ((r->frac + r->step * static_cast<uint32_t>(n - 1)) >> 16) + 1;
        int32_t result = static_cast<int32_t>(first) + r->carry + (r->primed ? 0 : 1);
        r->carry = static_cast<int8_t>(((r->frac + r->step * static_cast<uint32_t>(n)) >> 16) - first);
        return result;
    }
    static void up_resample(SndResampler* r, int32_t n, void* in, void** outp)
    {
        T* base = static_cast<T*>(in);
        if (r->primed) {
            base -= CH;
            std::memcpy(base, r->history, FRAME);
        }
        interpolate(r, base, static_cast<T*>(*outp), n);
        r->index = static_cast<uint32_t>(static_cast<int32_t>(r->carry));
        r->primed = 1;
    }

    // Below 1.0: more output frames than input.
    static int32_t down_needed(SndResampler* r, int32_t n)
    {
        uint32_t first = ((r->frac + r->step * static_cast<uint32_t>(n - 1)) >> 16) + 1;
        return static_cast<int32_t>(first) + (r->primed ? 0 : 1) - r->extraflag;
    }
    static void down_resample(SndResampler* r, int32_t n, void* in, void** outp)
    {
        T* base = static_cast<T*>(in);
        if (r->primed) {
            base -= CH;
            std::memcpy(base, r->history, FRAME);
            if (r->extraflag) {
                base -= CH;
                std::memcpy(base, r->extra, FRAME);
            }
        }
        r->index = 0;
        interpolate(r, base, static_cast<T*>(*outp), n);
        if (r->frac < r->step) {
            r->extraflag = 0;
        } else {
            r->extraflag = 1;
            std::memcpy(r->extra, base + r->index * CH, FRAME);
        }
        r->primed = 1;
    }

    static int stepclass(uint32_t step) { return step < 0x10000 ? 0 : step == 0x10000 ? 1 : 2; }
    static void install(SndResampler* r, uint32_t step)
    {
        switch (stepclass(step)) {
        case 0: *r->input_needed = down_needed, *r->resample = down_resample; break;
        case 1: *r->input_needed = unity_needed, *r->resample = unity_resample; break;
        default: *r->input_needed = up_needed, *r->resample = up_resample; break;
        }
    }
    static int32_t set_step(SndResampler* r, uint32_t step)
    {
        if (stepclass(step) != stepclass(r->step)) {
            r->extraflag = r->primed = 0;
            r->carry = 0;
            r->frac = r->index = 0;
        }
        r->step = step;
        install(r, step);
        return 0;
    }
    static int32_t init(SndResampler* r, SndSetStep* set, SndInputNeeded* need, SndResample* res)
    {
        r->index = r->frac = 0;
        r->extraflag = r->primed = 0;
        // The mono members start one frame ahead.
        r->carry = CH == 1 ? 1 : 0;
        r->channels = static_cast<uint8_t>(CH);
        r->set_step = set, r->input_needed = need, r->resample = res;
        *set = set_step;
        // Until a step arrives: the class of the step field as it stands.
        install(r, r->step);
        return 0;
    }
};

// Nearest frame (plain set only).
template <int CH>
struct Nearest {
    static constexpr size_t FRAME = sizeof(float) * CH;

    static int32_t set_step(SndResampler* r, uint32_t step)
    {
        r->step = step;
        return 0;
    }
    static int32_t needed(SndResampler* r, int32_t n)
    {
        uint32_t un = static_cast<uint32_t>(n);
        if (r->step < 0x10000) return static_cast<int32_t>(((r->step * (un - 1) + r->frac) >> 16) + 1) - r->extraflag;
        if (r->step == 0x10000) return n;
        return static_cast<int32_t>((r->step * un + r->frac) >> 16) - r->extraflag;
    }
    static void resample(SndResampler* r, int32_t n, void* inp, void** outp)
    {
        if (r->step == 0x10000) {
            *outp = inp;
            return;
        }
        const auto* in = static_cast<const float*>(inp);
        auto* out = static_cast<float*>(*outp);
        uint64_t pos = r->frac; // 16.16 from the first frame (the saved one when there is one)
        int32_t written = 0;
        if (r->extraflag) {
            while ((pos >> 16) == 0 && written < n) {
                std::memcpy(out + written * CH, r->extra, FRAME);
                ++written;
                pos += r->step;
            }
        }
        uint64_t first = r->extraflag ? 1 : 0;
        for (; written < n; ++written) {
            std::memcpy(out + written * CH, in + ((pos >> 16) - first) * CH, FRAME);
            pos += r->step;
        }
        r->frac = static_cast<uint32_t>(pos & 0xFFFF);
        if (r->frac >= r->step) {
            r->extraflag = 1;
            std::memcpy(r->extra, out + (n - 1) * CH, FRAME);
        } else {
            r->extraflag = 0;
        }
    }
    static int32_t init(SndResampler* r, SndSetStep* set, SndInputNeeded* need, SndResample* res)
    {
        r->frac = 0;
        r->extraflag = 0;
        r->channels = static_cast<uint8_t>(CH);
        r->set_step = set, r->input_needed = need, r->resample = res;
        *set = set_step, *need = needed, *res = resample;
        return 0;
    }
};

} // namespace

int32_t sndnearestmonoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return Nearest<1>::init(r, s, n, x);
}
int32_t sndneareststereoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return Nearest<2>::init(r, s, n, x);
}
int32_t sndlinearmonoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return Linear<PlainSamples, 1>::init(r, s, n, x);
}
int32_t sndlinearstereoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return Linear<PlainSamples, 2>::init(r, s, n, x);
}
int32_t sndlinear8monoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return Linear<MmxSamples<int8_t, false>, 1>::init(r, s, n, x);
}
int32_t sndlinear8stereoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return Linear<MmxSamples<int8_t, true>, 2>::init(r, s, n, x);
}
int32_t sndlinear16monoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return Linear<MmxSamples<int16_t, false>, 1>::init(r, s, n, x);
}
int32_t sndlinear16stereoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return Linear<MmxSamples<int16_t, true>, 2>::init(r, s, n, x);
}
