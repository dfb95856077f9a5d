// The software mixer inside the sound library: 16 voices, one per channel,
// each a chain of kernels (source, resampler, level mixer) chosen when the
// voice starts, mixed block by block into the output the outside library
// asks for. Two kernel sets with the same slots, picked once when the mixer
// starts by the processor's MMX flag: the plain set carries samples as floats
// in 16-bit units, the MMX set as signed 16-bit words (half scale in the mix
// buffer) with saturating sums, and 8-bit data as signed bytes.
#pragma once

#include <cstdint>

constexpr int SND_CHANNELS = 16;
constexpr int SND_BLOCK = 256;

// Kernel slots. A source's fetch returns frames delivered (> 0, the rest of
// n zeroed), 0 (nothing now: silent this block) or < 0 (ended). Sample
// buffers are untyped: each set reads them as its own representation.
using SndFetch = int32_t (*)(void* state, int32_t n, void* out);
using SndPosition = int32_t (*)(void* state);
struct SndResampler;
using SndSetStep = int32_t (*)(SndResampler* r, uint32_t step);
using SndInputNeeded = int32_t (*)(SndResampler* r, int32_t n);
using SndResample = void (*)(SndResampler* r, int32_t n, void* in, void** out);
struct SndLevels;
using SndSetLevels = void (*)(SndLevels* l, int32_t left, int32_t right);
using SndMix = void (*)(SndLevels* l, int32_t n, const void* in, void* mix);
// A codec-table entry: (voice, state, four request values, fetch and
// position slots) -> bytes of state used.
using SndSourceInit = int32_t (*)(int32_t voice, void* state, intptr_t a, intptr_t b, intptr_t c, intptr_t d,
                                  SndFetch* fetch, SndPosition* position);

struct SndResampler {
    uint32_t index, frac, step;
    // One input frame each, in the set's representation (at most 8 bytes).
    alignas(4) uint8_t extra[8], history[8];
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
    float left, right;          // plain gains
    int16_t gainleft, gainright; // MMX gain words: level x 256
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

// Picks the kernel set by libcpu.mmx.
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
// True while the MMX kernel set is in force.
bool sndmixmmx();

// Output converters: n frames of the mix buffer to the format. Plain: L, R
// floats at full scale, rounded and clipped once. MMX: L, R half-scale
// words, doubled (or summed for mono) with saturation.
void sndconvert(int32_t format, int32_t n, float* mix, void* out);
void sndconvertmmx(int32_t format, int32_t n, const int16_t* mix, void* out);

// Resamplers: nearest frame (quality <= 25) and linear, mono and stereo.
int32_t sndnearestmonoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
int32_t sndneareststereoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
int32_t sndlinearmonoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
int32_t sndlinearstereoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
// The MMX set's linear resamplers, one per source format, whatever the quality.
int32_t sndlinear8monoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
int32_t sndlinear8stereoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
int32_t sndlinear16monoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);
int32_t sndlinear16stereoinit(SndResampler*, SndSetStep*, SndInputNeeded*, SndResample*);

// Level mixers, by the voice's channel count.
void sndlevelsmonoinit(SndLevels*, SndMix*, SndSetLevels*);
void sndlevelsstereoinit(SndLevels*, SndMix*, SndSetLevels*);
// The MMX set's level mixers, by the voice's format.
void sndlevels8monoinit(SndLevels*, SndMix*, SndSetLevels*);
void sndlevels8stereoinit(SndLevels*, SndMix*, SndSetLevels*);
void sndlevels16monoinit(SndLevels*, SndMix*, SndSetLevels*);
void sndlevels16stereoinit(SndLevels*, SndMix*, SndSetLevels*);

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

// Codec set-up: compression 0 sources, compression 7 and 9 decoders, for
// the plain or the MMX set.
void sndsourcesinit(bool mmx);
void sndcomp7init(bool mmx);
void sndcomp9init(bool mmx);
// The 8-bit conversion table: signed byte x 256.
extern float snd8bittable[256];

// The callback stream's refill: sets the data and its frames, 0 on success.
// Nothing in the game sets it.
using SndStreamRefill = int32_t (*)(void* state, const uint8_t** data, int32_t* frames);
extern SndStreamRefill sndstreamrefill;
