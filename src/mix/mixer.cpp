// Mixer control: voices started, ramped, mixed block by block and stopped;
// the mix buffer and the output converters.
#include "mix/mixer.h"

#include "cmn/cpu.h"
#include "cmn/lib.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr const char* SITE = "snd\\mixer";

// One kernel set: what the mixer installs in a voice by its source format
// (1, 2, 4, 8 at index 0..3), and the output stage.
struct KernelSet {
    SndLevelsInit levels[4];
    SndResamplerInit low[4];  // quality 25 or less
    SndResamplerInit high[4]; // above 25
    void (*convert)(int32_t format, int32_t n, void* mix, void* out);
    void (*clear)(void* mix, int32_t words);
    void (*endvoice)();
    int32_t frameshift; // frame k of the mix buffer starts at 32-bit word k << frameshift
    bool mmx;
};

void plainconvert(int32_t format, int32_t n, void* mix, void* out) { sndconvert(format, n, static_cast<float*>(mix), out); }
void mmxconvert(int32_t format, int32_t n, void* mix, void* out)
{
    sndconvertmmx(format, n, static_cast<const int16_t*>(mix), out);
}
void plainclear(void* mix, int32_t words) { std::memset(mix, 0, 4 * static_cast<size_t>(words)); }
void mmxclear(void* mix, int32_t words)
{
    std::memset(mix, 0, 4 * static_cast<size_t>(words));
    clearmmx();
}
void plainendvoice() {}

const KernelSet PLAIN = {
    {sndlevelsmonoinit, sndlevelsstereoinit, sndlevelsmonoinit, sndlevelsstereoinit},
    {sndnearestmonoinit, sndneareststereoinit, sndnearestmonoinit, sndneareststereoinit},
    {sndlinearmonoinit, sndlinearstereoinit, sndlinearmonoinit, sndlinearstereoinit},
    plainconvert,
    plainclear,
    plainendvoice,
    1,
    false,
};
const KernelSet MMX = {
    {sndlevels8monoinit, sndlevels8stereoinit, sndlevels16monoinit, sndlevels16stereoinit},
    {sndlinear8monoinit, sndlinear8stereoinit, sndlinear16monoinit, sndlinear16stereoinit},
    {sndlinear8monoinit, sndlinear8stereoinit, sndlinear16monoinit, sndlinear16stereoinit},
    mmxconvert,
    mmxclear,
    clearmmx,
    0,
    true,
};

struct MixerState {
    int32_t format = 8;
    int32_t blockbytes = 1024;
    void (*freechannel)(int32_t) = nullptr;
    const KernelSet* kernels = &PLAIN;
};
MixerState mixer;

// The working buffers, each holding the set's own representation: the mix
// buffer (plain: L, R floats a frame; MMX: L, R half-scale words), the
// decoded samples (with room in front for the frames the resamplers put
// back) and the resampled ones.
alignas(16) uint8_t mixbuffer[2056];
alignas(16) uint8_t decodedarea[16744];
uint8_t* const decoded = decodedarea + 16;
alignas(16) uint8_t resampled[2064];

// Frame k of the mix buffer.
uint8_t* mixframe(int32_t k) { return mixbuffer + (static_cast<size_t>(k) << mixer.kernels->frameshift) * 4; }

// Rounds to nearest and holds to the range; NaN gives 0.
inline int32_t saturate(float v, int32_t lo, int32_t hi)
{
    if (!(v == v)) return 0;
    float r = std::nearbyint(v);
    if (r <= static_cast<float>(lo)) return lo;
    if (r >= static_cast<float>(hi)) return hi;
    return static_cast<int32_t>(r);
}

void stopnow(int32_t voice)
{
    sndmixvoices[voice].state = 0;
    if (mixer.freechannel) mixer.freechannel(voice);
}

} // namespace

SndMixVoice sndmixvoices[SND_CHANNELS];
SndSourceInit sndcodectable[28];

int32_t sndmixformat() { return mixer.format; }
bool sndmixmmx() { return mixer.kernels->mmx; }
int32_t sndmixblockbytes() { return mixer.blockbytes; }

void sndconvert(int32_t format, int32_t n, float* mix, void* out)
{
    switch (format) {
    case 8: {
        auto* o = static_cast<int16_t*>(out);
        for (int32_t i = 0; i < 2 * n; ++i) o[i] = static_cast<int16_t>(saturate(mix[i], -32768, 32767));
        break;
    }
    case 4: {
        auto* o = static_cast<int16_t*>(out);
        for (int32_t i = 0; i < n; ++i)
            o[i] = static_cast<int16_t>(saturate((mix[2 * i] + mix[2 * i + 1]) * 0.5f, -32768, 32767));
        break;
    }
    case 2: {
        auto* o = static_cast<uint8_t*>(out);
        for (int32_t i = 0; i < 2 * n; ++i) o[i] = static_cast<uint8_t>((saturate(mix[i], -32768, 32767) >> 8) + 128);
        break;
    }
    case 1: {
        auto* o = static_cast<uint8_t*>(out);
        for (int32_t i = 0; i < n; ++i)
            o[i] = static_cast<uint8_t>(saturate((mix[2 * i] + mix[2 * i + 1]) * 0.001953125f, -128, 127) + 128);
        break;
    }
    default: break;
    }
}

