// The software mixer inside the sound library: 16 voices, one per channel,
// each a chain of kernels (source, resampler, level mixer) chosen when the
// voice starts, mixed block by block into the output the outside library
// asks for. Floating-point kernels throughout: samples are floats in 16-bit
// units.
#pragma once

#include <cstdint>

constexpr int SND_CHANNELS = 16;
constexpr int SND_BLOCK = 256;

// Kernel slots. A source's fetch returns frames delivered (> 0, the rest of
// n zeroed), 0 (nothing now: silent this block) or < 0 (ended).
using SndFetch = int32_t (*)(void* state, int32_t n, float* out);
using SndPosition = int32_t (*)(void* state);
struct SndResampler;
using SndSetStep = int32_t (*)(SndResampler* r, uint32_t step);
using SndInputNeeded = int32_t (*)(SndResampler* r, int32_t n);
using SndResample = void (*)(SndResampler* r, int32_t n, float* in, float** out);
struct SndLevels;
using SndSetLevels = void (*)(SndLevels* l, int32_t left, int32_t right);
using SndMix = void (*)(SndLevels* l, int32_t n, const float* in, float* mix);
// A codec-table entry: (voice, state, four request values, fetch and
// position slots) -> bytes of state used.
using SndSourceInit = int32_t (*)(int32_t voice, void* state, intptr_t a, intptr_t b, intptr_t c, intptr_t d,
                                  SndFetch* fetch, SndPosition* position);

struct SndResampler {
    uint32_t index, frac, step;
    float extra[2], history[2];
    uint8_t extraflag, primed;
    int8_t carry;
    uint8_t channels;
    SndSetStep* set_step;
    SndInputNeeded* input_needed;
    SndResample* resample;
};
using SndResamplerInit = int32_t (*)(SndResampler* r, SndSetStep* set_step, SndInputNeeded* input_needed,
                                     SndResample* resample);

struct SndLevels {
    float left, right;
    uint8_t channels;
    SndMix* mix;
    SndSetLevels* set_levels;
};
using SndLevelsInit = void (*)(SndLevels* l, SndMix* mix, SndSetLevels* set_levels);

// The largest source state (a compression 9 decoder with 64-bit pointers).
constexpr int SND_SOURCE_STATE = 3456;

struct SndMixVoice {
    int8_t state; // 0 idle, 1 playing
    int8_t left, right, send, targetleft, targetright, stepleft, stepright;
    int32_t effectlevel;
    alignas(16) uint8_t source[SND_SOURCE_STATE];
    SndResampler resampler;
    SndLevels main;
    SndFetch fetch;
    SndPosition position;
    SndSetStep set_step;
    SndInputNeeded input_needed;
    SndResample resample;
    SndSetLevels main_set_levels;
    SndMix main_mix;
    SndLevels sendlevels;
    SndSetLevels send_set_levels;
    SndMix send_mix;
};
extern SndMixVoice sndmixvoices[SND_CHANNELS];

// The codec table: group (0, 4, 8, 12 by source format 1, 2, 4, 8; 16 and 20
// compression 7 mono and stereo; 24 compression 9) + play offset (+0 one-shot,
// +1 looped, +2 callback stream, +3 packet).
extern SndSourceInit sndcodectable[28];

void iSNDmixinit(int32_t flags, void (*freechannel)(int32_t channel));
void iSNDmixreinit(int32_t flags);
int32_t iSNDmixstart(int32_t channel, int32_t format, int32_t compression, int32_t playtype, intptr_t a, intptr_t b,
                     intptr_t c, intptr_t d, int32_t left, int32_t right, uint32_t step, int32_t quality,
                     int32_t send);
void iSNDmixsetvol(int32_t channel, int32_t left, int32_t right);
void iSNDmixstop(int32_t channel);
void iSNDmixpitch(int32_t channel, uint32_t step);
void iSNDmix(void* buffer, int32_t frames);
void iSNDmixblock(uint8_t* out, int32_t n);
int32_t iSNDmixramp(int32_t voice, int32_t n);
// Output format (1, 2, 4, 8) and bytes of output per 256 frames.
int32_t sndmixformat();
int32_t sndmixblockbytes();

// Output converters: n frames of the mix buffer (L, R floats) to the format.
void sndconvert(int32_t format, int32_t n, float* mix, void* out);

// Resamplers: nearest frame (quality <= 25) and linear, mono and stereo.
int32_t sndnearestmonoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
int32_t sndneareststereoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
int32_t sndlinearmonoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
int32_t sndlinearstereoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);

// Level mixers, by the voice's channel count.
void sndlevelsmonoinit(SndLevels*, SndMix*, SndSetLevels*);
void sndlevelsstereoinit(SndLevels*, SndMix*, SndSetLevels*);

// Pan laws: levels 0..127.
void sndbalancepan(int32_t pan, int32_t volume, int32_t* left, int32_t* right);
void sndanglepan(uint32_t angle, int32_t volume, int32_t* left, int32_t* right);
void sndanglepan3d(uint32_t angle, int32_t volume, int8_t* x, int8_t* y, int32_t* left, int32_t* right);
// Fixed sine and cosine, 16.16: by 10-bit table angle and by 16-bit angle.
int32_t sndtablesin(int32_t angle);
int32_t sndtablecos(int32_t angle);
int32_t sndfinesin(uint32_t angle);
int32_t sndfinecos(uint32_t angle);
// n big-endian bytes; 1 to 3 bytes sign-extended.
int32_t sndgetbigendian(const uint8_t* p, int32_t n);

// Codec set-up: compression 0 sources, compression 7 and 9 decoders.
void sndsourcesinit();
void sndcomp7init();
void sndcomp9init();
// The 8-bit conversion table: signed byte x 256.
extern float snd8bittable[256];

// The callback stream's refill: sets the data and its frames, 0 on success.
// Nothing in the game sets it.
using SndStreamRefill = int32_t (*)(void* state, const uint8_t** data, int32_t* frames);
extern SndStreamRefill sndstreamrefill;
