// Level mixers, pan laws and the fixed-point sine and cosine behind them.
#include "mix/mixer.h"

#include "cmn/fixtables.h"
#include "cmn/numeric.h"

#include <algorithm>

namespace {

constexpr float INV127 = 1.0f / 127.0f;

// The seven stereo kernels and their mono twins: a side at level 0 is
// skipped and a side at 127 added unscaled.
template <int CH, bool L, bool LS, bool R, bool RS>
void mixkernel(SndLevels* s, int32_t n, const void* inp, void* mixp)
{
    const auto* in = static_cast<const float*>(inp);
    auto* mix = static_cast<float*>(mixp);
    for (int32_t i = 0; i < n; ++i) {
        float l = in[i * CH], r = in[i * CH + CH - 1];
        if constexpr (L) mix[2 * i] += LS ? l * s->left : l;
        if constexpr (R) mix[2 * i + 1] += RS ? r * s->right : r;
    }
}

template <int CH>
void setlevels(SndLevels* s, int32_t left, int32_t right)
{
    s->left = static_cast<float>(left) * INV127;
    s->right = static_cast<float>(right) * INV127;
    SndMix k;
    if (!left && !right) k = nullptr;
    else if (!left) k = mixkernel<CH, false, false, true, true>;
    else if (!right) k = mixkernel<CH, true, true, false, false>;
    else if (left == 127 && right == 127) k = mixkernel<CH, true, false, true, false>;
    else if (left == 127) k = mixkernel<CH, true, false, true, true>;
    else if (right == 127) k = mixkernel<CH, true, true, true, false>;
    else k = mixkernel<CH, true, true, true, true>;
    *s->mix = k;
}

// MMX: each sample (8-bit ones as s x 256) times the gain word, the high
// half of the product added into the half-scale mix word with saturation.
// One kernel whatever the levels: level 0 adds zeros.
template <typename S, int CH>
void mmxmix(SndLevels* s, int32_t n, const void* inp, void* mixp)
{
    const auto* in = static_cast<const S*>(inp);
    auto* mix = static_cast<int16_t*>(mixp);
    constexpr int32_t scale = sizeof(S) == 1 ? 256 : 1;
    auto add = [](int16_t& word, int32_t sample, int32_t gain) {
        word = static_cast<int16_t>(std::clamp(word + ((sample * scale * gain) >> 16), -32768, 32767));
    };
    for (int32_t i = 0; i < n; ++i) {
        add(mix[2 * i], in[i * CH], s->gainleft);
        add(mix[2 * i + 1], in[i * CH + CH - 1], s->gainright);
    }
}

void mmxsetlevels(SndLevels* s, int32_t left, int32_t right)
{
    s->gainleft = static_cast<int16_t>(left * 256);
    s->gainright = static_cast<int16_t>(right * 256);
}

template <typename S, int CH>
void mmxinit(SndLevels* s, SndMix* mix, SndSetLevels* set)
{
    s->channels = CH, s->mix = mix, s->set_levels = set;
    s->gainleft = s->gainright = 0;
    *set = mmxsetlevels;
    *mix = mmxmix<S, CH>;
}

} // namespace

void sndlevels8monoinit(SndLevels* s, SndMix* m, SndSetLevels* l) { mmxinit<int8_t, 1>(s, m, l); }
void sndlevels8stereoinit(SndLevels* s, SndMix* m, SndSetLevels* l) { mmxinit<int8_t, 2>(s, m, l); }
void sndlevels16monoinit(SndLevels* s, SndMix* m, SndSetLevels* l) { mmxinit<int16_t, 1>(s, m, l); }
void sndlevels16stereoinit(SndLevels* s, SndMix* m, SndSetLevels* l) { mmxinit<int16_t, 2>(s, m, l); }

void sndlevelsmonoinit(SndLevels* s, SndMix* mix, SndSetLevels* set)
{
    s->channels = 1, s->mix = mix, s->set_levels = set;
    *set = setlevels<1>;
    *mix = nullptr;
}

