// Resamplers: n output frames from the decoded input at a 16.16 step,
// carrying the position and a frame or two from block to block.
#include "mix/mixer.h"

#include <cstring>

namespace {

// Slightly under 1/65536, so that the weight never reaches 1.0.
constexpr float WEIGHT = 1.5258e-5f;

int32_t unity_needed(SndResampler*, int32_t n) { return n; }
void unity_resample(SndResampler*, int32_t, float* in, float** out) { *out = in; }

void copyframe(float* to, const float* from, int ch) { std::memcpy(to, from, sizeof(float) * ch); }

// One interpolated frame at the resampler's position; then the position
// moves by the step.
inline void lerpframe(SndResampler* r, const float* base, float* out)
{
    int ch = r->channels;
    float t = static_cast<float>(r->frac) * WEIGHT;
    for (int c = 0; c < ch; ++c)
        out[c] = base[r->index * ch + c] * (1.0f - t) + base[(r->index + 1) * ch + c] * t;
}
inline void advance(SndResampler* r)
{
    r->frac += r->step & 0xFFFF;
    r->index += (r->step >> 16) + (r->frac >> 16);
    r->frac &= 0xFFFF;
}

// n frames from base; the frame after the last one used becomes the
// history, and the position moves past the last.
void interpolate(SndResampler* r, const float* base, float* out, int32_t n)
{
    int ch = r->channels;
    for (int32_t i = 0; i < n - 1; ++i) {
        lerpframe(r, base, out + i * ch);
        advance(r);
    }
    lerpframe(r, base, out + (n - 1) * ch);
    copyframe(r->history, base + (r->index + 1) * ch, ch);
    r->frac += r->step;
    r->index += r->frac >> 16;
    r->frac &= 0xFFFF;
}

// The linear members: above 1.0 fewer output frames than input.
int32_t up_needed(SndResampler* r, int32_t n)
{
    uint32_t first = ((r->frac + r->step * static_cast<uint32_t>(n - 1)) >> 16) + 1;
    int32_t result = static_cast<int32_t>(first) + r->carry + (r->primed ? 0 : 1);
    r->carry = static_cast<int8_t>(((r->frac + r->step * static_cast<uint32_t>(n)) >> 16) - first);
    return result;
}
void up_resample(SndResampler* r, int32_t n, float* in, float** outp)
{
    int ch = r->channels;
    float* base = in;
    if (r->primed) {
        base -= ch;
        copyframe(base, r->history, ch);
    }
    interpolate(r, base, *outp, n);
    r->index = static_cast<uint32_t>(static_cast<int32_t>(r->carry));
    r->primed = 1;
}

// Below 1.0: more output frames than input.
int32_t down_needed(SndResampler* r, int32_t n)
{
    uint32_t first = ((r->frac + r->step * static_cast<uint32_t>(n - 1)) >> 16) + 1;
    return static_cast<int32_t>(first) + (r->primed ? 0 : 1) - r->extraflag;
}
void down_resample(SndResampler* r, int32_t n, float* in, float** outp)
{
    int ch = r->channels;
    float* base = in;
    if (r->primed) {
        base -= ch;
        copyframe(base, r->history, ch);
        if (r->extraflag) {
            base -= ch;
            copyframe(base, r->extra, ch);
        }
    }
    r->index = 0;
    interpolate(r, base, *outp, n);
    if (r->frac < r->step) {
        r->extraflag = 0;
    } else {
        r->extraflag = 1;
        copyframe(r->extra, base + r->index * ch, ch);
    }
    r->primed = 1;
}

int stepclass(uint32_t step) { return step < 0x10000 ? 0 : step == 0x10000 ? 1 : 2; }

int32_t linear_set_step(SndResampler* r, uint32_t step)
{
    if (stepclass(step) != stepclass(r->step)) {
        r->extraflag = r->primed = 0;
        r->carry = 0;
        r->frac = r->index = 0;
    }
    r->step = step;
    switch (stepclass(step)) {
    case 0: *r->input_needed = down_needed, *r->resample = down_resample; break;
    case 1: *r->input_needed = unity_needed, *r->resample = unity_resample; break;
    default: *r->input_needed = up_needed, *r->resample = up_resample; break;
    }
    return 0;
}

int32_t linearinit(SndResampler* r, int ch, SndSetStep* set, SndInputNeeded* need, SndResample* res)
{
    r->index = r->frac = 0;
    r->extraflag = r->primed = 0;
    // The mono members start one frame ahead.
    r->carry = ch == 1 ? 1 : 0;
    r->channels = static_cast<uint8_t>(ch);
    r->set_step = set, r->input_needed = need, r->resample = res;
    *set = linear_set_step;
    // Until a step arrives: the class of the step field as it stands.
    switch (stepclass(r->step)) {
    case 0: *need = down_needed, *res = down_resample; break;
    case 1: *need = unity_needed, *res = unity_resample; break;
    default: *need = up_needed, *res = up_resample; break;
    }
    return 0;
}

// Nearest frame.
int32_t nearest_set_step(SndResampler* r, uint32_t step)
{
    r->step = step;
    return 0;
}
int32_t nearest_needed(SndResampler* r, int32_t n)
{
    uint32_t un = static_cast<uint32_t>(n);
    switch (stepclass(r->step)) {
    case 0: return static_cast<int32_t>(((r->step * (un - 1) + r->frac) >> 16) + 1) - r->extraflag;
    case 1: return n;
    default: return static_cast<int32_t>((r->step * un + r->frac) >> 16) - r->extraflag;
    }
}
void nearest_resample(SndResampler* r, int32_t n, float* in, float** outp)
{
    if (r->step == 0x10000) {
        *outp = in;
        return;
    }
    int ch = r->channels;
    float* out = *outp;
    uint64_t pos = r->frac; // 16.16 from the first frame (the saved one when there is one)
    int32_t written = 0;
    if (r->extraflag) {
        while ((pos >> 16) == 0 && written < n) {
            copyframe(out + written * ch, r->extra, ch);
            ++written;
            pos += r->step;
        }
    }
    uint64_t first = r->extraflag ? 1 : 0;
    for (; written < n; ++written) {
        copyframe(out + written * ch, in + ((pos >> 16) - first) * ch, ch);
        pos += r->step;
    }
    r->frac = static_cast<uint32_t>(pos & 0xFFFF);
    if (r->frac >= r->step) {
        r->extraflag = 1;
        copyframe(r->extra, out + (n - 1) * ch, ch);
    } else {
        r->extraflag = 0;
    }
}

int32_t nearestinit(SndResampler* r, int ch, SndSetStep* set, SndInputNeeded* need, SndResample* res)
{
    r->frac = 0;
    r->extraflag = 0;
    r->channels = static_cast<uint8_t>(ch);
    r->set_step = set, r->input_needed = need, r->resample = res;
    *set = nearest_set_step, *need = nearest_needed, *res = nearest_resample;
    return 0;
}

} // namespace

int32_t sndnearestmonoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return nearestinit(r, 1, s, n, x);
}
int32_t sndneareststereoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return nearestinit(r, 2, s, n, x);
}
int32_t sndlinearmonoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return linearinit(r, 1, s, n, x);
}
int32_t sndlinearstereoinit(SndResampler* r, SndSetStep* s, SndInputNeeded* n, SndResample* x)
{
    return linearinit(r, 2, s, n, x);
}