namespace {

inline int16_t addsat(int32_t a, int32_t b) { return static_cast<int16_t>(std::clamp(a + b, -32768, 32767)); }

} // namespace

void sndconvertmmx(int32_t format, int32_t n, const int16_t* mix, void* out)
{
    // Last frame first, as the kernels walk it; only the n frames given.
    switch (format) {
    case 8: {
        auto* o = static_cast<int16_t*>(out);
        for (int32_t i = 2 * n - 1; i >= 0; --i) o[i] = addsat(mix[i], mix[i]);
        break;
    }
    case 4: {
        auto* o = static_cast<int16_t*>(out);
        for (int32_t i = n - 1; i >= 0; --i) o[i] = addsat(mix[2 * i], mix[2 * i + 1]);
        break;
    }
    case 2: {
        auto* o = static_cast<uint8_t*>(out);
        for (int32_t i = 2 * n - 1; i >= 0; --i)
            o[i] = static_cast<uint8_t>((static_cast<uint16_t>(addsat(mix[i], mix[i])) >> 8) ^ 0x80);
        break;
    }
    case 1: {
        auto* o = static_cast<uint8_t*>(out);
        for (int32_t i = n - 1; i >= 0; --i)
            o[i] = static_cast<uint8_t>((static_cast<uint16_t>(addsat(mix[2 * i], mix[2 * i + 1])) ^ 0x8000) >> 8);
        break;
    }
    default: break;
    }
}

void iSNDmixinit(int32_t flags, void (*freechannel)(int32_t))
{
    mixer.kernels = libcpu.mmx ? &MMX : &PLAIN;
    std::memset(sndcodectable, 0, sizeof sndcodectable);
    sndsourcesinit(mixer.kernels->mmx);
    sndcomp7init(mixer.kernels->mmx);
    sndcomp9init(mixer.kernels->mmx);
    mixer.freechannel = freechannel;
    iSNDmixreinit(flags);
    for (SndMixVoice& v : sndmixvoices) v.state = 0;
    mixer.kernels->clear(mixbuffer, 2 * SND_BLOCK);
}

void iSNDmixreinit(int32_t flags)
{
    static constexpr int32_t ORDER[4][2] = {{8, 1024}, {2, 512}, {4, 512}, {1, 256}};
    for (auto& o : ORDER) {
        if (flags & o[0]) {
            mixer.format = o[0];
            mixer.blockbytes = o[1];
            return;
        }
    }
    LIBFAIL(SITE, "iSNDmixreinit - INVALID OUTPUT FORMAT.\n");
}

namespace {

void iSNDmixlevel(SndMixVoice& v)
{
    v.effectlevel = v.send ? (((v.targetleft + v.targetright) / 2) * v.send) >> 7 : 0;
    if (v.send_set_levels) v.send_set_levels(&v.sendlevels, v.effectlevel, v.effectlevel);
}

} // namespace