void sndlevelsstereoinit(SndLevels* s, SndMix* mix, SndSetLevels* set)
{
    s->channels = 2, s->mix = mix, s->set_levels = set;
    *set = setlevels<2>;
    *mix = nullptr;
}

void sndbalancepan(int32_t pan, int32_t v, int32_t* left, int32_t* right)
{
    *left = *right = v;
    if (pan > 64) *left = (v * (127 - pan)) >> 6;
    if (pan < 64) *right = (v * pan) >> 6;
}

void sndanglepan(uint32_t angle, int32_t v, int32_t* left, int32_t* right)
{
    int32_t s = fixsin(static_cast<int32_t>((angle & 0xFFFF) >> 6));
    uint32_t l = (static_cast<uint32_t>(v) * static_cast<uint32_t>(0x10000 - s)) >> 16;
    uint32_t r = (static_cast<uint32_t>(v) * static_cast<uint32_t>(0x10000 + s)) >> 16;
    *left = static_cast<int32_t>(std::min<uint32_t>(l, 127));
    *right = static_cast<int32_t>(std::min<uint32_t>(r, 127));
}

void sndanglepan3d(uint32_t angle, int32_t v, int8_t* xp, int8_t* yp, int32_t* left, int32_t* right)
{
    sndanglepan(angle, v, left, right);
    int32_t x = *xp, y = *yp;
    int q;
    if (x < 0 && y < 0) q = x < y ? 1 : 2;
    else if (x >= 0 && y >= 0) q = x < y ? 2 : 1;
    else q = std::abs(x) > std::abs(y) ? 4 : 3;
    int flip = 0;
    angle &= 0xFFFF;
    if (angle >= 0x4000 && angle <= 0xBFFF) {
        int r = *left < *right ? 3 : 4;
        if (q <= 2) flip = 2;
        if (r == 3 && q == 2) flip = 1;
    } else {
        int r = *left < *right ? 2 : 1;
        if (q >= 3) flip = 2;
        if (r == 2 && q == 3) flip = 1;
    }
    if (x < 0) *left = -*left;
    if (y < 0) *right = -*right;
    if (flip == 1) *left = -*left;
    if (flip == 2) *right = -*right;
}

int32_t sndtablesin(int32_t a)
{
    int i = a & 255;
    switch ((a >> 8) & 3) {
    case 0: return fixsintable[i];
    case 1: return fixsintable[256 - i];
    case 2: return -fixsintable[i];
    default: return -fixsintable[256 - i];
    }
}

int32_t sndtablecos(int32_t a)
{
    int i = a & 255;
    switch ((a >> 8) & 3) {
    case 0: return fixsintable[256 - i];
    case 1: return -fixsintable[i];
    case 2: return -fixsintable[256 - i];
    default: return fixsintable[i];
    }
}

int32_t sndfinesin(uint32_t angle)
{
    angle &= 0xFFFF;
    int32_t ts = sndtablesin(static_cast<int32_t>(angle >> 6)), tc = sndtablecos(static_cast<int32_t>(angle >> 6));
    int64_t d = (int64_t{angle & 63} * 411774) >> 9;
    return ts + static_cast<int32_t>((int64_t{tc >> 2} * d) >> 21);
}

int32_t sndfinecos(uint32_t angle)
{
    angle &= 0xFFFF;
    int32_t ts = sndtablesin(static_cast<int32_t>(angle >> 6)), tc = sndtablecos(static_cast<int32_t>(angle >> 6));
    int64_t d = (int64_t{angle & 63} * 411774) >> 9;
    return tc - static_cast<int32_t>((int64_t{ts >> 2} * d) >> 21);
}

int32_t sndgetbigendian(const uint8_t* p, int32_t n)
{
    uint32_t v = 0;
    for (int32_t i = 0; i < n; ++i) v = v << 8 | p[i];
    if (n >= 1 && n <= 3) {
        int shift = 32 - 8 * n;
        return static_cast<int32_t>(v << shift) >> shift;
    }
    return static_cast<int32_t>(v);
}