int32_t iSNDmixstart(int32_t channel, int32_t format, int32_t compression, int32_t playtype, intptr_t a, intptr_t b,
                     intptr_t c, intptr_t d, int32_t left, int32_t right, uint32_t step, int32_t quality, int32_t send)
{
    if (channel < 0 || channel >= SND_CHANNELS) return -8;
    SndMixVoice& v = sndmixvoices[channel];
    int32_t slot;
    switch (format) {
    case 4: slot = 2; break;
    case 8: slot = 3; break;
    case 1: slot = 0; break;
    case 2: slot = 1; break;
    default: LIBFAIL(SITE, "iSNDmixstart - UNSUPPORTED SAMPLE FORMAT.\n"); return -7;
    }
    const KernelSet& set = *mixer.kernels;
    SndLevelsInit levels = set.levels[slot];
    SndResamplerInit resampler = quality > 25 ? set.high[slot] : set.low[slot];
    int32_t group = 4 * slot;
    if (compression == 7) {
        if (format != 4 && format != 8) {
            LIBFAIL(SITE, "iSNDmixstart - MALFORMED SAMPLE.\n");
            return -7;
        }
        group = format == 4 ? 16 : 20;
    } else if (compression == 9) {
        if (format != 4) {
            LIBFAIL(SITE, "iSNDmixstart - MALFORMED SAMPLE.\n");
            return -7;
        }
        group = 24;
    } else if (compression != 0) {
        LIBFAIL(SITE, "iSNDmixstart - UNSUPPORTED COMPRESSION TYPE.\n");
        return -7;
    }
    switch (playtype) {
    case 0: group += 3; break;
    case 1: group += d > 0 ? 1 : 0; break;
    case 2: group += 2; break;
    default: LIBFAIL(SITE, "iSNDmixstart - UNSUPPORTED PLAY TYPE.\n"); return -7;
    }
    v.state = 0;
    if (!sndcodectable[group]) {
        LIBFAIL(SITE, "iSNDmixstart - CODEC NOT INITED.\n");
        return -7;
    }
    v.position = nullptr;
    sndcodectable[group](channel, v.source, a, b, c, d, &v.fetch, &v.position);
    levels(&v.main, &v.main_mix, &v.main_set_levels);
    levels(&v.sendlevels, &v.send_mix, &v.send_set_levels);
    resampler(&v.resampler, &v.set_step, &v.input_needed, &v.resample);
    v.set_step(&v.resampler, step > 0x80000 ? 0x80000 : step);
    v.left = v.targetleft = static_cast<int8_t>(left);
    v.right = v.targetright = static_cast<int8_t>(right);
    v.stepleft = v.stepright = 0;
    v.send = static_cast<int8_t>(send);
    iSNDmixlevel(v);
    v.main_set_levels(&v.main, left, right);
    v.state = 1;
    return 0;
}

void iSNDmixpitch(int32_t channel, uint32_t step)
{
    if (channel < 0 || channel >= SND_CHANNELS || !sndmixvoices[channel].state) return;
    SndMixVoice& v = sndmixvoices[channel];
    v.set_step(&v.resampler, step > 0x80000 ? 0x80000 : step);
}

void iSNDmixsetvol(int32_t channel, int32_t left, int32_t right)
{
    if (channel < 0 || channel >= SND_CHANNELS) return;
    SndMixVoice& v = sndmixvoices[channel];
    v.targetleft = static_cast<int8_t>(left);
    v.targetright = static_cast<int8_t>(right);
    v.stepleft = v.left < v.targetleft ? 1 : -1;
    v.stepright = v.right < v.targetright ? 1 : -1;
    iSNDmixlevel(v);
}

int32_t iSNDmixramp(int32_t voice, int32_t n)
{
    SndMixVoice& v = sndmixvoices[voice];
    int32_t done = 0;
    while ((v.left != v.targetleft || v.right != v.targetright) && done < n) {
        if (v.left != v.targetleft) v.left = static_cast<int8_t>(v.left + v.stepleft);
        if (v.right != v.targetright) v.right = static_cast<int8_t>(v.right + v.stepright);
        v.main_set_levels(&v.main, v.left, v.right);
        int32_t need = v.input_needed(&v.resampler, 1);
        if (v.fetch(v.source, need, decoded) <= 0) break;
        void* out = resampled;
        v.resample(&v.resampler, 1, decoded, &out);
        if (v.main_mix) v.main_mix(&v.main, 1, out, mixframe(done));
        ++done;
    }
    return done;
}

void iSNDmixblock(uint8_t* out, int32_t n)
{
    for (int32_t k = 0; k < SND_CHANNELS; ++k) {
        SndMixVoice& v = sndmixvoices[k];
        if (!v.state) continue;
        int32_t ramped = iSNDmixramp(k, n);
        int32_t rest = n - ramped;
        if (rest <= 0) continue;
        int32_t need = v.input_needed(&v.resampler, rest);
        int32_t got = v.fetch(v.source, need, decoded);
        if (got < 0) {
            stopnow(k);
        } else if (got > 0) {
            void* res = resampled;
            v.resample(&v.resampler, rest, decoded, &res);
            if (v.main_mix) v.main_mix(&v.main, rest, res, mixframe(ramped));
        }
    }
    mixer.kernels->convert(mixer.format, n, mixbuffer, out);
    mixer.kernels->clear(mixbuffer, 2 * n);
}

void iSNDmix(void* buffer, int32_t frames)
{
    auto* out = static_cast<uint8_t*>(buffer);
    while (frames > 0) {
        int32_t n = frames < SND_BLOCK ? frames : SND_BLOCK;
        iSNDmixblock(out, n);
        out += mixer.blockbytes;
        frames -= n;
    }
}

void iSNDmixstop(int32_t channel)
{
    if (channel < 0 || channel >= SND_CHANNELS) return;
    SndMixVoice& v = sndmixvoices[channel];
    if (v.state) {
        iSNDmixsetvol(channel, 0, 0);
        iSNDmixramp(channel, SND_BLOCK);
        mixer.kernels->endvoice();
    }
    stopnow(channel);
}
